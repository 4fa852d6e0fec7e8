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
};

void ResultWordingTest::statusSummary_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QString>("text");

    QTest::newRow("clean mount") << "Mounting" << 10 << 0 << 0 << false << false << "Foo mounted.";
    QTest::newRow("mount with failures") << "Mounting" << 10 << 2 << 0 << false << false
                                         << "Foo mounted. [10 files mounted, 2 files failed]";
    QTest::newRow("nothing to mount")
        << "Mounting" << 0 << 0 << 0 << false << false << "No files to mount.";
    QTest::newRow("mount failed") << "Mounting" << 0 << 3 << 0 << false << false
                                  << "Failed to mount Foo. [0 files mounted, 3 files failed]";
    QTest::newRow("mount aborted")
        << "Mounting" << 4 << 0 << 0 << true << false << "Mounting Foo: aborted. [4 files mounted]";
    QTest::newRow("unmount with a failure")
        << "Unmounting" << 5 << 1 << 0 << false << false
        << "Failed to unmount Foo. [5 files unmounted, 1 files failed]";
    QTest::newRow("forced unmount") << "Unmounting" << 0 << 0 << 3 << false << true
                                    << "Foo unmounted. [0 files unmounted, 3 files missing]";
    QTest::newRow("clean unmount")
        << "Unmounting" << 3 << 0 << 0 << false << false << "Foo unmounted.";
    QTest::newRow("add") << "Adding" << 7 << 0 << 0 << false << false << "Foo added.";
    QTest::newRow("delete aborted")
        << "Deleting" << 2 << 0 << 0 << true << false << "Deleting Foo: aborted. [2 files deleted]";
    QTest::newRow("everything counted") << "Adding" << 1 << 2 << 3 << false << false
                                        << "Foo added. [1 files added, 2 files failed, "
                                           "3 files missing]";
    QTest::newRow("clean repair") << "Repairing" << 5 << 0 << 0 << false << false
                                  << "Foo repaired.";
    QTest::newRow("repair with a failure") << "Repairing" << 5 << 1 << 0 << false << false
                                           << "Foo repaired. [5 files repaired, 1 files failed]";
    QTest::newRow("check clean") << "Checking" << 7 << 0 << 0 << false << false
                                 << "Foo matches its records.";
    QTest::newRow("check with differences")
        << "Checking" << 2 << 4 << 2 << false << false
        << "Foo differs from its records. [2 files as mounted, 4 files changed, 2 files missing]";
    QTest::newRow("check aborted")
        << "Checking" << 2 << 0 << 0 << true << false << "Checking Foo: aborted.";
}

void ResultWordingTest::statusSummary()
{
    QFETCH(QString, action);
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(bool, aborted);
    QFETCH(bool, forced);
    QFETCH(QString, text);
    QCOMPARE(ResultWording::statusSummary(action, "Foo", done, failed, missing, aborted, forced),
             text);
}

void ResultWordingTest::errorRecord_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<QString>("record");

    QTest::newRow("mount with failures")
        << "Mounting" << 10 << 2 << 0 << false << "Mounted: 10 files mounted, 2 files failed";
    QTest::newRow("mount aborted")
        << "Mounting" << 4 << 0 << 0 << true << "Mounting aborted: 4 files mounted";
    QTest::newRow("unmount failed") << "Unmounting" << 0 << 0 << 3 << false
                                    << "Unmounting failed: 0 files unmounted, 3 files missing";
    QTest::newRow("unmount partly failed")
        << "Unmounting" << 2 << 1 << 0 << false
        << "Unmounting failed: 2 files unmounted, 1 files failed";
    QTest::newRow("unmount aborted")
        << "Unmounting" << 2 << 0 << 0 << true << "Unmounting aborted: 2 files unmounted";
}

void ResultWordingTest::errorRecord()
{
    QFETCH(QString, action);
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(bool, aborted);
    QFETCH(QString, record);
    QCOMPARE(QString::fromStdString(
                 ResultWording::errorRecord(action.toStdString(), done, failed, missing, aborted)),
             record);
}

QTEST_GUILESS_MAIN(ResultWordingTest)
#include "tst_resultwording.moc"
