// The main window's mod list: rebuilding it from the mods folder, and the filter above it.
#include "mainwindow.h"

#include "configstore.h"
#include "modtable.h"
#include "mountcommands.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QLocale>
#include <QShortcut>

void MainWindow::refresh(const QString &text, const QString &select, bool rescan)
{
    readGameOptions();
    QString statusText = text;
    if (rescan) {
        const MountState state = mountCommands->state();
        // The mounted mod is selected whatever was asked; without a name the selected mod
        // stays selected, wherever its row lands.
        QString wanted = state.isMounted() ? state.mountedMod() : select;
        if (wanted.isEmpty())
            wanted = currentModName();
        const int target = modTable->fill(state, wanted, warningIcon);
        if (target >= 0 && target < ui->modList->rowCount()) {
            ui->modList->selectRow(target);
        } else if (state.isMounted()) {
            // The mounted mod's folder went away outside the program: bring back an empty one
            // so that it can still be unmounted.
            if (QDir().mkdir(modsPath() + QLatin1Char('/') + wanted)) {
                refresh(text, wanted, true);
                return;
            }
            statusText = tr("Failed to create folder for %1.").arg(wanted);
        }
    } else if (mountCommands->isMounted()) {
        modTable->markMounted(mountCommands->state(), warningIcon);
    }
    showMountState(false);
    setStatus(statusText.isEmpty() ? tr("Runemount refreshed.") : statusText, false);
}

QString MainWindow::currentModName() const
{
    const QTableWidgetItem *current = ui->modList->item(ui->modList->currentRow(), 0);
    return current ? current->text() : QString();
}

void MainWindow::setUpFilter()
{
    connect(ui->filterEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        modTable->setFilter(text);
        showFilterCount();
    });
    // Rows keep coming in while the list is measured.
    connect(modTable, &ModTable::rowsChanged, this, [this] {
        if (filterCountShown)
            showFilterCount();
    });
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        ui->filterEdit->setFocus(Qt::ShortcutFocusReason);
        ui->filterEdit->selectAll();
    });
    auto *clear = new QShortcut(QKeySequence(Qt::Key_Escape), ui->filterEdit, nullptr, nullptr,
                                Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, ui->filterEdit, &QLineEdit::clear);
}

void MainWindow::showFilterCount()
{
    if (!modTable->isFiltered()) {
        setStatus(tr("Filter cleared."), false);
        return;
    }
    // Grouped as the program's other texts are written, whatever the system's language.
    const QLocale english(QLocale::English);
    setStatus(tr("%1 of %2 mods")
                  .arg(english.toString(modTable->shownCount()),
                       english.toString(modTable->unfilteredCount())),
              false);
    filterCountShown = true;
}
