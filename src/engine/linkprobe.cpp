#include "linkprobe.h"

#include "fileentry.h"
#include "hardlink.h"
#include "symboliclink.h"
#include "workerparts.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <utility>

namespace
{

const QString probePrefix = QStringLiteral(".runemount-probe-");

// A file of the mod for a hard link to: any will do, all lie on the mod's drive.
QString someFileOf(const QString &modFolder)
{
    QDirIterator files(modFolder, QDir::Files | QDir::NoSymLinks | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    return files.hasNext() ? files.next() : QString();
}

} // namespace

using FileEntry::Kind;
using FileEntry::nativePath;

LinkProbe::LinkProbe(QString game, QString note)
    : gameFolder(std::move(game)), notePath(std::move(note))
{
}

QString LinkProbe::freeName() const
{
    for (;;) {
        const QString path = gameFolder + QLatin1Char('/') + probePrefix +
                             QString::number(QRandomGenerator::global()->generate64(), 16);
        if (FileEntry::kindOf(path) == Kind::None)
            return path;
    }
}

bool LinkProbe::isProbeName(const QString &name)
{
    return name.startsWith(probePrefix) && name.size() > probePrefix.size();
}

LinkRefusal LinkProbe::run(MountWay way, const QString &modFolder)
{
    clearLeftover();
    const bool hardLinks = way == MountWay::HardLinks;
    const QString target = hardLinks ? someFileOf(modFolder) : modFolder;
    if (target.isEmpty() || QDir(modFolder).isEmpty(WorkerParts::allEntries) ||
        QFileInfo::exists(notePath))
        return LinkRefusal::None;
    const QString probe = freeName();
    QFile note(notePath);
    const QByteArray line = probe.toUtf8() + '\n';
    if (!note.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        note.write(line) != line.size()) {
        note.remove();
        return LinkRefusal::None;
    }
    note.close();

    LinkRefusal refusal = LinkRefusal::None;
    bool made = false;
    if (hardLinks) {
        const HardLink::Creation creation = HardLink::create(nativePath(probe), nativePath(target));
        made = creation == HardLink::Creation::Created;
        if (creation == HardLink::Creation::OtherDevice ||
            creation == HardLink::Creation::NotSupported)
            refusal = LinkRefusal::HardLinks;
    } else {
        const SymbolicLink::Creation creation =
            SymbolicLink::create(nativePath(probe), nativePath(target), true);
        made = creation == SymbolicLink::Creation::Created;
        if (creation == SymbolicLink::Creation::Refused)
            refusal = LinkRefusal::SymbolicLinks;
    }
    if (made || FileEntry::kindOf(probe) != Kind::None)
        clearLeftover();
    else
        note.remove();
    return refusal;
}

void LinkProbe::clearLeftover()
{
    QFile note(notePath);
    if (!note.exists())
        return;
    if (note.open(QIODevice::ReadOnly)) {
        QByteArray line = note.readLine();
        note.close();
        if (line.endsWith('\n'))
            line.chop(1);
        const QString probe = QString::fromUtf8(line);
        // Only a probe's own name right in the game folder, and only a link or a file there.
        const QString name = QFileInfo(probe).fileName();
        const bool ours = isProbeName(name) && probe == gameFolder + QLatin1Char('/') + name;
        const Kind kind = ours ? FileEntry::kindOf(probe) : Kind::None;
        bool removed = kind == Kind::None;
        if (kind == Kind::Link)
            removed = SymbolicLink::remove(nativePath(probe));
        else if (kind == Kind::File)
            removed = HardLink::remove(nativePath(probe));
        if (!removed)
            return; // the note stays until its link is gone
    }
    note.remove();
}
