#pragma once

#include <QByteArray>
#include <QString>

// The names of an archive's entries as the mod will have them, and which of them may be written.
namespace ArchiveNames
{

// UTF-8 when the bytes are valid UTF-8 (as an archive that says so writes them), otherwise CP437,
// the zip format's own; "\" separators become "/".
QString decode(const QByteArray &raw);

enum class Verdict { Fine, Unsafe, BadName };
// Unsafe: absolute, with a drive letter, or with a ".." component: it would land outside the
// mod. BadName: a component Windows cannot hold (<>:"|?* or a control character, a trailing dot
// or space, a reserved device name such as CON or NUL.txt).
Verdict judge(const QString &name);

// The name without "." components and empty ones ("./Units//x" is "Units/x").
QString clean(const QString &name);

} // namespace ArchiveNames
