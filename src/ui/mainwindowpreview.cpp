// The main window's side of Preview Mount: MountCommands runs the preview, the dialog shows it,
// and its Mount goes the way of the Mount button.
#include "mainwindow.h"

#include "mountcommands.h"
#include "previewdialog.h"

void MainWindow::previewMod()
{
    mountCommands->preview(chosenMod());
}

void MainWindow::showPreview(const PreviewedMount &preview)
{
    if (quitting)
        return;
    if (!previewDialog) {
        previewDialog = new PreviewDialog(this);
        connect(previewDialog, &PreviewDialog::mountChosen, mountCommands,
                &MountCommands::mountPreviewed);
    }
    previewDialog->showPreview(preview);
}
