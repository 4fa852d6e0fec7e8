#pragma once

#include <QProcessEnvironment>
#include <QString>

// A Wine prefix: the folder that holds a Windows program's registry (user.reg, system.reg),
// its drive C (drive_c) and its drive letters (dosdevices). Off Windows the game runs in one,
// and its options live in that prefix's registry.
class WinePrefix
{
public:
    // The prefix holding `path`: the folder above a drive_c on the way up that holds
    // system.reg. Empty when there is none.
    static QString containing(const QString &path);
    // The prefix Wine uses when it is told of none, when it exists.
    static QString standard();

    explicit WinePrefix(QString folder) : root(std::move(folder)) {}
    const QString &folder() const { return root; }
    bool exists() const { return !root.isEmpty(); }
    // The registry of the current user, and that of the machine.
    QString userRegistry() const { return root + QStringLiteral("/user.reg"); }
    QString systemRegistry() const { return root + QStringLiteral("/system.reg"); }

    // A Windows path ("C:\Games\Warcraft III") as the path it names here, through the
    // prefix's drive letters; empty when the drive is not there.
    QString toLocalPath(const QString &windowsPath) const;

    // Whether a wineserver runs for this prefix now (it then holds the registry in memory and
    // overwrites edits of its files).
    bool serverRunning() const;

    // The Wine program that runs Windows programs, empty when none is installed.
    static QString wineProgram();
    // The system's environment, with this prefix as Wine's.
    QProcessEnvironment environment() const;

private:
    QString root;
};
