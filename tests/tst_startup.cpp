#include "instancelock.h"
#include "modalanswerer.h"
#include "sandbox.h"
#include "startup.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <memory>

using namespace TestSupport;

namespace
{

// The program's file name: "runemount", or "runemount.exe" on Windows.
QString programName()
{
    return QFileInfo(RUNEMOUNT_EXECUTABLE).fileName();
}

// The real program, copied into a folder of its own, as a user would unpack it.
struct Unpacked {
    QTemporaryDir dir;
    QTemporaryDir home; // empty: no Wine prefix of this machine's user leaks in
    QString program;

    Unpacked() : program(dir.filePath(programName()))
    {
        if (dir.isValid())
            QFile::copy(RUNEMOUNT_EXECUTABLE, program);
    }
    bool isValid() const
    {
        return dir.isValid() && home.isValid() && QFileInfo(program).isExecutable();
    }
    QString lockFile() const { return dir.filePath("runemount.lock"); }

    std::unique_ptr<QProcess> start() const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
#ifdef Q_OS_WIN
        // Asked to end, a Windows program gets a message for its windows, which only the
        // native platform has.
        environment.insert("QT_QPA_PLATFORM", "windows");
#else
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
#endif
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(dir.path());
        process->start(program, QStringList());
        return process;
    }
    // The running program holds the folder: its lock names its process.
    bool heldBy(const QProcess &process) const
    {
        return readFile(lockFile()).split('\n').value(0) == QByteArray::number(process.processId());
    }
};

#ifdef Q_OS_WIN
BOOL CALLBACK findShownWindow(HWND window, LPARAM found)
{
    auto *wanted = reinterpret_cast<std::pair<DWORD, bool> *>(found);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == wanted->first && IsWindowVisible(window))
        wanted->second = true;
    return TRUE;
}

bool showsAWindow(const QProcess &process)
{
    std::pair<DWORD, bool> wanted{DWORD(process.processId()), false};
    EnumWindows(findShownWindow, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}
#endif

// Asks the program to end, as the system does at logout, and tells whether it ended cleanly.
bool endsWhenAsked(QProcess &process)
{
#ifdef Q_OS_WIN
    // Windows asks through the program's windows: one that is not there yet hears nothing.
    QDeadlineTimer shown(30000);
    while (!showsAWindow(process) && !shown.hasExpired())
        process.waitForFinished(100);
#endif
    process.terminate();
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

// Starts the real program as a user would: from an empty folder, twice in one folder, and after
// a copy was killed.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesOnlyTheConfiguration();
    void secondCopyInTheSameFolderOnlySaysSo();
    void killedCopyDoesNotBlockTheNextStart();
    void lockLeftWithThisProcessNumberIsTaken();
};

void StartupTest::firstStartCreatesOnlyTheConfiguration()
{
    Unpacked app;
    QVERIFY(app.isValid());
    auto process = app.start();
    QVERIFY2(process->waitForStarted(), qPrintable(process->errorString()));

    // The file is renamed into place whole, so once it exists it is complete.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(app.dir.filePath("config.cfg")), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(app.heldBy(*process), 30000);
    QCOMPARE(process->state(), QProcess::Running);
    QVERIFY(endsWhenAsked(*process));

#ifdef Q_OS_WIN
    const QByteArray gameLine = "GamePath=C:/Program Files (x86)/Warcraft III\n";
#else
    const QByteArray gameLine; // no drive letter stands for a folder here
#endif
    QCOMPARE(readText(app.dir.filePath("config.cfg")), gameLine + "hideEmptyMods=1\n");
    QCOMPARE(entryNames(app.dir.path()), (QStringList{"config.cfg", programName()}));
}

void StartupTest::secondCopyInTheSameFolderOnlySaysSo()
{
    Unpacked app;
    QVERIFY(app.isValid());
    auto first = app.start();
    QVERIFY2(first->waitForStarted(), qPrintable(first->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(app.heldBy(*first), 30000);
    // The lock comes first, then the configuration (renamed into place whole).
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(app.dir.filePath("config.cfg")), 30000);
#ifndef Q_OS_WIN
    // However long the first copy has been running. (Windows keeps a held lock closed to
    // everyone else, dates and all.)
    QFile lock(app.lockFile());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    lock.close();
#endif
    const auto before = Tree::snapshot(app.dir.path());

    ModalAnswerer answers;
    answers.pressInMessageBox("OK");
    QCOMPARE(Startup::run(utf8(app.dir.path())), 1);
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Error"});
    QCOMPARE(answers.seenTexts, QStringList{"Runemount is already running from this folder."});
    QCOMPARE(Tree::difference(before, Tree::snapshot(app.dir.path())), QString());

    QCOMPARE(first->state(), QProcess::Running);
    QVERIFY(endsWhenAsked(*first));
    QCOMPARE(entryNames(app.dir.path()), (QStringList{"config.cfg", programName()}));
}

void StartupTest::killedCopyDoesNotBlockTheNextStart()
{
    Unpacked app;
    QVERIFY(app.isValid());
    auto killed = app.start();
    QVERIFY2(killed->waitForStarted(), qPrintable(killed->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(app.heldBy(*killed), 30000);
    // Killed once it has settled: a copy killed while writing its configuration may leave the
    // half-written temporary file beside it, which is not what this test is about.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(app.dir.filePath("config.cfg")), 30000);
    killed->kill();
    QVERIFY(killed->waitForFinished());
    QVERIFY(QFile::exists(app.lockFile()));

    auto next = app.start();
    QVERIFY2(next->waitForStarted(), qPrintable(next->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(app.heldBy(*next), 30000);
    QVERIFY(endsWhenAsked(*next));
    QCOMPARE(entryNames(app.dir.path()), (QStringList{"config.cfg", programName()}));
}

// Wine gives a restarted program the same process number every time: the lock a killed copy
// left names this very process, which is therefore not running another copy. Another machine's
// lock with the same number is still respected.
void StartupTest::lockLeftWithThisProcessNumberIsTaken()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString lockFile = dir.filePath("runemount.lock");
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
#ifdef Q_OS_WIN
    const QByteArray host = qgetenv("COMPUTERNAME");
#else
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
#endif
    // As QLockFile writes it: number, program name, machine.
    const QByteArray holder = pid + "\n" + QCoreApplication::applicationName().toUtf8() + "\n";
    QVERIFY(writeFile(lockFile, holder + host + "X\n"));
    {
        InstanceLock elsewhere(utf8(dir.path()));
        QVERIFY(!elsewhere.acquire());
    }
    QVERIFY(writeFile(lockFile, holder + host + "\n"));
    {
        InstanceLock here(utf8(dir.path()));
        QVERIFY(here.acquire());
        QCOMPARE(readFile(lockFile).split('\n').value(0), pid);
    }
    QVERIFY(!QFile::exists(lockFile));
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
