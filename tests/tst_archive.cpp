// Adding a mod straight from its archive: what lands where, what is refused, and what a bad
// archive, a full disk or an abort leave behind.
#include "archivemaker.h"
#include "filestatus.h"
#include "modalanswerer.h"
#include "sandbox.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "workergate.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

using namespace TestSupport;
using Entry = ArchiveMaker::Entry;

Q_DECLARE_METATYPE(ArchiveMaker::Entry)
Q_DECLARE_METATYPE(QList<ArchiveMaker::Entry>)

namespace
{

Entry file(const QByteArray &name, const QByteArray &content = "data")
{
    Entry entry;
    entry.name = name;
    entry.content = content;
    return entry;
}

Entry special(const QByteArray &name, Entry::Type type, const QByteArray &target = QByteArray())
{
    Entry entry;
    entry.name = name;
    entry.type = type;
    entry.target = target;
    return entry;
}

// What the mods folder holds, hidden entries too, as "path=content" lines of its files.
QStringList modFiles(const QString &modsDir)
{
    QStringList files;
    const auto snapshot = Tree::snapshot(modsDir);
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
        if (it.value() != "dir")
            files << it.key() + "=" + it.value().mid(5);
    return files;
}

} // namespace

class ArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void extractsIntoItsModUnderItsRoot_data();
    void extractsIntoItsModUnderItsRoot();
    void refusesWhatCouldLandElsewhereOrBreakWindows_data();
    void refusesWhatCouldLandElsewhereOrBreakWindows();
    void aBadArchiveOrAnAbortLeavesNoMod();
    void aZipBombFillsTheDiskAndLeavesNoMod();
    void addsAndDeletesTellHowFar_data();
    void addsAndDeletesTellHowFar();
    void addFromArchiveThroughTheFileMenu();
    void foldersAndArchivesDroppedOnTheWindowAreAdded();
};

void ArchiveTest::extractsIntoItsModUnderItsRoot_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QStringList>("expected"); // files of the mods folder afterwards

    QTest::newRow("a wrapper folder goes")
        << "zip" << QList<Entry>{file("HD Units/Units/a.slk", "a"), file("HD Units/readme.txt")}
        << QStringList{"HD Units/Units/a.slk=a", "HD Units/readme.txt=data"};
    QTest::newRow("one wrapper only")
        << "zip" << QList<Entry>{special("Outer/", Entry::Folder), file("Outer/Inner/a.slk")}
        << QStringList{"HD Units/Inner/a.slk=data"};
    QTest::newRow("a folder the game has stays")
        << "zip" << QList<Entry>{file("units/a.slk")} << QStringList{"HD Units/units/a.slk=data"};
    QTest::newRow("several tops stay")
        << "tar.gz" << QList<Entry>{file("Units/a.slk"), file("Maps/b.w3x")}
        << QStringList{"HD Units/Maps/b.w3x=data", "HD Units/Units/a.slk=data"};
    QTest::newRow("7z") << "7z" << QList<Entry>{file("Wrapper/x.txt", "seven")}
                        << QStringList{"HD Units/x.txt=seven"};
    QTest::newRow("one file at the top")
        << "zip" << QList<Entry>{file("war3.mpq", "m")} << QStringList{"HD Units/war3.mpq=m"};
    QTest::newRow("tar.xz, ./ names") << "tar.xz" << QList<Entry>{file("./Units/a.slk")}
                                      << QStringList{"HD Units/Units/a.slk=data"};
    QTest::newRow("tar.bz2") << "tar.bz2" << QList<Entry>{file("Units/a.slk")}
                             << QStringList{"HD Units/Units/a.slk=data"};
    QTest::newRow("UTF-8 names") << "zip"
                                 << QList<Entry>{file("Units/J\xc3\xbcrgen \xe9\xad\x94.txt")}
                                 << QStringList{QString::fromUtf8("HD Units/Units/J\xc3\xbcrgen "
                                                                  "\xe9\xad\x94.txt=data")};
    QTest::newRow("CP437 names") << "zip" << QList<Entry>{file("Units/J\x81rgen.txt")}
                                 << QStringList{
                                        QString::fromUtf8("HD Units/Units/J\xc3\xbcrgen.txt=data")};
    QTest::newRow("backslashes") << "zip" << QList<Entry>{file("Units\\a.slk"), file("Maps\\b")}
                                 << QStringList{"HD Units/Maps/b=data",
                                                "HD Units/Units/a.slk=data"};
}

void ArchiveTest::extractsIntoItsModUnderItsRoot()
{
    QFETCH(QString, format);
    QFETCH(QList<Entry>, entries);
    QFETCH(QStringList, expected);
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::file(box.game("Units/UnitData.slk"), "game"));
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString archive = box.root + "/HD Units." + format;
    QVERIFY(ArchiveMaker::write(archive, format, entries));
    const QByteArray archiveBytes = readFile(archive);

    auto worker = box.worker("HD Units");
    WorkerLog log(worker.get());
    worker->extractArchiveWorker(archive, box.modDir("HD Units"));
    QVERIFY2(log.errors.isEmpty(), qPrintable(log.errors.join('\n')));
    QCOMPARE(log.results.size(), 1);
    QCOMPARE(log.last().modName, QString("HD Units"));
    QStringList files = modFiles(box.modsDir);
    files.sort();
    QCOMPARE(files, expected);
    QCOMPARE(log.last().done, expected.size());
    QCOMPARE(readFile(archive), archiveBytes); // only read
}

void ArchiveTest::refusesWhatCouldLandElsewhereOrBreakWindows_data()
{
    QTest::addColumn<Entry>("bad");
    QTest::addColumn<QString>("line");
    const QString unsafe = "Refused unsafe path in archive: ";
    const QString special = "Refused link or special entry in archive: ";
    const QString name = "Refused name in archive: ";
    QTest::newRow("..") << file("../escaped.txt") << unsafe + "../escaped.txt";
    QTest::newRow(".. inside") << file("a/../../escaped.txt") << unsafe + "a/../../escaped.txt";
    QTest::newRow("absolute") << file("/tmp/escaped.txt") << unsafe + "/tmp/escaped.txt";
    QTest::newRow("drive letter") << file("C:\\escaped.txt") << unsafe + "C:/escaped.txt";
    QTest::newRow("symbolic link")
        << ::special("link", Entry::SymbolicLink, "/etc/passwd") << special + "link";
    QTest::newRow("hard link") << ::special("hard", Entry::HardLink, "Units/ok.txt")
                               << special + "hard";
    QTest::newRow("fifo") << ::special("pipe", Entry::Fifo) << special + "pipe";
    QTest::newRow("device name") << file("Units/CON") << name + "Units/CON";
    QTest::newRow("device name with extension") << file("nul.txt") << name + "nul.txt";
    QTest::newRow("COM1") << file("COM1") << name + "COM1";
    QTest::newRow("reserved character") << file("a<b.txt") << name + "a<b.txt";
    QTest::newRow("question mark") << file("why?.txt") << name + "why?.txt";
    QTest::newRow("trailing dot") << file("Units/x.") << name + "Units/x.";
    QTest::newRow("trailing space") << file("Units /x") << name + "Units /x";
    QTest::newRow("control character") << file("a\x01"
                                               "b")
                                       << name + "a\x01"
                                                 "b";
    QTest::newRow("case only") << file("UNITS/other.txt")
                               << "Refused name in archive (same as another entry but for letter "
                                  "case): UNITS/other.txt";
}

void ArchiveTest::refusesWhatCouldLandElsewhereOrBreakWindows()
{
    QFETCH(Entry, bad);
    QFETCH(QString, line);
    Sandbox box;
    QVERIFY(box.isValid());
    QVERIFY(Tree::folder(box.game("Units"))); // so that the archive's top folder stays
    // Tar holds every kind of entry; the good ones around the bad one still arrive.
    const QString archive = box.root + "/Mod.tar.gz";
    QVERIFY(ArchiveMaker::write(
        archive, "tar.gz", {file("Units/ok.txt", "ok"), bad, file("Units/after.txt", "after")}));
    const auto outside = Tree::snapshot(box.root);

    auto worker = box.worker("Mod");
    WorkerLog log(worker.get());
    worker->extractArchiveWorker(archive, box.modDir("Mod"));
    QCOMPARE(log.errors, QStringList{line});
    QCOMPARE(log.counts(), QString("2/1/0"));
    QStringList files = modFiles(box.modsDir);
    files.sort();
    QCOMPARE(files, (QStringList{"Mod/Units/after.txt=after", "Mod/Units/ok.txt=ok"}));
    QVERIFY(!QFileInfo::exists(box.root + "/escaped.txt"));
    QVERIFY(!QFileInfo::exists("/tmp/escaped.txt"));
    // Nothing else changed beside the mod.
    auto after = Tree::snapshot(box.root);
    for (const QString &key : after.keys())
        if (key.startsWith("app/mods/Mod"))
            after.remove(key);
    QCOMPARE(Tree::difference(outside, after), QString());
}

void ArchiveTest::aBadArchiveOrAnAbortLeavesNoMod()
{
    Sandbox box;
    QVERIFY(box.isValid());
    // Not an archive at all, and one cut off in its middle.
    QVERIFY(writeFile(box.root + "/text.zip", "this is no archive"));
    QByteArray noise(200000, '\0'); // does not compress: cutting the archive cuts into it
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    QVERIFY(ArchiveMaker::write(box.root + "/whole.tar.gz", "tar.gz",
                                {file("a.txt", noise), file("b.txt", "b")}));
    QVERIFY(writeFile(box.root + "/cut.tar.gz", readFile(box.root + "/whole.tar.gz").left(3000)));
    for (const char *name : {"text.zip", "cut.tar.gz"}) {
        auto worker = box.worker("Mod");
        WorkerLog log(worker.get());
        worker->extractArchiveWorker(box.root + "/" + name, box.modDir("Mod"));
        QVERIFY2(log.errors.size() == 1,
                 qPrintable(name + (" " + log.counts()) + log.errors.join('|')));
        QVERIFY2(log.errors[0].startsWith("Failed to read archive: " + box.root + "/" +
                                          QString(name) + " ("),
                 qPrintable(log.errors[0]));
        QVERIFY(log.last().failed >= 1);
        QCOMPARE(entryNames(box.modsDir), QStringList()); // no mod, no staging folder
    }

    // Encrypted entries are refused; an archive of nothing else adds no mod.
    QVERIFY(ArchiveMaker::write(box.root + "/locked.zip", "zip", {file("secret.txt")}, "pass"));
    {
        auto worker = box.worker("Mod");
        WorkerLog log(worker.get());
        worker->extractArchiveWorker(box.root + "/locked.zip", box.modDir("Mod"));
        QCOMPARE(log.errors, QStringList{"Archive entry needs a password: secret.txt"});
        QCOMPARE(log.counts(), QString("0/1/0"));
        QCOMPARE(entryNames(box.modsDir), QStringList());
    }

    // An abort before the start reads nothing; one on the way leaves no mod either.
    auto worker = box.worker("Mod");
    WorkerLog log(worker.get());
    worker->aborted = true;
    worker->extractArchiveWorker(box.root + "/whole.tar.gz", box.modDir("Mod"));
    QVERIFY(log.last().aborted);
    QCOMPARE(entryNames(box.modsDir), QStringList());

    // A staging folder a crashed run left is gone at the next add, read-only files too (Windows
    // refuses to delete those as they are).
    QVERIFY(Tree::file(box.modsDir + "/.adding-1-1/half.txt", "half"));
    QVERIFY(Tree::file(box.modsDir + "/.adding-1-1/Units/readonly.slk", "half"));
    QVERIFY(QFile::setPermissions(box.modsDir + "/.adding-1-1/Units/readonly.slk",
                                  QFile::ReadOwner | QFile::ReadUser));
    auto next = box.worker("Mod");
    WorkerLog nextLog(next.get());
    next->extractArchiveWorker(box.root + "/whole.tar.gz", box.modDir("Mod"));
    QCOMPARE(nextLog.counts(), QString("2/0/0"));
    QCOMPARE(entryNames(box.modsDir), QStringList{"Mod"});
}

void ArchiveTest::aZipBombFillsTheDiskAndLeavesNoMod()
{
    Sandbox box;
    QVERIFY(box.isValid());
    const QString bomb = box.root + "/bomb.zip";
    QVERIFY(ArchiveMaker::writeZeros(bomb, 64)); // 64 MiB of zeros in a few kilobytes

    // Aborted inside the one huge entry, at its first report: it stops there.
    {
        auto worker = box.worker("Bomb");
        WorkerLog log(worker.get());
        Worker *running = worker.get();
        connect(running, &Worker::status, running, [running] { running->aborted = true; });
        worker->extractArchiveWorker(bomb, box.modDir("Bomb"));
        QVERIFY(log.last().aborted);
        QCOMPARE(entryNames(box.modsDir), QStringList());
    }

    TinyDisk disk(box.modsDir, 2048);
    RUNEMOUNT_NEEDS_ROOT(disk.ok(), "a tmpfs mounted by the test");
    auto worker = box.worker("Bomb");
    WorkerLog log(worker.get());
    worker->extractArchiveWorker(bomb, box.modDir("Bomb"));
    QCOMPARE(log.errors.size(), 1);
    QVERIFY2(log.errors[0].startsWith("Failed to write file: " + box.modsDir + "/.adding-") &&
                 log.errors[0].endsWith("/zeros.bin (No space left on device)"),
             qPrintable(log.errors[0]));
    QCOMPARE(log.counts(), QString("0/1/0"));
    QCOMPARE(entryNames(box.modsDir), QStringList());
}

void ArchiveTest::addsAndDeletesTellHowFar_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("abortAtThird"); // once the third file is in
    QTest::newRow("copy a folder") << "copy" << false;
    QTest::newRow("move a folder") << "move" << false;
    QTest::newRow("delete") << "delete" << false;
    QTest::newRow("archive") << "archive" << false;
    QTest::newRow("aborted copy keeps its files") << "copy" << true;
    QTest::newRow("aborted archive keeps nothing") << "archive" << true;
}

void ArchiveTest::addsAndDeletesTellHowFar()
{
    QFETCH(QString, operation);
    QFETCH(bool, abortAtThird);
    Sandbox box;
    QVERIFY(box.isValid());
    const QString source = box.root + "/Downloads/Mod";
    QList<Entry> entries;
    qint64 bytes = 0;
    for (int i = 0; i < 5; ++i) {
        const QByteArray content(1000 * (i + 1), 'x');
        const QByteArray name = "Maps/" + QByteArray::number(i) + ".w3x";
        QVERIFY(Tree::file(source + "/" + name, content));
        entries << file(name, content);
        bytes += content.size();
    }
    QVERIFY(Tree::folder(box.game("Maps")));
    const QString archive = box.root + "/Mod.zip";
    QVERIFY(ArchiveMaker::write(archive, "zip", entries));
    if (operation == "delete")
        QVERIFY(Tree::file(box.modDir("Mod") + "/.hidden", "not counted"));

    auto worker = box.worker("Mod");
    WorkerLog log(worker.get());
    const int lastFiles = abortAtThird ? 3 : 5;
    if (abortAtThird)
        connect(worker.get(), &Worker::amountDone, worker.get(),
                [&worker, lastFiles](int files) { worker->aborted = files == lastFiles; });
    if (operation == "archive")
        worker->extractArchiveWorker(archive, box.modDir("Mod"));
    else if (operation == "delete")
        worker->deleteModWorker(); // the mod made by the copy below
    else
        worker->moveFolderWorker(source, box.modDir("Mod"),
                                 operation == "copy" ? TransferMode::Copy : TransferMode::Move);
    if (operation == "delete") {
        QVERIFY(QDir(box.modDir("Mod")).removeRecursively());
        worker->moveFolderWorker(source, box.modDir("Mod"), TransferMode::Copy);
        log.clear();
        worker->deleteModWorker();
    }
    QCOMPARE(log.results.size(), 1);
    QCOMPARE(log.last().aborted, abortAtThird);
    // An archive's add that stops keeps nothing: it says how far it had come, and counts none.
    const bool undone = abortAtThird && operation == "archive";
    const QStringList undoneLine{"Removed the 3 files extracted so far: nothing was added."};
    QCOMPARE(log.errors, undone ? undoneLine : QStringList());
    QCOMPARE(log.counts(), QString("%1/0/0").arg(undone ? 0 : lastFiles));
    const int modFiles = operation == "delete" || undone ? 0 : lastFiles;
    QCOMPARE(Tree::snapshot(box.modsDir).size(), modFiles > 0 ? modFiles + 2 : 0); // and folders
    QVERIFY(!log.amounts.isEmpty());
    // From what the walk, or the archive's own size, gave as the total, without going back.
    const qint64 total = operation == "archive" ? QFileInfo(archive).size() : bytes;
    qint64 before = 0;
    for (const WorkerLog::Amount &amount : log.amounts) {
        QCOMPARE(amount.total, total);
        QVERIFY(amount.done >= before && amount.done <= total);
        before = amount.done;
    }
    QCOMPARE(log.amounts.last().files, lastFiles);
    // A finished one's bar ends full.
    if (!abortAtThird)
        QCOMPARE(log.amounts.last().done, total);
}

void ArchiveTest::addFromArchiveThroughTheFileMenu()
{
    installGameKey();
    AppFolder app;
    const QString archive = app.box.root + "/Downloads/HD Units.zip";
    QVERIFY(QDir().mkpath(app.box.root + "/Downloads"));
    QVERIFY(ArchiveMaker::write(archive, "zip", {file("HD Units/Units/a.slk", "a")}));
    // What an add cut short by a crash left is gone at the start.
    QVERIFY(Tree::file(app.box.modsDir + "/.adding-77-1/half.slk", "half"));
    Window w(app);
    QTRY_COMPARE(entryNames(app.box.modsDir), QStringList());
    QAction *add = w.action("actionAddArchive");
    QCOMPARE(add->text(), QString("Add Mod from &Archive..."));

    ModalAnswerer answers;
    answers.chooseFile(archive);
    add->trigger();
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTitles, QStringList{"Add Mod from Archive"});
    QCOMPARE(answers.seenTexts,
             QStringList{"Archives (*.zip *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz *.tar.bz2)"});
    QTRY_COMPARE(w.status->text(), QString("HD Units added."));
    QCOMPARE(readFile(app.box.modDir("HD Units") + "/Units/a.slk"), QByteArray("a"));
    QCOMPARE(w.list->currentRow(), w.row("HD Units"));
    QVERIFY(QFileInfo::exists(archive));

    // The same archive again: its name is taken.
    answers.chooseFile(archive);
    answers.pressInMessageBox("OK");
    add->trigger();
    QVERIFY(answers.done());
    QCOMPARE(answers.seenTexts.last(), QString("A mod with that name already exists."));
    QCOMPARE(entryNames(app.box.modsDir), QStringList{"HD Units"});

    // Aborted on the way: what was written goes again, and nothing is counted as added.
    const QString many = app.box.root + "/Downloads/Many.zip";
    QVERIFY(ArchiveMaker::write(many, "zip", {file("a.txt"), file("b.txt"), file("c.txt")}));
    WorkerGate gate([](const QString &text) { return text == "c.txt"; });
    answers.chooseFile(many);
    add->trigger();
    QVERIFY(answers.done());
    QVERIFY(gate.waitUntilHeld());
    FileStatus *dialog = nullptr;
    QTRY_VERIFY((dialog = w.window.findChild<FileStatus *>()) && dialog->isVisible());
    QTest::mouseClick(dialog->findChild<QPushButton *>("abortBtn"), Qt::LeftButton);
    gate.open();
    QTRY_COMPARE(w.status->text(), QString("Adding Many: aborted. [0 files added]"));
    QCOMPARE(dialog->findChild<QPlainTextEdit *>("detailsTxt")->toPlainText().split('\n').first(),
             QString("Removed the 2 files extracted so far: nothing was added."));
    QCOMPARE(entryNames(app.box.modsDir), QStringList{"HD Units"});
}

void ArchiveTest::foldersAndArchivesDroppedOnTheWindowAreAdded()
{
    installGameKey();
    AppFolder app;
    const QString downloads = app.box.root + "/Downloads";
    QVERIFY(ArchiveMaker::write(app.box.root + "/Packed.7z", "7z", {file("Maps/a.w3x", "a")}));
    QVERIFY(Tree::file(downloads + "/Loose/Maps/b.w3x", "b"));
    QVERIFY(Tree::file(downloads + "/notes.txt", "not a mod"));
    Window w(app);
    auto drop = [&w](const QStringList &paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint middle = w.window.rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.window, &enter);
        QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w.window, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };

    // A folder goes through the copy-or-move question, an archive straight in.
    ModalAnswerer answers;
    answers.pressInMessageBox("Copy");
    QVERIFY(drop({downloads + "/Loose", app.box.root + "/Packed.7z"}));
    QTRY_VERIFY(answers.done());
    QCOMPARE(answers.seenTexts,
             QStringList{"Do you want to copy or move this folder?\n" + downloads + "/Loose"});
    QTRY_VERIFY(QFileInfo::exists(app.box.modDir("Packed") + "/Maps/a.w3x") &&
                QFileInfo::exists(app.box.modDir("Loose") + "/Maps/b.w3x"));
    QTRY_VERIFY(w.row("Packed") >= 0 && w.row("Loose") >= 0);
    QVERIFY(QFileInfo::exists(downloads + "/Loose/Maps/b.w3x")); // copied

    // Anything else is no mod.
    QVERIFY(drop({downloads + "/notes.txt"}));
    QTRY_COMPARE(w.status->text(), QString("Only folders and archives can be added as mods."));
    QCOMPARE(entryNames(app.box.modsDir), (QStringList{"Loose", "Packed"}));
}

QTEST_MAIN(ArchiveTest)
#include "tst_archive.moc"
