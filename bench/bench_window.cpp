// Times what the user sees while the Worker works: a refresh of a large mods folder and a
// large mount with its dialog, with a heartbeat on the window's thread, next to the same work
// done alone (du over the mods folder, the Worker's mount). Prints figures only; nothing here
// passes or fails on timing.

#include "benchsupport.h"
#include "gamecheck.h"
#include "trees.h"
#include "windowcases.h"
#include "workerdriver.h"

#include <QApplication>
#include <QCommandLineParser>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace bench;

namespace
{

// The mods of the refresh cases have this many files each.
const int filesPerListedMod = 10;

struct Options {
    std::vector<int> listMods;
    size_t mountFiles = 0;
    std::string workParent; // absolute
};

int positive(const QString &text, const char *option)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1)
        fail("%s takes positive numbers: %s", option, qPrintable(text));
    return value;
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the window's refresh of many mods and a large mount with its "
                       "dialog, next to du and the Worker alone, with the longest heartbeat "
                       "gaps."));
    parser.addHelpOption();
    const QCommandLineOption modsOption(QStringLiteral("mods"),
                                        QStringLiteral("Mods in the list, comma-separated."),
                                        QStringLiteral("list"), QStringLiteral("1000,10000"));
    const QCommandLineOption filesOption(QStringLiteral("mount-files"),
                                         QStringLiteral("Files of the mounted mod."),
                                         QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption workOption(
        QStringLiteral("work-dir"),
        QStringLiteral("Folder in which a fresh work folder is made and removed at the end."),
        QStringLiteral("dir"), QStringLiteral("/tmp"));
    parser.addOption(modsOption);
    parser.addOption(filesOption);
    parser.addOption(workOption);
    parser.process(app);

    Options options;
    for (const QString &part : parser.value(modsOption).split(QLatin1Char(',')))
        options.listMods.push_back(positive(part, "--mods"));
    options.mountFiles = size_t(positive(parser.value(filesOption), "--mount-files"));
    options.workParent =
        std::filesystem::absolute(parser.value(workOption).toStdString()).lexically_normal();
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    // No screen needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_window"));
    const Options options = parseOptions(app);

    // The listed mods, and the mounted mod with its game, twice.
    const Shape shape = makeShape(options.mountFiles);
    long long files = 2 * (long long)(options.mountFiles + shape.gameFileCount(true));
    for (const int mods : options.listMods)
        files += (long long)mods * (filesPerListedMod + 1);
    const double bytes = double(files) * 4096.0 * 1.1;
    makeFolders(options.workParent);
    checkDiskSpace(options.workParent, bytes, files);
    const std::string work = makeWorkFolder(options.workParent);

    const Clock::time_point start = Clock::now();
    WindowTrees trees = prepareWindowTrees(work + "/window", options.listMods, filesPerListedMod,
                                           options.mountFiles);
    ::sync();
    progress("prepared in %.1f s", secondsSince(start));

    WorkerDriver driver;
    const std::vector<WindowCase> cases = runWindowCases(trees, filesPerListedMod, driver);
    printWindowCases(cases);
    printGameCheckFigures(500);
    removeWorkFolder(work);
    return 0;
}
