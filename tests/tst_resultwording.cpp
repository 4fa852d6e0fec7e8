#include "previewdialog.h"
#include "resultwording.h"

#include <QtTest>

using namespace ResultWording;

class ResultWordingTest : public QObject
{
    Q_OBJECT

private slots:
    void statusSummary_data();
    void statusSummary();
    void errorRecord_data();
    void errorRecord();
    void previewSummary_data();
    void previewSummary();
};

void ResultWordingTest::statusSummary_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QString>("text");

    QTest::newRow("clean mount") << Operation::Mount << 10 << 0 << 0 << 0 << false << false
                                 << "Foo mounted.";
    QTest::newRow("mount with failures") << Operation::Mount << 10 << 2 << 0 << 0 << false << false
                                         << "Foo mounted. [10 files mounted, 2 files failed]";
    QTest::newRow("nothing to mount")
        << Operation::Mount << 0 << 0 << 0 << 0 << false << false << "No files to mount.";
    QTest::newRow("mount failed") << Operation::Mount << 0 << 3 << 0 << 0 << false << false
                                  << "Failed to mount Foo. [0 files mounted, 3 files failed]";
    QTest::newRow("mount aborted") << Operation::Mount << 4 << 0 << 0 << 0 << true << false
                                   << "Mounting Foo: aborted. [4 files mounted]";
    QTest::newRow("unmount with a failure")
        << Operation::Unmount << 5 << 1 << 0 << 0 << false << false
        << "Failed to unmount Foo. [5 files unmounted, 1 files failed]";
    QTest::newRow("forced unmount") << Operation::Unmount << 0 << 0 << 3 << 0 << false << true
                                    << "Foo unmounted. [0 files unmounted, 3 files missing]";
    QTest::newRow("clean unmount")
        << Operation::Unmount << 3 << 0 << 0 << 0 << false << false << "Foo unmounted.";
    QTest::newRow("unmount that kept newer game entries")
        << Operation::Unmount << 6 << 0 << 0 << 1 << false << false
        << "Foo unmounted. [6 files unmounted, 1 earlier game files kept]";
    QTest::newRow("unmount that kept all it found")
        << Operation::Unmount << 0 << 0 << 0 << 2 << false << false
        << "Foo unmounted. [0 files unmounted, 2 earlier game files kept]";
    QTest::newRow("unmount with nothing left to undo")
        << Operation::Unmount << 0 << 0 << 0 << 0 << false << false << "Foo unmounted.";
    QTest::newRow("unmount failed beside a kept entry")
        << Operation::Unmount << 5 << 1 << 0 << 1 << false << false
        << "Failed to unmount Foo. [5 files unmounted, 1 files failed, 1 earlier game files kept]";
    QTest::newRow("add") << Operation::Add << 7 << 0 << 0 << 0 << false << false << "Foo added.";
    QTest::newRow("delete aborted") << Operation::Delete << 2 << 0 << 0 << 0 << true << false
                                    << "Deleting Foo: aborted. [2 files deleted]";
    QTest::newRow("delete that left entries")
        << Operation::Delete << 2 << 2 << 0 << 0 << false << false
        << "Failed to delete Foo. [2 files deleted, 2 files failed]";
    QTest::newRow("delete with entries gone before it")
        << Operation::Delete << 2 << 0 << 1 << 0 << false << false
        << "Foo deleted. [2 files deleted, 1 files missing]";
    QTest::newRow("everything counted") << Operation::Add << 1 << 2 << 3 << 0 << false << false
                                        << "Foo added. [1 files added, 2 files failed, "
                                           "3 files missing]";
    QTest::newRow("clean repair") << Operation::Repair << 5 << 0 << 0 << 0 << false << false
                                  << "Foo repaired.";
    QTest::newRow("repair with a failure")
        << Operation::Repair << 5 << 1 << 0 << 0 << false << false
        << "Foo repaired. [5 files repaired, 1 files failed]";
    QTest::newRow("repair that set game files aside")
        << Operation::Repair << 2 << 0 << 0 << 1 << false << false
        << "Foo repaired. [2 files repaired, 1 game files set aside]";
    QTest::newRow("nothing to repair")
        << Operation::Repair << 0 << 0 << 0 << 0 << false << false << "No files to repair.";
    QTest::newRow("check clean") << Operation::Check << 7 << 0 << 0 << 0 << false << false
                                 << "Foo matches its records.";
    QTest::newRow("check with differences")
        << Operation::Check << 2 << 4 << 2 << 0 << false << false
        << "Foo differs from its records. [2 files as mounted, 4 files changed, 2 files missing]";
    QTest::newRow("check aborted")
        << Operation::Check << 2 << 0 << 0 << 0 << true << false << "Checking Foo: aborted.";
    // What a preview found is in its dialog, also when it found nothing.
    QTest::newRow("preview of a mod that changes nothing")
        << Operation::Preview << 0 << 0 << 0 << 0 << false << false << "Foo previewed.";
    QTest::newRow("preview aborted") << Operation::Preview << 3 << 0 << 0 << 0 << true << false
                                     << "Previewing Foo: aborted. [3 files previewed]";
}

void ResultWordingTest::statusSummary()
{
    QFETCH(Operation, operation);
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(int, kept);
    QFETCH(bool, aborted);
    QFETCH(bool, forced);
    QFETCH(QString, text);
    QCOMPARE(ResultWording::statusSummary(OperationResult{
                 operation, "Foo", OutcomeCounts{done, failed, missing, kept}, aborted, forced}),
             text);
}

void ResultWordingTest::errorRecord_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<QString>("record");

    QTest::newRow("mount with failures") << Operation::Mount << 10 << 2 << 0 << 0 << false
                                         << "Mounted: 10 files mounted, 2 files failed";
    QTest::newRow("mount aborted")
        << Operation::Mount << 4 << 0 << 0 << 0 << true << "Mounting aborted: 4 files mounted";
    QTest::newRow("unmount failed") << Operation::Unmount << 0 << 0 << 3 << 0 << false
                                    << "Unmounting failed: 0 files unmounted, 3 files missing";
    QTest::newRow("unmount partly failed")
        << Operation::Unmount << 2 << 1 << 0 << 0 << false
        << "Unmounting failed: 2 files unmounted, 1 files failed";
    QTest::newRow("unmount aborted") << Operation::Unmount << 2 << 0 << 0 << 0 << true
                                     << "Unmounting aborted: 2 files unmounted";
    QTest::newRow("unmount failed, an entry kept")
        << Operation::Unmount << 2 << 1 << 0 << 1 << false
        << "Unmounting failed: 2 files unmounted, 1 files failed, 1 earlier game files kept";
    QTest::newRow("repair failed, an entry set aside")
        << Operation::Repair << 0 << 1 << 0 << 1 << false
        << "Repairing failed: 0 files repaired, 1 files failed, 1 game files set aside";
}

void ResultWordingTest::errorRecord()
{
    QFETCH(Operation, operation);
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(int, kept);
    QFETCH(bool, aborted);
    QFETCH(QString, record);
    QCOMPARE(QString::fromStdString(ResultWording::errorRecord(
                 operation, OutcomeCounts{done, failed, missing, kept}, aborted)),
             record);
}

void ResultWordingTest::previewSummary_data()
{
    QTest::addColumn<bool>("fromRecords");
    QTest::addColumn<qint64>("replacedBytes");
    QTest::addColumn<qint64>("addedBytes");
    QTest::addColumn<int>("refused");
    QTest::addColumn<QString>("text");
    const qint64 megabyte = 1024 * 1024;
    QTest::newRow("megabytes") << false << 35 * megabyte + megabyte / 2 << 12 * megabyte << 0
                               << "Foo replaces 2 game files (35.5 MB) and adds 230 (12 MB).";
    QTest::newRow("from a gibibyte on") << false << 1023 * megabyte << 1280 * megabyte << 0
                                        << "Foo replaces 2 game files (1023 MB) and adds 230 "
                                           "(1.25 GB).";
    QTest::newRow("refused entries") << false << qint64(0) << qint64(0) << 3
                                     << "Foo replaces 2 game files (0 MB) and adds 230 (0 MB). 3 "
                                        "entries cannot be placed.";
    QTest::newRow("the mounted mod's records")
        << true << 5 * megabyte << qint64(0) << 0
        << "Foo is mounted and replaces 2 game files (5 MB).";
}

void ResultWordingTest::previewSummary()
{
    QFETCH(bool, fromRecords);
    QFETCH(qint64, replacedBytes);
    QFETCH(qint64, addedBytes);
    QFETCH(int, refused);
    QFETCH(QString, text);
    PreviewedMount preview;
    preview.modName = "Foo";
    preview.fromRecords = fromRecords;
    preview.replaced = {{"war3.mpq", replacedBytes, 1}, {"Maps/keep.w3x", 0, 1}};
    if (!fromRecords)
        preview.added = {{"Scripts", addedBytes, 200}, {"Maps/new.w3x", 0, 30}};
    preview.countTotals();
    for (int i = 0; i < refused; ++i)
        preview.refused << "Another entry of the mod has the same name: x";
    QCOMPARE(PreviewDialog::summary(preview), text);
}

QTEST_GUILESS_MAIN(ResultWordingTest)
#include "tst_resultwording.moc"
