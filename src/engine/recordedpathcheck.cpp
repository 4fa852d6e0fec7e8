#include "recordedpathcheck.h"

#include "fileentry.h"
#include "pathnames.h"

#include <QDir>
#include <QStringList>

#include <utility>

using PathNames::pathCase;

RecordedPathCheck::RecordedPathCheck(const QString &gameFolder, OwnFolders ownFolders)
    : own(std::move(ownFolders))
{
    const QString folder = folderForm(gameFolder);
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder))
        prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool RecordedPathCheck::accepts(const QString &path)
{
    const QString line = withSingleSlashes(path);
    if (prefix.isEmpty() || line.size() <= prefix.size() || !line.startsWith(prefix, pathCase))
        return false;
    // Most lines share their folder with others: once it has passed, only the name is left.
    const int lastSlash = line.lastIndexOf(QLatin1Char('/'));
    if (lastSlash >= prefix.size() && acceptedFolders.contains(line.left(lastSlash)))
        return isPlainComponent(line.midRef(lastSlash + 1)) && !own.holds(line);
    for (int start = prefix.size();;) {
        const int slash = line.indexOf(QLatin1Char('/'), start);
        const QStringRef component = line.midRef(start, (slash < 0 ? line.size() : slash) - start);
        if (!isPlainComponent(component))
            return false;
        if (slash < 0)
            return !own.holds(line);
        const QString folder = line.left(slash);
        if (!isRealFolder(folder))
            return false;
        if (slash == lastSlash)
            acceptedFolders.insert(folder);
        start = slash + 1;
    }
}

bool RecordedPathCheck::isPlainComponent(const QStringRef &component)
{
    return !component.isEmpty() && component != QLatin1String(".") &&
           component != QLatin1String("..");
}

bool RecordedPathCheck::isRealFolder(const QString &folder)
{
    if (realFolders.contains(folder))
        return true;
    const QFileInfo info(folder);
    if (FileEntry::isLink(info))
        return false;
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    if (info.isJunction()) // a Windows folder redirect: as good as a link
        return false;
#endif
    // A folder that is not there is no link either; the entry below it is simply missing.
    if (info.isDir())
        realFolders.insert(folder);
    return true;
}

bool RecordedPathCheck::sameFolder(const QString &a, const QString &b)
{
    return folderForm(a).compare(folderForm(b), pathCase) == 0;
}

bool RecordedPathCheck::hasDoubleSlash(const QString &path)
{
    // A plain loop: the general substring search costs more than all else per line.
    const QChar *c = path.constData();
    for (int i = 1; i < path.size(); ++i)
        if (c[i] == QLatin1Char('/') && c[i - 1] == QLatin1Char('/'))
            return true;
    return false;
}

QString RecordedPathCheck::withSingleSlashes(const QString &path)
{
    const QString slashed = QDir::fromNativeSeparators(path);
    if (!hasDoubleSlash(slashed))
        return slashed; // nearly every line
    QString result;
    result.reserve(slashed.size());
    int from = 0;
    // A network path keeps its leading "//".
    if (FileEntry::isNetworkPath(slashed)) {
        result = QStringLiteral("//");
        from = 2;
    }
    for (int i = from; i < slashed.size(); ++i)
        if (slashed[i] != QLatin1Char('/') || !result.endsWith(QLatin1Char('/')))
            result += slashed[i];
    return result;
}

QString RecordedPathCheck::folderForm(const QString &path)
{
    QString folder = withSingleSlashes(path);
    // Not the slash of a root ("/", "C:/"): without it the path would name something else.
    if (folder.endsWith(QLatin1Char('/')) && folder.size() > 1 &&
        !(folder.size() == 3 && folder[1] == QLatin1Char(':')))
        folder.chop(1);
    return folder;
}
