#include "randomtree.h"

#include "sandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <random>

namespace RandomTree
{

namespace
{

// Shared by both trees, so that mod entries land on game entries. "x.oxdbackup" and
// "x.oxdbackup2" are ordinary names here: a game may hold them already, and a mod may too.
const QStringList &plainNames()
{
    static const QStringList names = {"a",        "b",   "c",           "Maps",
                                      "Units",    "x",   "x.oxdbackup", "x.oxdbackup2",
                                      "war3.mpq", "d e", "J\u00fcrgen", "Sounds"};
    return names;
}

const QStringList &hiddenNames()
{
    static const QStringList names = {".hidden", ".git", ".x"};
    return names;
}

// Deepest level of nested folders below either root.
const int maxDepth = 4;
// Keeps a tree at a few tens of entries, so that hundreds of cases run in seconds.
const int entryBudget = 70;

QString join(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

class Builder
{
public:
    Builder(std::uint32_t seed, const QString &gameDir, const QString &modDir, bool links)
        : rng(seed), gameRoot(gameDir), modRoot(modDir), gameLinks(links)
    {
    }

    bool run()
    {
        sharedFolder(QString(), 0);
        return error.isEmpty();
    }

    QString error;

private:
    enum Side { Game, Mod };

    // Cases for one name in a folder that both trees have as a real folder. The numbers are
    // weights; Descend is dropped at the deepest level.
    enum Case {
        Replace,         // file over file
        Descend,         // folder in both: the mount walks into it
        ModOnly,         // a file, or a folder linked whole
        GameOnly,        // left alone by the mount
        FileOverFolder,  // the walk lists the file as an empty folder and places nothing
        FolderOverFile,  // the file is set aside, the folder linked
        Hidden,          // never mounted
        EmptyGameFolder, // the mod puts files into a game folder that is empty
        BackupNamed,     // the game already holds name.oxdbackup (and maybe name.oxdbackup2)
        GameLink,        // a link in the game, which the mod may replace
        CaseCount
    };

    int below(int n) { return int(rng() % std::uint32_t(n)); }
    bool chance(int percent) { return below(100) < percent; }

    Case pickCase(int depth)
    {
        static const int weights[CaseCount] = {14, 14, 10, 7, 7, 7, 7, 5, 7, 10};
        int total = 0;
        for (int c = 0; c < CaseCount; ++c)
            total += (c == Descend && depth >= maxDepth) ? 0 : weights[c];
        int roll = below(total);
        for (int c = 0; c < CaseCount; ++c) {
            const int weight = (c == Descend && depth >= maxDepth) ? 0 : weights[c];
            if (roll < weight)
                return Case(c);
            roll -= weight;
        }
        return Replace;
    }

    // A free name from `pool`, marked as used; empty when none is left.
    QString takeName(QSet<QString> &used, const QStringList &pool)
    {
        QStringList free;
        for (const QString &name : pool)
            if (!used.contains(name))
                free << name;
        if (free.isEmpty())
            return QString();
        const QString name = free.at(below(free.size()));
        used.insert(name);
        return name;
    }

    QByteArray content(Side side)
    {
        if (chance(5))
            return QByteArray();
        QByteArray text = (side == Game ? "game " : "mod ") + QByteArray::number(++serial) + ' ';
        const int length = below(24);
        for (int i = 0; i < length; ++i)
            text += char('a' + below(26));
        return text;
    }

    bool full() const { return entries >= entryBudget; }

    void check(bool ok, const QString &path)
    {
        ++entries;
        if (!ok && error.isEmpty())
            error = path;
    }

    QString root(Side side) const { return side == Game ? gameRoot : modRoot; }

    void makeFile(Side side, const QString &path)
    {
        check(Tree::file(path, content(side)), path);
        if (side == Game)
            gameFiles << path;
    }

    void makeFolder(Side side, const QString &path)
    {
        check(Tree::folder(path), path);
        if (side == Game)
            gameFolders << path;
    }

    // A link in the game to a game file or folder made earlier, or to nothing. Absolute and
    // relative targets both occur.
    void makeGameLink(const QString &path)
    {
        QString target;
        const int kind = below(3);
        if (kind == 0 && !gameFiles.isEmpty())
            target = gameFiles.at(below(gameFiles.size()));
        else if (kind == 1 && !gameFolders.isEmpty())
            target = gameFolders.at(below(gameFolders.size()));
        if (target.isEmpty()) {
            // Outside the name pool, so that nothing the trees or the mount make can fill it.
            target = join(gameRoot, "nowhere/gone" + QString::number(++serial));
        }
        if (chance(50))
            target = QDir(QFileInfo(path).absolutePath()).relativeFilePath(target);
        if (gameLinks)
            check(Tree::link(path, target), path);
        else
            makeFile(Game, path);
    }

    // Entries of one tree only, below `folder` (which exists) at `depth`.
    void oneSided(Side side, const QString &folder, int depth)
    {
        QSet<QString> used;
        const int count = below(4);
        for (int i = 0; i < count && !full(); ++i) {
            const QString name = takeName(used, chance(12) ? hiddenNames() : plainNames());
            if (name.isEmpty())
                break;
            const QString path = join(folder, name);
            const int roll = below(100);
            if (roll < 60 || (depth >= maxDepth && roll < 90)) {
                makeFile(side, path);
            } else if (roll < 90) {
                makeFolder(side, path);
                oneSided(side, path, depth + 1);
            } else if (side == Game) {
                makeGameLink(path);
            } else {
                makeFile(side, path);
            }
        }
    }

    // A folder that both trees have as a real folder ("" is the two roots), at `depth`.
    void sharedFolder(const QString &relative, int depth)
    {
        const QString game = relative.isEmpty() ? gameRoot : join(gameRoot, relative);
        const QString mod = relative.isEmpty() ? modRoot : join(modRoot, relative);
        QSet<QString> used;
        const int count = depth == 0 ? 6 + below(4) : below(4);
        for (int i = 0; i < count && !full(); ++i) {
            const Case which = pickCase(depth);
            const QString name = takeName(used, which == Hidden ? hiddenNames() : plainNames());
            if (name.isEmpty())
                continue;
            const QString inGame = join(game, name);
            const QString inMod = join(mod, name);
            const QString inBoth = relative.isEmpty() ? name : join(relative, name);
            switch (which) {
            case Replace:
                makeFile(Game, inGame);
                makeFile(Mod, inMod);
                break;
            case Descend:
                makeFolder(Game, inGame);
                makeFolder(Mod, inMod);
                sharedFolder(inBoth, depth + 1);
                break;
            case ModOnly:
                if (chance(50) || depth >= maxDepth) {
                    makeFile(Mod, inMod);
                } else {
                    makeFolder(Mod, inMod);
                    oneSided(Mod, inMod, depth + 1); // may stay empty
                }
                break;
            case GameOnly:
                if (chance(40) || depth >= maxDepth) {
                    makeFile(Game, inGame);
                } else {
                    makeFolder(Game, inGame);
                    if (chance(70))
                        oneSided(Game, inGame, depth + 1);
                }
                break;
            case FileOverFolder:
                if (depth >= maxDepth) {
                    makeFile(Game, inGame);
                    makeFile(Mod, inMod);
                    break;
                }
                makeFolder(Game, inGame);
                oneSided(Game, inGame, depth + 1);
                makeFile(Mod, inMod);
                break;
            case FolderOverFile:
                makeFile(Game, inGame);
                if (depth >= maxDepth) {
                    makeFile(Mod, inMod);
                    break;
                }
                makeFolder(Mod, inMod);
                oneSided(Mod, inMod, depth + 1);
                break;
            case Hidden: {
                const int sides = below(3); // game, mod, both
                if (sides != 1)
                    hiddenEntry(Game, inGame, depth);
                if (sides != 0)
                    hiddenEntry(Mod, inMod, depth);
                break;
            }
            case EmptyGameFolder:
                makeFolder(Game, inGame);
                makeFolder(Mod, inMod);
                if (depth + 1 < maxDepth && chance(30)) {
                    // One level more, so the game folder's emptiness matters below the top.
                    QSet<QString> inner;
                    const QString sub = takeName(inner, plainNames());
                    makeFolder(Mod, join(inMod, sub));
                    makeFile(Mod, join(join(inMod, sub), takeName(inner, plainNames())));
                } else {
                    QSet<QString> inner;
                    const int files = 1 + below(2);
                    for (int f = 0; f < files; ++f)
                        makeFile(Mod, join(inMod, takeName(inner, plainNames())));
                }
                break;
            case BackupNamed: {
                const QString first = name + ".oxdbackup";
                const QString second = name + ".oxdbackup2";
                if (used.contains(first) || used.contains(second)) {
                    makeFile(Game, inGame);
                    makeFile(Mod, inMod);
                    break;
                }
                used.insert(first);
                used.insert(second);
                if (chance(75))
                    makeFile(Game, inGame);
                else
                    makeGameLink(inGame);
                makeFile(Game, join(game, first));
                if (chance(50))
                    makeFile(Game, join(game, second));
                if (chance(70) || depth >= maxDepth) {
                    makeFile(Mod, inMod);
                } else {
                    makeFolder(Mod, inMod);
                    oneSided(Mod, inMod, depth + 1);
                }
                break;
            }
            case GameLink: {
                makeGameLink(inGame);
                const int roll = below(100);
                if (roll < 50 || (roll < 80 && depth >= maxDepth)) {
                    makeFile(Mod, inMod);
                } else if (roll < 80) {
                    makeFolder(Mod, inMod);
                    oneSided(Mod, inMod, depth + 1);
                }
                break;
            }
            case CaseCount:
                break;
            }
        }
    }

    void hiddenEntry(Side side, const QString &path, int depth)
    {
        if (chance(70) || depth >= maxDepth) {
            makeFile(side, path);
        } else {
            makeFolder(side, path);
            makeFile(side, join(path, "x"));
        }
    }

    std::mt19937 rng;
    const QString gameRoot;
    const QString modRoot;
    QStringList gameFiles;   // link targets
    QStringList gameFolders; // link targets
    int entries = 0;
    int serial = 0;
    const bool gameLinks;
};

} // namespace

bool build(std::uint32_t seed, const QString &gameDir, const QString &modDir, QString *error,
           bool gameLinks)
{
    Builder builder(seed, gameDir, modDir, gameLinks);
    const bool ok = builder.run();
    if (error)
        *error = builder.error;
    return ok;
}

} // namespace RandomTree
