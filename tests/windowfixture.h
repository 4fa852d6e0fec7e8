#pragma once

// A main window on a throw-away application folder, and what a test needs to drive it.

#include "fileentry.h"
#include "gameregistrystandin.h"
#include "hardlink.h"
#include "mainwindow.h"
#include "sandbox.h"
#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

// A game key with both options off, as a fresh install of the game has it.
inline void installGameKey()
{
    GameRegistryStandIn::reset();
    GameRegistryStandIn::setGameDword(L"Allow Local Files", 0);
    GameRegistryStandIn::setGameDword(L"Preferred Game Version", 0);
}

// Where this system makes no symbolic links (Wine), the window mounts with hard links.
inline bool mountsWithHardLinks()
{
    return !TestSupport::linksUnavailableReason().isEmpty();
}

// The game's entry is the mod's entry, by the way the window mounts here.
inline bool isPlaced(const QString &gamePath, const QString &modPath)
{
    if (!mountsWithHardLinks())
        return Tree::linkTarget(gamePath) == modPath;
    const HardLink::Identity game = HardLink::identityOf(FileEntry::nativePath(gamePath));
    return game.known &&
           HardLink::sameFile(game, HardLink::identityOf(FileEntry::nativePath(modPath)));
}

// An application folder with a mods folder, a game folder with real files, and config.cfg.
struct AppFolder {
    Sandbox box;

    explicit AppFolder(const QByteArray &extraConfig = QByteArray())
    {
        const QByteArray way = mountsWithHardLinks() ? "HardLinks=1\n" : "";
        TestSupport::writeFile(box.appDir + "/config.cfg", "GamePath=" + box.gameDir.toUtf8() +
                                                               "\n" + way + "hideEmptyMods=1\n" +
                                                               extraConfig);
        Tree::file(box.game("war3.mpq"), "game mpq");
        Tree::file(box.game("Maps/keep.w3x"), "game map");
    }
    QByteArray config() const { return TestSupport::readText(box.appDir + "/config.cfg"); }
};

struct Window {
    MainWindow window;
    QTableWidget *list;
    QLabel *status;
    QPushButton *toggle;

    explicit Window(const AppFolder &app,
                    const GameRegistry &registry = GameRegistryStandIn::registry())
        : window(TestSupport::utf8(app.box.appDir), registry),
          list(window.findChild<QTableWidget *>("modList")),
          status(window.findChild<QLabel *>("statusBarLbl")),
          toggle(window.findChild<QPushButton *>("toggleMountBtn"))
    {
        window.show();
    }
    int row(const QString &name) const
    {
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->item(r, 0)->text() == name)
                return r;
        return -1;
    }
    QString cell(const QString &name, int column) const
    {
        const int r = row(name);
        return r < 0 ? QString("<no row>") : list->item(r, column)->text();
    }
    bool shown(const QString &name) const
    {
        const int r = row(name);
        return r >= 0 && !list->isRowHidden(r);
    }
    void select(const QString &name) { list->setCurrentCell(row(name), 0); }
    QAction *action(const char *name) { return window.findChild<QAction *>(name); }
};
