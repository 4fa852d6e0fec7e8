#include "previewdialog.h"

#include "previewentrymodel.h"
#include "scantext.h"
#include "ui_previewdialog.h"

#include <QHeaderView>
#include <QStringListModel>

namespace
{

// The path takes the room; size and count are fitted to the rows in sight, which a hundred
// thousand rows do not slow down.
void setUpColumns(QTreeView *view)
{
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
}

} // namespace

PreviewDialog::PreviewDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::PreviewDialog), replacedModel(new PreviewEntryModel(this)),
      addedModel(new PreviewEntryModel(this)), refusedModel(new QStringListModel(this))
{
    ui->setupUi(this);
    ui->replacedView->setModel(replacedModel);
    ui->addedView->setModel(addedModel);
    ui->refusedView->setModel(refusedModel);
    setUpColumns(ui->replacedView);
    setUpColumns(ui->addedView);
    connect(ui->addedBtn, &QToolButton::toggled, this, &PreviewDialog::showAdded);
    connect(this, &QDialog::accepted, this, &PreviewDialog::mountChosen);
}

PreviewDialog::~PreviewDialog()
{
    delete ui;
}

QString PreviewDialog::summary(const PreviewedMount &preview)
{
    const QString replaces = tr("%1 game files (%2)")
                                 .arg(preview.replaced.size())
                                 .arg(ScanText::amount(preview.replacedBytes));
    if (preview.fromRecords)
        return tr("%1 is mounted and replaces %2.").arg(preview.modName, replaces);
    QString text = tr("%1 replaces %2 and adds %3 (%4).")
                       .arg(preview.modName, replaces, QString::number(preview.addedFiles),
                            ScanText::amount(preview.addedBytes));
    if (!preview.refused.isEmpty())
        text += tr(" %1 entries cannot be placed.").arg(preview.refused.size());
    return text;
}

void PreviewDialog::showPreview(const PreviewedMount &preview)
{
    setWindowTitle(tr("Preview Mount of %1").arg(preview.modName));
    ui->summaryLbl->setText(summary(preview));
    replacedModel->setEntries(preview.replaced);
    addedModel->setEntries(preview.added);
    refusedModel->setStringList(preview.refused);
    ui->addedBtn->setText(tr("%1 files added (%2)")
                              .arg(preview.addedFiles)
                              .arg(ScanText::amount(preview.addedBytes)));
    ui->addedBtn->setChecked(false);
    showAdded(false);
    ui->replacedLbl->setVisible(!preview.replaced.isEmpty());
    ui->replacedView->setVisible(!preview.replaced.isEmpty());
    ui->addedBtn->setVisible(!preview.added.isEmpty());
    ui->refusedLbl->setVisible(!preview.refused.isEmpty());
    ui->refusedView->setVisible(!preview.refused.isEmpty());
    ui->mountBtn->setEnabled(!preview.fromRecords);
    (preview.fromRecords ? ui->closeBtn : ui->mountBtn)->setDefault(true);
    open();
}

void PreviewDialog::showAdded(bool shown)
{
    ui->addedBtn->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    ui->addedView->setVisible(shown);
}
