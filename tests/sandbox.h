#pragma once

// A throw-away application folder and game folder for the file operation tests, with helpers
// to build trees, to take a snapshot of a folder and to log what a Worker reports.

#include "configstore.h"
#include "worker.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Sandbox
{
public:
    // Where the application folder is: beside the game folder, or unpacked inside it as "app".
    enum class AppPlace { BesideGame, InsideGame };

    explicit Sandbox(AppPlace place = AppPlace::BesideGame);
    // The folders and config.cfg were all made.
    bool isValid() const;

    QString modDir(const QString &name) const { return modsDir + "/" + name; }
    QString game(const QString &relative) const { return gameDir + "/" + relative; }
    std::unique_ptr<Worker> worker(const QString &modName);
    // Mounts from now on take this way, also in a helper process that reads config.cfg.
    void setWay(MountWay way);
    QByteArray outFiles() const;
    QByteArray backupFiles() const;
    QByteArray keptBackups() const;
    // Game entries named like a backup (anything but a link into the mods folder) that neither
    // backup_files.txt nor kept_backups.txt lists nor `before` (a snapshot of the game folder)
    // held: a game file hidden for good. Relative paths.
    QStringList unrecordedBackups(const QMap<QString, QString> &before) const;

    QTemporaryDir dir;
    QString root;
    QString appDir;
    QString gameDir;
    QString modsDir;
    std::unique_ptr<ConfigStore> config;
};

namespace Tree
{

bool file(const QString &path, const QByteArray &content = "data");
bool folder(const QString &path);
bool link(const QString &path, const QString &target);
QString linkTarget(const QString &path); // empty when not a link

// Every entry below `folder` (hidden ones and links too, links not followed): relative path to
// "dir", "file:<content>" or "link:<target>".
QMap<QString, QString> snapshot(const QString &folder);
// A readable account of how two snapshots differ; empty when they are equal.
QString difference(const QMap<QString, QString> &before, const QMap<QString, QString> &after);

} // namespace Tree

// Collects what a Worker reports (direct connections: the Worker runs on the test's thread).
class WorkerLog : public QObject
{
    Q_OBJECT

public:
    explicit WorkerLog(Worker *worker);

    struct Result {
        QString modName;
        int done = -1, failed = -1, missing = -1, kept = -1;
        bool aborted = false, forced = false;
    };

    QStringList progress; // status(text, false)
    QStringList errors;   // status(text, true)
    QStringList actions;  // appendAction
    QList<Result> results;
    struct Amount {
        int files;
        qint64 done, total;
    };
    QList<Amount> amounts; // amountDone

    Result last() const { return results.isEmpty() ? Result() : results.last(); }
    // "done/failed/missing" of the last result, and "/kept" when it kept any.
    QString counts() const;
    void clear();
};
