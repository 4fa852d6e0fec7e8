#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A stand-in for wine, first on the PATH for its lifetime, that only writes down how it was
// started: "<WINEPREFIX>|<working folder>|<arguments>".
class FakeWine
{
public:
    FakeWine();
    ~FakeWine();
    FakeWine(const FakeWine &) = delete;
    FakeWine &operator=(const FakeWine &) = delete;

    // Appears whole once the fake has run.
    QString startedFile() const { return bin.path() + "/started"; }
    QByteArray started() const;

private:
    QTemporaryDir bin;
    QByteArray oldPath;
};
