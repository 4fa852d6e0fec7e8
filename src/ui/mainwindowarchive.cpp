// The main window's adds of mods straight from their archives, and of what is dropped on it.
#include "mainwindow.h"

#include "controller.h"
#include "modfolders.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

namespace
{

const QRegularExpression archiveExtension(QStringLiteral("\\.(zip|7z|rar|tar|tar\\.gz|tgz|tar\\.xz|"
                                                         "tar\\.bz2)$"),
                                          QRegularExpression::CaseInsensitiveOption);

} // namespace

void MainWindow::addArchive()
{
    setStatus(tr("Adding mod..."), false);
    const QString archive = QFileDialog::getOpenFileName(
        this, tr("Add Mod from Archive"), QString(),
        tr("Archives (*.zip *.7z *.rar *.tar *.tar.gz *.tgz *.tar.xz *.tar.bz2)"));
    if (!archive.isEmpty())
        addArchiveAsMod(archive);
}

void MainWindow::addArchiveAsMod(const QString &archive)
{
    const QString name = QFileInfo(archive).fileName().remove(archiveExtension);
    const ModFolders mods(modsPath());
    const QString refusal = mods.newNameRefusal(name);
    if (!refusal.isEmpty()) {
        setStatus(refusal, true);
        return;
    }
    setStatus(tr("Adding %1...").arg(name), false);
    Controller *controller = newOperation(name);
    connect(controller, &Controller::resultReady, this, &MainWindow::addModReady);
    controller->addArchive(archive, mods.pathOf(name));
}

bool MainWindow::isArchiveName(const QString &path)
{
#ifdef RUNEMOUNT_ARCHIVES
    return archiveExtension.match(path).hasMatch();
#else
    Q_UNUSED(path)
    return false; // this build reads no archives
#endif
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        paths << (url.isLocalFile() ? QFileInfo(url.toLocalFile()).absoluteFilePath() : QString());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the file manager would wait for the copy-or-move question.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            // Each its own add; the question may come once per folder.
            for (const QString &path : paths) {
                const QFileInfo dropped(path);
                if (!path.isEmpty() && dropped.isDir())
                    addFolderAsMod(path);
                else if (!path.isEmpty() && dropped.isFile() && isArchiveName(path))
                    addArchiveAsMod(path);
                else
                    setStatus(tr("Only folders and archives can be added as mods."), false);
            }
        },
        Qt::QueuedConnection);
}
