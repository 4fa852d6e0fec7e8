#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// Starts the real program from an empty folder, as a user would after unpacking it.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesOnlyTheConfiguration();
};

void StartupTest::firstStartCreatesOnlyTheConfiguration()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath("runemount");
    QVERIFY(QFile::copy(RUNEMOUNT_EXECUTABLE, program));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.start(program, QStringList());
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));

    // The file is renamed into place whole, so once it exists it is complete.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("config.cfg")), 30000);
    QCOMPARE(process.state(), QProcess::Running);
    process.kill();
    QVERIFY(process.waitForFinished());

    QCOMPARE(readFile(dir.filePath("config.cfg")),
             QByteArray("GamePath=C:/Program Files (x86)/Warcraft III\nhideEmptyMods=1\n"));
    QCOMPARE(entryNames(dir.path()), (QStringList{"config.cfg", "runemount"}));
}

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
