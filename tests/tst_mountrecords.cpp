#include "keptbackups.h"
#include "mountrecords.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{

// One entry as a line of text, so that lists of them compare and print readably.
QStringList described(const std::vector<MountRecords::Placed> &entries)
{
    QStringList lines;
    for (const MountRecords::Placed &entry : entries) {
        QString kind = "symbolic link";
        if (entry.kind == MountRecords::PlacedKind::HardLink)
            kind = "hard link";
        else if (entry.kind == MountRecords::PlacedKind::Folder)
            kind = "folder";
        QString line = kind + " [" + QString::fromUtf8(entry.path.c_str()) + "]";
        if (entry.identity.known)
            line +=
                QString(" %1:%2").arg(entry.identity.volume, 0, 16).arg(entry.identity.file, 0, 16);
        lines << line;
    }
    return lines;
}

} // namespace

class MountRecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void placedLinesSayHowEachEntryWasPlaced_data();
    void placedLinesSayHowEachEntryWasPlaced();
    void keptBackupsAreOnlyAddedTo_data();
    void keptBackupsAreOnlyAddedTo();
};

void MountRecordsTest::placedLinesSayHowEachEntryWasPlaced_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("a line of an earlier version")
        << QByteArray("/game/Maps/a.w3x\n") << QStringList{"symbolic link [/game/Maps/a.w3x]"};
    QTest::newRow("a Windows path, no line end")
        << QByteArray("C:/Games/W3/war3.mpq")
        << QStringList{"symbolic link [C:/Games/W3/war3.mpq]"};
    QTest::newRow("a link's path with a tab, empty lines")
        << QByteArray("\n/game/a\tb\n\n") << QStringList{"symbolic link [/game/a\tb]"};
    QTest::newRow("a hard link whose identity is not on record")
        << QByteArray("hardlink\t/game/war3.mpq\n") << QStringList{"hard link [/game/war3.mpq]"};
    QTest::newRow("a hard link and its identity")
        << QByteArray("hardlink\t/game/x\nidentity\t803:1f2e\t/game/x\n")
        << QStringList{"hard link [/game/x] 803:1f2e"};
    QTest::newRow("tabs in a hard link's path")
        << QByteArray("hardlink\t/game/a\tb\t\nidentity\tfe01:7\t/game/a\tb\t\n")
        << QStringList{"hard link [/game/a\tb\t] fe01:7"};
    QTest::newRow("placed again: the earlier identity no longer counts")
        << QByteArray("hardlink\t/g/a\nidentity\t1:2\t/g/a\nfolder\t/g/F\nhardlink\t/g/a\n")
        << QStringList{"hard link [/g/a]", "folder [/g/F]"};
    QTest::newRow("placed again, identified again")
        << QByteArray("hardlink\t/g/a\nidentity\t1:2\t/g/a\nhardlink\t/g/a\nidentity\t1:3\t/g/a\n")
        << QStringList{"hard link [/g/a] 1:3"};
    QTest::newRow("a folder before what was placed in it")
        << QByteArray("folder\t/g/Scripts\nhardlink\t/g/Scripts/a.j\n/g/war3.mpq\n")
        << QStringList{"folder [/g/Scripts]", "hard link [/g/Scripts/a.j]",
                       "symbolic link [/g/war3.mpq]"};
    QTest::newRow("identities of nothing on record, or unreadable")
        << QByteArray("identity\t1:2\t/g/b\nhardlink\t/g/a\nidentity\tzz\t/g/a\nidentity\t1\t/g/a\n"
                      "folder\t/g/F\nidentity\t1:2\t/g/F\n")
        << QStringList{"hard link [/g/a]", "folder [/g/F]"};
}

// Old records keep their meaning, every path a record holds comes back whole, and a hard link
// whose identity line never made it counts as one whose identity is not known.
void MountRecordsTest::placedLinesSayHowEachEntryWasPlaced()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, entries);
    const std::vector<MountRecords::Placed> read = MountRecords::placedFrom(text);
    QCOMPARE(described(read), entries);
    // What a rewrite keeps reads back the same.
    QCOMPARE(described(MountRecords::placedFrom(MountRecords::placedText(read))), entries);
}

void MountRecordsTest::keptBackupsAreOnlyAddedTo_data()
{
    QTest::addColumn<QByteArray>("before"); // "<absent>": no list yet
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("the first kept entry")
        << QByteArray("<absent>") << QByteArray("/g/a.oxdbackup\n");
    QTest::newRow("after earlier ones")
        << QByteArray("/g/b.oxdbackup\n") << QByteArray("/g/b.oxdbackup\n/g/a.oxdbackup\n");
    QTest::newRow("after a last line the user left without its end")
        << QByteArray("/g/b.oxdbackup") << QByteArray("/g/b.oxdbackup\n/g/a.oxdbackup\n");
}

void MountRecordsTest::keptBackupsAreOnlyAddedTo()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.path() + "/kept_backups.txt";
    if (before != "<absent>")
        QVERIFY(TestSupport::writeFile(path, before));
    KeptBackups kept(path);
    QVERIFY(kept.append("/g/a.oxdbackup"));
    QCOMPARE(TestSupport::readFile(path), after);

    // A list that cannot be written says so, and nothing is made.
    KeptBackups nowhere(dir.path() + "/missing/kept_backups.txt");
    QVERIFY(!nowhere.append("/g/a.oxdbackup"));
    QCOMPARE(nowhere.writeFailure(),
             "Failed to write record file: " + dir.path() + "/missing/kept_backups.txt");
    QVERIFY(!QFileInfo::exists(dir.path() + "/missing"));
}

QTEST_GUILESS_MAIN(MountRecordsTest)
#include "tst_mountrecords.moc"
