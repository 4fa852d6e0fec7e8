#include "filestatus.h"
#include "modalanswerer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class FileStatusTest : public QObject
{
    Q_OBJECT

private slots:
    void startsInRunningMode();
    void abortButtonRejectsWithoutHiding();
    void firstDetailOpensTheLogOnce();
    void finishSwitchesToOkAndAddsASeparatorEachTime();
    void forceUnmountAsksFirst();
    void forceQuestionSaysWhatStaysListed_data();
    void forceQuestionSaysWhatStaysListed();

private:
    QWidget window;
};

void FileStatusTest::startsInRunningMode()
{
    FileStatus dialog(&window);
    QCOMPARE(dialog.objectName(), QString("FileStatus"));
    QCOMPARE(dialog.size(), QSize(400, 90));
    QCOMPARE(dialog.minimumSize(), QSize(400, 90));
    QVERIFY(dialog.isSizeGripEnabled());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!dialog.isModal());
    auto *msg = dialog.findChild<QLabel *>("msgLbl");
    auto *info = dialog.findChild<QLabel *>("infoLbl");
    QVERIFY(msg && info);
    QCOMPARE(msg->text(), QString("Message"));
    QCOMPARE(info->text(), QString("Info"));
    // One line each, at least as tall as the form's 13 pixels and as their font needs.
    for (QLabel *label : {msg, info}) {
        QCOMPARE(label->minimumHeight(), label->maximumHeight());
        QVERIFY(label->maximumHeight() >= 13);
        QVERIFY(label->maximumHeight() >= label->sizeHint().height());
    }
    QVERIFY(dialog.findChild<QPushButton *>("okBtn")->isHidden());
    QVERIFY(dialog.findChild<QPushButton *>("forceBtn")->isHidden());
    QVERIFY(!dialog.findChild<QPushButton *>("abortBtn")->isHidden());
    auto *details = dialog.findChild<QPlainTextEdit *>("detailsTxt");
    QCOMPARE(details->maximumHeight(), 0);
    QVERIFY(details->isReadOnly());
    QCOMPARE(details->lineWrapMode(), QPlainTextEdit::NoWrap);

    // Only adds and deletes tell how far they are.
    auto *bar = dialog.findChild<QProgressBar *>("progressBar");
    QVERIFY(bar && bar->isHidden());
    dialog.setAmount(3, 524288, 1048576);
    QVERIFY(!bar->isHidden());
    QCOMPARE(bar->value(), bar->maximum() / 2);
    QCOMPARE(info->text(), QString("3 files, 0.5 of 1 MB"));
    // The dialog grows for the bar, once; its buttons keep their height.
    const int grown = dialog.minimumHeight();
    QVERIFY(grown >= 90 + bar->sizeHint().height());
    dialog.setAmount(4, 1048576, 1048576);
    QCOMPARE(dialog.minimumHeight(), grown);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(info->text(), QString("4 files, 1 of 1 MB"));

    dialog.setMessage("Mounting Foo:");
    dialog.setInfo("Maps/a.w3x");
    QCOMPARE(msg->text(), QString("Mounting Foo:"));
    QCOMPARE(info->text(), QString("Maps/a.w3x"));
}

void FileStatusTest::abortButtonRejectsWithoutHiding()
{
    FileStatus dialog(&window);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.findChild<QPushButton *>("abortBtn"), Qt::LeftButton);
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog.isVisible());

    // Escape rejects as well, and also hides the window.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(rejected.count(), 2);
    QVERIFY(!dialog.isVisible());
}

void FileStatusTest::firstDetailOpensTheLogOnce()
{
    FileStatus dialog(&window);
    auto *details = dialog.findChild<QPlainTextEdit *>("detailsTxt");
    // Before the dialog was ever shown, too.
    dialog.appendDetail("Missing file: /g/a");
    QCOMPARE(dialog.minimumHeight(), 180);
    QCOMPARE(details->minimumHeight(), 90);
    QCOMPARE(details->maximumHeight(), QWIDGETSIZE_MAX);
    dialog.show();
    dialog.appendDetail("Failed to delete file: /g/b");
    QCOMPARE(dialog.minimumHeight(), 180);
    QCOMPARE(details->toPlainText(), QString("Missing file: /g/a\nFailed to delete file: /g/b\n"));
}

void FileStatusTest::finishSwitchesToOkAndAddsASeparatorEachTime()
{
    FileStatus dialog(&window);
    auto *details = dialog.findChild<QPlainTextEdit *>("detailsTxt");
    auto *ok = dialog.findChild<QPushButton *>("okBtn");
    auto *force = dialog.findChild<QPushButton *>("forceBtn");
    auto *abort = dialog.findChild<QPushButton *>("abortBtn");
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QSignalSpy accepted(&dialog, &QDialog::accepted);

    dialog.appendDetail("Missing file: /g/a");
    dialog.finish();
    QVERIFY(force->isHidden());
    dialog.offerForce("Foo", ListedRecords{1, 0, 0});
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!ok->isHidden() && !force->isHidden() && abort->isHidden());
    QCOMPARE(details->toPlainText(), QString("Missing file: /g/a\n-----------------\n\n"));

    dialog.appendDetail("Missing file: /g/a");
    dialog.finish();
    QVERIFY(force->isHidden());
    QCOMPARE(details->toPlainText().count("-----------------\n\n"), 2);

    // A hidden Abort button no longer rejects; OK accepts and hides.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    abort->click();
    QCOMPARE(rejected.count(), 0);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(rejected.count(), 0);
    QVERIFY(!dialog.isVisible());
}

void FileStatusTest::forceUnmountAsksFirst()
{
    FileStatus dialog(&window);
    QSignalSpy forced(&dialog, &FileStatus::forceUnmount);
    dialog.finish();
    dialog.offerForce("Letters", ListedRecords{3, 0, 1});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *force = dialog.findChild<QPushButton *>("forceBtn");

    // A hasty Enter answers No: the records stay.
    ModalAnswerer answers;
    answers.pressEnterInMessageBox();
    QTest::mouseClick(force, Qt::LeftButton);
    QCOMPARE(answers.seenTitles, QStringList{"Force unmount?"});
    QCOMPARE(answers.seenTexts,
             QStringList{FileStatus::forceQuestion("Letters", ListedRecords{3, 0, 1})});
    QCOMPARE(answers.seenDefaults, QStringList{"No"});
    QCOMPARE(forced.count(), 0);
    QVERIFY(!force->isHidden());

    answers.pressInMessageBox("&Yes");
    QTest::mouseClick(force, Qt::LeftButton);
    QVERIFY(answers.done());
    QCOMPARE(forced.count(), 1);
    QCOMPARE(forced.at(0).at(0).toBool(), true);
}

void FileStatusTest::forceQuestionSaysWhatStaysListed_data()
{
    QTest::addColumn<int>("links");
    QTest::addColumn<int>("folders");
    QTest::addColumn<int>("backups");
    QTest::addColumn<QString>("remains");
    QTest::newRow("links and a backup") << 3 << 0 << 1 << "3 links and 1 backup are";
    QTest::newRow("one link, backups") << 1 << 0 << 2 << "1 link and 2 backups are";
    QTest::newRow("nothing") << 0 << 0 << 0 << "0 links and 0 backups are";
    QTest::newRow("folders a hard-link mount made")
        << 2 << 1 << 0 << "2 links, 1 folder and 0 backups are";
    QTest::newRow("many") << 100000 << 12 << 40 << "100000 links, 12 folders and 40 backups are";
}

void FileStatusTest::forceQuestionSaysWhatStaysListed()
{
    QFETCH(int, links);
    QFETCH(int, folders);
    QFETCH(int, backups);
    QFETCH(QString, remains);
    QCOMPARE(FileStatus::forceQuestion("Letters", ListedRecords{links, folders, backups}),
             "Remove all record of Letters's mount? " + remains +
                 " still listed and will stay where they are.");
}

QTEST_MAIN(FileStatusTest)
#include "tst_filestatus.moc"
