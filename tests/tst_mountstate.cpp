#include "configstore.h"
#include "fileoutcome.h"
#include "mountstate.h"
#include "testsupport.h"

#include <QtTest>

#include <memory>

// What the end of a mount or an unmount leaves in config.cfg: read back through a fresh store,
// as the next start of the program would.
class MountStateTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void mountFinished_data();
    void mountFinished();
    void unmountFinished_data();
    void unmountFinished();
    void failedUnmountsAddUpUntilOneSucceeds();

private:
    std::unique_ptr<ConfigStore> savedStore() const;
    // Foo mounted as the mount command leaves it, with an earlier error record if not empty.
    void beginMount(const std::string &earlierError);

    std::unique_ptr<QTemporaryDir> app;
    std::unique_ptr<ConfigStore> store;
};

void MountStateTest::init()
{
    app = std::make_unique<QTemporaryDir>();
    QVERIFY(app->isValid());
    store = std::make_unique<ConfigStore>(TestSupport::utf8(app->path()));
}

std::unique_ptr<ConfigStore> MountStateTest::savedStore() const
{
    return std::make_unique<ConfigStore>(TestSupport::utf8(app->path()));
}

void MountStateTest::beginMount(const std::string &earlierError)
{
    MountState(store.get()).begin("Foo", 1572864, 12); // 1.5 MB
    if (!earlierError.empty()) {
        store->set(ConfigKey::mountedError, earlierError);
        store->save();
    }
}

void MountStateTest::mountFinished_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<QByteArray>("backupRecord"); // what backup_files.txt holds afterwards
    QTest::addColumn<bool>("staysMounted");
    QTest::addColumn<QString>("error"); // MountedError afterwards
    QTest::addColumn<bool>("rescan");

    QTest::newRow("clean") << 10 << 0 << 0 << false << QByteArray() << true << "old" << false;
    QTest::newRow("failures replace the earlier record")
        << 10 << 2 << 0 << false << QByteArray() << true
        << "Mounted: 10 files mounted, 2 files failed" << true;
    QTest::newRow("missing") << 3 << 0 << 1 << false << QByteArray() << true
                             << "Mounted: 3 files mounted, 1 files missing" << true;
    QTest::newRow("aborted") << 4 << 0 << 0 << true << QByteArray() << true
                             << "Mounting aborted: 4 files mounted" << true;
    QTest::newRow("nothing placed") << 0 << 3 << 0 << false << QByteArray() << false << "" << false;
    QTest::newRow("aborted before the first")
        << 0 << 0 << 0 << true << QByteArray() << false << "" << false;
    // A game entry set aside could not be put back: the unmount still has to restore it.
    QTest::newRow("nothing placed, a backup left")
        << 0 << 1 << 0 << false << QByteArray("/game/a.txt.oxdbackup\n") << true
        << "Mounting failed: 0 files mounted, 1 files failed" << true;
}

void MountStateTest::mountFinished()
{
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(bool, aborted);
    QFETCH(QByteArray, backupRecord);
    QFETCH(bool, staysMounted);
    QFETCH(QString, error);
    QFETCH(bool, rescan);

    beginMount("old");
    QVERIFY(TestSupport::writeFile(app->path() + "/backup_files.txt", backupRecord));
    QCOMPARE(MountState(store.get()).mountFinished(OutcomeCounts{done, failed, missing}, aborted),
             rescan);

    const std::unique_ptr<ConfigStore> saved = savedStore();
    const MountState state(saved.get());
    QCOMPARE(state.isMounted(), staysMounted);
    QCOMPARE(state.mountedMod(), staysMounted ? QString("Foo") : QString());
    QCOMPARE(state.mountedSize(), staysMounted ? QString("1.5 MB") : QString());
    QCOMPARE(state.mountedCount(), staysMounted ? QString("12 files") : QString());
    QCOMPARE(QString::fromStdString(saved->get(ConfigKey::mountedError)), error);
}

void MountStateTest::unmountFinished_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<bool>("staysMounted");
    QTest::addColumn<QString>("error");

    QTest::newRow("clean") << 10 << 0 << 0 << 0 << false << false << false << "";
    QTest::newRow("nothing on record") << 0 << 0 << 0 << 0 << false << false << false << "";
    QTest::newRow("game entries kept end it all the same")
        << 3 << 0 << 0 << 2 << false << false << false << "";
    QTest::newRow("failures are added to the mount's record")
        << 5 << 1 << 0 << 0 << false << false << true
        << "Mounted: 9 files mounted, 1 files failed;"
           "Unmounting failed: 5 files unmounted, 1 files failed";
    QTest::newRow("aborted without problems")
        << 2 << 0 << 0 << 0 << true << false << true
        << "Mounted: 9 files mounted, 1 files failed;Unmounting aborted: 2 files unmounted";
    QTest::newRow("forced clears whatever its counts")
        << 0 << 2 << 3 << 0 << false << true << false << "";
    // What an aborted forced pass did not reach is still on record.
    QTest::newRow("forced but aborted")
        << 1 << 0 << 0 << 0 << true << true << true
        << "Mounted: 9 files mounted, 1 files failed;Unmounting aborted: 1 files unmounted";
}

void MountStateTest::unmountFinished()
{
    QFETCH(int, done);
    QFETCH(int, failed);
    QFETCH(int, missing);
    QFETCH(int, kept);
    QFETCH(bool, aborted);
    QFETCH(bool, forced);
    QFETCH(bool, staysMounted);
    QFETCH(QString, error);

    beginMount("Mounted: 9 files mounted, 1 files failed");
    const bool rescan =
        MountState(store.get())
            .unmountFinished(OutcomeCounts{done, failed, missing, kept}, aborted, forced);
    // The list is scanned again exactly when the mod became an ordinary row.
    QCOMPARE(rescan, !staysMounted);

    const std::unique_ptr<ConfigStore> saved = savedStore();
    const MountState state(saved.get());
    QCOMPARE(state.mountedMod(), staysMounted ? QString("Foo") : QString());
    QCOMPARE(state.mountedSize(), staysMounted ? QString("1.5 MB") : QString());
    QCOMPARE(state.mountedCount(), staysMounted ? QString("12 files") : QString());
    QCOMPARE(QString::fromStdString(saved->get(ConfigKey::mountedError)), error);
}

void MountStateTest::failedUnmountsAddUpUntilOneSucceeds()
{
    beginMount(std::string());
    MountState state(store.get());
    const OutcomeCounts missingThree{0, 0, 3};
    QVERIFY(!state.unmountFinished(missingThree, false, false));
    QVERIFY(!state.unmountFinished(missingThree, false, false));
    const QString record = "Unmounting failed: 0 files unmounted, 3 files missing";
    QCOMPARE(QString::fromStdString(savedStore()->get(ConfigKey::mountedError)),
             record + ";" + record);
    // The row's tool tip numbers the records; a repeat of the one before is left out.
    QCOMPARE(state.warning(), "Warning:\n(1) " + record);

    QVERIFY(state.unmountFinished(OutcomeCounts{3, 0, 0}, false, false));
    QVERIFY(savedStore()->get(ConfigKey::mounted).empty());
    QVERIFY(savedStore()->get(ConfigKey::mountedError).empty());
    QCOMPARE(state.warning(), QString());
}

QTEST_GUILESS_MAIN(MountStateTest)
#include "tst_mountstate.moc"
