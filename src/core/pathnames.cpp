#include "pathnames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace PathNames
{

#ifdef Q_OS_WIN
const Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
const Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif

QString absoluteClean(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

bool samePath(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() &&
           absoluteClean(a).compare(absoluteClean(b), pathCase) == 0;
}

bool isInside(const QString &path, const QString &folder)
{
    return path.compare(folder, pathCase) == 0 ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'),
                           pathCase);
}

bool liesWithin(const QString &path, const QString &folder)
{
    return !path.isEmpty() && !folder.isEmpty() && isInside(resolved(path), resolved(folder));
}

QString absoluteFolder(const QString &folder)
{
    return folder.isEmpty() || QDir::isAbsolutePath(folder)
               ? folder
               : QDir::current().absoluteFilePath(folder);
}

bool isPlainFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

bool fitsOnOneLine(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

bool isStorableModName(const QString &name)
{
    return isPlainFolderName(name) && fitsOnOneLine(name);
}

bool isNameWindowsReserves(const QString &name)
{
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')) ||
           reserved.match(name).hasMatch();
}

bool hasCharacterWindowsRefuses(const QString &name)
{
    for (const QChar c : name)
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"|?*").contains(c))
            return true;
    return false;
}

bool windowsCannotHold(const QString &name)
{
    return hasCharacterWindowsRefuses(name) || isNameWindowsReserves(name);
}

} // namespace PathNames
