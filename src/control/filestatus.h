#pragma once

#include "listedrecords.h"

#include <QDialog>

namespace Ui
{
class FileStatus;
}

// Progress and log window of one running file operation. Modeless; its Controller fills it and
// switches it to the finished mode when the operation ended with problems or was aborted.
class FileStatus : public QDialog
{
    Q_OBJECT

public:
    explicit FileStatus(QWidget *parent);
    ~FileStatus() override;

    void setMessage(const QString &text);
    void setInfo(const QString &text);
    // How far an add or delete has come: shows the progress bar, and on the info line
    // "n files, X of Y MB".
    void setAmount(int files, qint64 bytesDone, qint64 bytesTotal);
    void appendDetail(const QString &text);
    // Switches to the finished mode, with Force Unmount hidden.
    void finish();
    // Shows Force Unmount, whose question says what the records of `modName`'s mount still list.
    void offerForce(const QString &modName, const ListedRecords &listed);

    // The question before every record of the mount is forgotten, with what stays behind.
    static QString forceQuestion(const QString &modName, const ListedRecords &listed);

signals:
    // The user confirmed that every record of the mount may be forgotten.
    void forceUnmount(bool force = true);

private slots:
    void abort();
    void forceUnmountClicked();

private:
    Ui::FileStatus *ui;
    QString question; // of Force Unmount, while it is offered
};
