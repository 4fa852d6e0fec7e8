#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

class ConfigStore;
class FileStatus;
class MainWindow;
class QWidget;
class ReportRelay;
class Worker;

// Runs one file operation of a Worker on a thread of its own and shows its progress.
// It has no owner: it releases itself, with its thread, Worker and dialog, once nothing more
// can arrive — after a clean result, after the user dismissed the finished dialog, or after a
// scan's last report.
class Controller : public QObject
{
    Q_OBJECT

public:
    // Defined with the window, which gives its store and is the dialog's parent.
    Controller(MainWindow *mainWindow, QString actionName, QString mod, bool showsDialog);
    Controller(QWidget *parentForDialog, ConfigStore *config, QString actionName, QString mod,
               bool showsDialog);
    ~Controller() override;

    Worker *worker;
    // The Worker's reports, as they reach this thread.
    ReportRelay *reports;

    // From the signal that starts the operation until its result has arrived, and again while
    // a forced pass started from the dialog runs. A Controller that only waits for its finished
    // dialog to be dismissed is not running.
    bool isRunning() const { return running; }
    // Asks the operation to stop at its next check, as the dialog's Abort button does.
    void requestAbort() { abort(); }

signals:
    void scanMod(int row);
    void mountMod();
    void unmountMod(bool force = false);
    void deleteMod();
    void moveFolder(const QString &source, const QString &target, int mode = 0);
    void checkMod();
    void repairMod();
    void extractArchive(const QString &archive, const QString &target);

private slots:
    void result(const QString &modName, int done, int failed, int missing, bool aborted,
                bool forced = false);
    void status(const QString &text, bool error = false);
    void appendAction(const QString &text);
    void amount(int files, qint64 bytesDone, qint64 bytesTotal);
    void abort();

private:
    void releaseAfterScan();
    void dialogDismissed();
    void started() { running = true; }
    FileStatus *shownDialog();

    QThread thread;
    QString action;
    QString modName;
    // Owned by the main window as a widget; held weakly in case the window goes first.
    QPointer<FileStatus> dialog;
    QPointer<QWidget> dialogParent;
    bool withDialog;
    bool awaitingDismissal = false;
    bool running = false;
    bool amountsShown = false;
};
