#pragma once

#include "previewedmount.h"

#include <QDialog>

class PreviewEntryModel;
class QStringListModel;

namespace Ui
{
class PreviewDialog;
}

// Shows what a mount of a mod would do: the game entries it would set aside first, then those it
// would add (a count, opened into their list on demand), then those it would refuse, with the
// mount's texts; Mount mounts the previewed mod, Close does nothing more. Window-modal, so that
// the list cannot change under it.
class PreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PreviewDialog(QWidget *parent);
    ~PreviewDialog() override;

    // Fills the dialog with `preview` and opens it. Mount is offered unless the preview is of the
    // mounted mod.
    void showPreview(const PreviewedMount &preview);

    // "Foo replaces 12 game files (34.5 MB) and adds 230 (1.2 GB)."
    static QString summary(const PreviewedMount &preview);

signals:
    void mountChosen();

private:
    void showAdded(bool shown);

    Ui::PreviewDialog *ui;
    PreviewEntryModel *replacedModel;
    PreviewEntryModel *addedModel;
    QStringListModel *refusedModel;
};
