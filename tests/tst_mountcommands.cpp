#include "gamestandin.h"
#include "mountcommands.h"
#include "sandbox.h"
#include "testsupport.h"
#include "workergate.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace TestSupport;

// The rules of the mount commands, without a window: what each says, and that a refused one
// changes nothing.
class MountCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void mountRefusals_data();
    void mountRefusals();
    void commandsNeedAMountedMod();
    void oneMountOperationAtATimeAndItsResultSaidAfterwards();
};

namespace
{

// What a test hears from the commands, in order: "status: text", "error: text", "changed",
// "started", "list: text", "finished".
struct Heard : QStringList {
    explicit Heard(MountCommands &commands)
    {
        QObject::connect(&commands, &MountCommands::status, [this](const QString &text, bool e) {
            append((e ? "error: " : "status: ") + text);
        });
        QObject::connect(&commands, &MountCommands::commandsChanged,
                         [this](bool) { append("changed"); });
        QObject::connect(&commands, &MountCommands::commandStarted, [this] { append("started"); });
        QObject::connect(&commands, &MountCommands::listChanged,
                         [this](const QString &text) { append("list: " + text); });
        QObject::connect(&commands, &MountCommands::finished,
                         [this](const OperationResult &, bool) { append("finished"); });
    }
};

} // namespace

void MountCommandsTest::mountRefusals_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("chosen"); // empty: no row highlighted
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("mountedAfter"); // the line config.cfg then holds, if any

    const QString own =
        "The Warcraft III folder cannot be Runemount's own folder or lie inside it.";
    QTest::newRow("nothing chosen") << ""
                                    << ""
                                    << "status: Select a mod to mount." << QByteArray();
    QTest::newRow("no game folder") << "missing game"
                                    << "Foo"
                                    << "error: Invalid Warcraft III folder." << QByteArray();
    QTest::newRow("game folder in our own") << "own game"
                                            << "Foo"
                                            << "error: " + own << QByteArray();
    QTest::newRow("name config.cfg cannot hold") << ""
                                                 << "Fo\no"
                                                 << "error: Failed to mount Fo\no." << QByteArray();
    QTest::newRow("game running") << "game runs"
                                  << "Foo"
                                  << "error: Close Warcraft III before mounting or unmounting mods."
                                  << QByteArray();
    QTest::newRow("another mounted")
        << "Bar mounted"
        << "Foo"
        << "status: Already mounted: Bar" << QByteArray("Mounted=Bar\n");
    // The records are the truth: what they list is taken up, never written over.
    QTest::newRow("records of an unsaved mount")
        << "records"
        << "Foo"
        << "list: Already mounted: Unknown mod" << QByteArray("Mounted=Unknown mod\n");
}

void MountCommandsTest::mountRefusals()
{
    QFETCH(QString, setup);
    QFETCH(QString, chosen);
    QFETCH(QString, said);
    QFETCH(QByteArray, mountedAfter);
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.modDir("Foo") + "/a", "a"));
    QVERIFY(Tree::file(box.game("a"), "game a"));
    const QString records = box.game("a.oxdbackup") + "\n";
    if (setup == "missing game")
        box.config->set("GamePath", utf8(box.root + "/no such folder"));
    if (setup == "own game")
        box.config->set("GamePath", utf8(box.modDir("Foo")));
    if (setup == "Bar mounted")
        box.config->set("Mounted", "Bar");
    QVERIFY(box.config->save());
    std::unique_ptr<GameStandIn> game;
    if (setup == "game runs")
        game = std::make_unique<GameStandIn>(box.game("Warcraft III.exe"));
    const auto gameBefore = Tree::snapshot(box.gameDir);

    MountCommands commands(box.config.get(), nullptr);
    if (setup == "records")
        QVERIFY(writeFile(box.appDir + "/backup_files.txt", records.toUtf8()));
    Heard heard(commands);
    WorkerGate gate;
    commands.mount(chosen.isEmpty() ? std::nullopt : std::optional<ModChoice>({chosen, 1, 1}));
    QCOMPARE(heard.first(), QString("started"));
    QVERIFY(heard.contains(said));
    // Refused: the commands are given back at once, and no operation was made.
    QCOMPARE(heard.last(), said.startsWith("list") ? said : QString("changed"));
    QCOMPARE(gate.workersMade(), 0);
    QVERIFY(!commands.isBusy());
    const QByteArray config = readText(box.appDir + "/config.cfg");
    QCOMPARE(config.contains("Mounted="), !mountedAfter.isEmpty());
    QVERIFY(config.contains(mountedAfter));
    QCOMPARE(box.outFiles(), QByteArray("<absent>"));
    QCOMPARE(Tree::difference(gameBefore, Tree::snapshot(box.gameDir)), QString());
}

void MountCommandsTest::commandsNeedAMountedMod()
{
    Sandbox box;
    QVERIFY(box.isValid());
    MountCommands commands(box.config.get(), nullptr);
    Heard heard(commands);
    WorkerGate gate;
    commands.unmount();
    commands.check();
    commands.repair();
    QCOMPARE(heard.filter("status").join('|'),
             QString("status: No mod mounted.|status: No mod mounted.|status: No mod mounted."));
    QCOMPARE(heard.count("changed"), 3);
    QCOMPARE(gate.workersMade(), 0);
}

void MountCommandsTest::oneMountOperationAtATimeAndItsResultSaidAfterwards()
{
    // A mount whose links went away: its unmount reports the first path, where the gate holds.
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.modDir("Foo")));
    box.config->set("Mounted", "Foo");
    QVERIFY(box.config->save());
    QVERIFY(writeFile(box.appDir + "/out_files.txt", (box.game("gone") + "\n").toUtf8()));
    MountCommands commands(box.config.get(), nullptr);
    Heard heard(commands);
    WorkerGate gate;
    commands.unmount();
    QVERIFY(gate.waitUntilHeld());
    QVERIFY(commands.isBusy() && commands.isRunning());

    heard.clear();
    commands.mount(ModChoice{"Foo", 0, 0});
    commands.unmount();
    commands.check();
    commands.repair();
    const QString still = "status: A mount or unmount is still running.";
    QCOMPARE(heard, (QStringList{still, still, still, still}));
    QCOMPARE(gate.workersMade(), 1);

    // config.cfg can no longer be replaced: a folder stands in its place.
    const QString configPath = box.appDir + "/config.cfg";
    QVERIFY(QFile::remove(configPath) && QDir().mkdir(configPath));
    gate.open();
    QTRY_VERIFY(heard.contains("finished"));
    // A box opened by the result would run its own event loop inside the result's slot: the
    // failure to save is said once that slot has returned.
    const QString failure =
        "error: Failed to save settings: " + QDir::toNativeSeparators(configPath);
    QTRY_COMPARE(heard.filter("error"), QStringList{failure});
    QVERIFY(heard.indexOf(failure) > heard.indexOf("finished"));
    // Without a dialog to wait for, the commands come back once the operation is gone.
    QTRY_VERIFY(heard.lastIndexOf("changed") > heard.indexOf("finished"));
    QVERIFY(!commands.isBusy());
}

QTEST_MAIN(MountCommandsTest)
#include "tst_mountcommands.moc"
