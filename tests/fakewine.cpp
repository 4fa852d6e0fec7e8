#include "fakewine.h"

#include "testsupport.h"

#include <QFile>

FakeWine::FakeWine()
{
    const QByteArray folder = bin.path().toUtf8();
    TestSupport::writeFile(bin.path() + "/wine",
                           "#!/bin/sh\nprintf '%s|%s|%s' \"$WINEPREFIX\" \"$PWD\" \"$*\" > \"" +
                               folder + "/started.tmp\"\nmv \"" + folder + "/started.tmp\" \"" +
                               folder + "/started\"\n");
    QFile::setPermissions(bin.path() + "/wine",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    oldPath = qgetenv("PATH");
    qputenv("PATH", folder + ":" + oldPath);
}

FakeWine::~FakeWine()
{
    qputenv("PATH", oldPath);
}

QByteArray FakeWine::started() const
{
    return TestSupport::readFile(startedFile());
}
