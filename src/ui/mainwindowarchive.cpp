// The main window's add of a mod straight from its archive.
#include "mainwindow.h"

#include "controller.h"
#include "pathnames.h"
#include "worker.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

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
    if (!PathNames::isStorableModName(name) || name.startsWith(QLatin1Char('.'))) {
        setStatus(tr("Mod names cannot start with a dot or contain a slash or backslash."), true);
        return;
    }
    const QString target = modsPath() + QLatin1Char('/') + name;
    if (QFileInfo::exists(target)) {
        setStatus(tr("A mod with that name already exists."), true);
        return;
    }
    setStatus(tr("Adding ") + name + QStringLiteral("..."), false);
    Controller *controller = startFileOperation(QStringLiteral("Adding"), name);
    connect(controller->worker, &Worker::resultReady, this, &MainWindow::addModReady);
    emit controller->extractArchive(archive, target);
}
