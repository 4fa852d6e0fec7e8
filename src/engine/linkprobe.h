#pragma once

#include "mountway.h"

#include <QString>

// Tries, before a mount or a repair changes anything, whether its way of linking works between
// the mods folder and the game folder: one link of that kind in the game folder to an entry of
// the mod, under a name nothing else has, made and removed again. Its path is noted in a file
// of its own before it is made, so that one a killed process left is removed by the next probe
// or unmount.
class LinkProbe
{
public:
    LinkProbe(QString gameFolder, QString notePath);

    // None also where the way could not be tried (a mod with nothing to link, a note that
    // cannot be written): the mount then finds out entry by entry.
    LinkRefusal run(MountWay way, const QString &modFolder);
    // Removes a probe's link that a killed process left, and then its note.
    void clearLeftover();

private:
    QString freeName() const;
    static bool isProbeName(const QString &name);

    const QString gameFolder;
    const QString notePath;
};
