#include "sandbox.h"

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

Sandbox::Sandbox(AppPlace place)
{
    root = dir.path();
    gameDir = root + "/game";
    appDir = place == AppPlace::InsideGame ? gameDir + "/app" : root + "/app";
    modsDir = appDir + "/mods";
    QDir().mkpath(modsDir);
    QDir().mkpath(gameDir);
    TestSupport::writeFile(appDir + "/config.cfg",
                           "GamePath=" + gameDir.toUtf8() + "\nhideEmptyMods=1\n");
    config = std::make_unique<ConfigStore>(TestSupport::utf8(appDir));
}

bool Sandbox::isValid() const
{
    return dir.isValid() && QFileInfo(modsDir).isDir() && QFileInfo(gameDir).isDir() &&
           QFileInfo(appDir + "/config.cfg").isFile();
}

std::unique_ptr<Worker> Sandbox::worker(const QString &modName)
{
    return std::make_unique<Worker>(WorkerPaths::of(*config), modName);
}

void Sandbox::setWay(MountWay way)
{
    config->set(ConfigKey::hardLinks, way == MountWay::HardLinks ? "1" : "");
    config->save();
}

QByteArray Sandbox::outFiles() const
{
    return QFileInfo::exists(appDir + "/out_files.txt")
               ? TestSupport::readText(appDir + "/out_files.txt")
               : QByteArray("<absent>");
}

QByteArray Sandbox::backupFiles() const
{
    return QFileInfo::exists(appDir + "/backup_files.txt")
               ? TestSupport::readText(appDir + "/backup_files.txt")
               : QByteArray("<absent>");
}

QByteArray Sandbox::keptBackups() const
{
    return QFileInfo::exists(appDir + "/kept_backups.txt")
               ? TestSupport::readText(appDir + "/kept_backups.txt")
               : QByteArray("<absent>");
}

QStringList Sandbox::unrecordedBackups(const QMap<QString, QString> &before) const
{
    const QList<QByteArray> recorded = backupFiles().split('\n') + keptBackups().split('\n');
    QStringList hidden;
    const auto now = Tree::snapshot(gameDir);
    for (auto it = now.begin(); it != now.end(); ++it) {
        const QString name = QFileInfo(it.key()).fileName();
        if (!name.contains(".oxdbackup") || before.contains(it.key()) ||
            it.value().startsWith("link:" + modsDir + "/") ||
            recorded.contains(game(it.key()).toUtf8()))
            continue;
        hidden << it.key();
    }
    return hidden;
}

namespace Tree
{

bool file(const QString &path, const QByteArray &content)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && TestSupport::writeFile(path, content);
}

bool folder(const QString &path)
{
    return QDir().mkpath(path);
}

bool link(const QString &path, const QString &target)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::error_code error;
    std::filesystem::create_symlink(QFile::encodeName(target).toStdString(),
                                    QFile::encodeName(path).toStdString(), error);
    return !error;
}

QString linkTarget(const QString &path)
{
    std::error_code error;
    const auto target = std::filesystem::read_symlink(QFile::encodeName(path).toStdString(), error);
    return error ? QString() : QFile::decodeName(QByteArray::fromStdString(target.string()));
}

QMap<QString, QString> snapshot(const QString &folder)
{
    QMap<QString, QString> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(folder.size() + 1);
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            entries[relative] = "link:" + linkTarget(path);
        else if (info.isDir())
            entries[relative] = "dir";
        else
            entries[relative] = "file:" + QString::fromUtf8(TestSupport::readFile(path));
    }
    return entries;
}

QString difference(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList lines;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            lines << "gone: " + it.key() + " (" + it.value() + ")";
        else if (after.value(it.key()) != it.value())
            lines << "changed: " + it.key() + " " + it.value() + " -> " + after.value(it.key());
    }
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            lines << "extra: " + it.key() + " (" + it.value() + ")";
    return lines.join('\n');
}

} // namespace Tree

WorkerLog::WorkerLog(Worker *worker)
{
    connect(worker, &Worker::status, this,
            [this](const QString &text, bool error) { (error ? errors : progress) << text; });
    connect(worker, &Worker::appendAction, this, [this](const QString &text) { actions << text; });
    connect(worker, &Worker::amountDone, this, [this](int files, qint64 done, qint64 total) {
        amounts << Amount{files, done, total};
    });
    connect(worker, &Worker::resultReady, this,
            [this](const QString &modName, int done, int failed, int missing, int kept,
                   bool aborted, bool forced) {
                results << Result{modName, done, failed, missing, kept, aborted, forced};
            });
}

QString WorkerLog::counts() const
{
    const Result result = last();
    const QString counted =
        QString("%1/%2/%3").arg(result.done).arg(result.failed).arg(result.missing);
    return result.kept > 0 ? counted + QString("/%1").arg(result.kept) : counted;
}

void WorkerLog::clear()
{
    progress.clear();
    errors.clear();
    actions.clear();
    results.clear();
    amounts.clear();
}
