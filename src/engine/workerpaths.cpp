#include "workerpaths.h"

#include "configstore.h"
#include "pathnames.h"
#include "utf8.h"

WorkerPaths WorkerPaths::of(const ConfigStore &config)
{
    WorkerPaths paths;
    paths.game = PathNames::absoluteFolder(fromUtf8(config.get(ConfigKey::gamePath)));
    paths.app = fromUtf8(config.applicationDir);
    paths.mods = fromUtf8(config.modsPath);
    paths.outFiles = fromUtf8(config.outFilesPath);
    paths.backupFiles = fromUtf8(config.backupFilesPath);
    paths.unmountProgress = fromUtf8(config.unmountProgressPath);
    paths.keptBackups = fromUtf8(config.keptBackupsPath);
    paths.linkProbe = paths.app + QStringLiteral("/link_probe.txt");
    paths.hardLinks = config.get(ConfigKey::hardLinks) == "1";
    return paths;
}
