#include "filestatus.h"

#include "labelheight.h"
#include "scantext.h"
#include "ui_filestatus.h"

#include <QMessageBox>
#include <QTextCursor>

#include <algorithm>

namespace
{

const int detailsHeight = 90;

QString counted(int count, const char *one, const char *many)
{
    return count == 1 ? FileStatus::tr(one) : FileStatus::tr(many).arg(count);
}

} // namespace

FileStatus::FileStatus(QWidget *parent) : QDialog(parent), ui(new Ui::FileStatus)
{
    ui->setupUi(this);
    LabelHeight::fitToFont(ui->msgLbl);
    LabelHeight::fitToFont(ui->infoLbl);
    // While an operation runs, the only way out is Abort.
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    ui->okBtn->hide();
    ui->forceBtn->hide();
    ui->progressBar->hide(); // only adds and deletes know how far they are
    connect(ui->abortBtn, &QPushButton::clicked, this, &FileStatus::abort);
}

FileStatus::~FileStatus()
{
    delete ui;
}

void FileStatus::setMessage(const QString &text)
{
    ui->msgLbl->setText(text);
}

void FileStatus::setInfo(const QString &text)
{
    ui->infoLbl->setText(text);
}

void FileStatus::setAmount(int files, qint64 bytesDone, qint64 bytesTotal)
{
    if (ui->progressBar->isHidden()) {
        // Room for the bar, as for the log: the buttons keep their height.
        setMinimumHeight(minimumHeight() + ui->progressBar->sizeHint().height() +
                         ui->verticalLayout->spacing());
        ui->progressBar->show();
    }
    ui->progressBar->setValue(
        bytesTotal > 0 ? int(std::min<qint64>(1000, bytesDone * 1000 / bytesTotal)) : 0);
    ui->infoLbl->setText(QStringLiteral("%1 files, %2 of %3 MB")
                             .arg(files)
                             .arg(ScanText::megabytes(bytesDone))
                             .arg(ScanText::megabytes(bytesTotal)));
}

void FileStatus::appendDetail(const QString &text)
{
    if (ui->detailsTxt->maximumHeight() == 0) {
        // The first error line opens the log.
        setMinimumHeight(minimumHeight() + detailsHeight);
        ui->detailsTxt->setMinimumHeight(detailsHeight);
        ui->detailsTxt->setMaximumHeight(QWIDGETSIZE_MAX);
    }
    QTextCursor cursor = ui->detailsTxt->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text + QLatin1Char('\n'));
    ui->detailsTxt->setTextCursor(cursor);
}

void FileStatus::finish()
{
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    disconnect(ui->abortBtn, &QPushButton::clicked, this, &FileStatus::abort);
    ui->abortBtn->hide();
    connect(ui->okBtn, &QPushButton::clicked, this, &QDialog::accept, Qt::UniqueConnection);
    ui->okBtn->show();
    disconnect(ui->forceBtn, &QPushButton::clicked, this, &FileStatus::forceUnmountClicked);
    ui->forceBtn->hide();
    ui->detailsTxt->textCursor().insertText(QStringLiteral("-----------------\n\n"));
}

void FileStatus::offerForce(const QString &modName, const ListedRecords &listed)
{
    question = forceQuestion(modName, listed);
    connect(ui->forceBtn, &QPushButton::clicked, this, &FileStatus::forceUnmountClicked,
            Qt::UniqueConnection);
    ui->forceBtn->show();
}

QString FileStatus::forceQuestion(const QString &modName, const ListedRecords &listed)
{
    QString kept = counted(listed.links, "1 link", "%1 links");
    // Only a hard-link mount makes folders.
    if (listed.folders > 0)
        kept += QStringLiteral(", ") + counted(listed.folders, "1 folder", "%1 folders");
    return tr("Remove all record of %1's mount? %2 and %3 are still listed and will stay where "
              "they are.")
        .arg(modName, kept, counted(listed.backups, "1 backup", "%1 backups"));
}

void FileStatus::abort()
{
    // Stays on screen: the operation still has to report how far it got.
    emit rejected();
}

void FileStatus::forceUnmountClicked()
{
    // The last resort: a hasty Enter keeps the records.
    const QMessageBox::StandardButton answer = QMessageBox::warning(
        this, tr("Force unmount?"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        emit forceUnmount(true);
}
