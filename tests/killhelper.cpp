// Mounts or unmounts one mod and nothing else, for the kill test to run under the kill shim:
//   runemount_killhelper <application folder> <mod name> [mount|unmount]
// Exit code 0 when the operation reports no failed or missing entry, 1 when it does, 2 on wrong
// arguments. It prints nothing, so that every counted write is one the operation makes.

#include "configstore.h"
#include "worker.h"

#include <QFile>
#include <QObject>
#include <QString>

int main(int argc, char **argv)
{
    const QString operation = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("mount");
    if (argc < 3 || argc > 4 ||
        (operation != QLatin1String("mount") && operation != QLatin1String("unmount")))
        return 2;
    // Arguments arrive in the local 8-bit encoding, as the test's QProcess sends them.
    ConfigStore config(QFile::decodeName(argv[1]).toUtf8().toStdString());
    Worker worker(&config, QFile::decodeName(argv[2]));
    bool clean = false;
    QObject::connect(&worker, &Worker::resultReady,
                     [&clean](const QString &, int, int failed, int missing, bool aborted, bool) {
                         clean = failed == 0 && missing == 0 && !aborted;
                     });
    if (operation == QLatin1String("mount"))
        worker.mountModWorker();
    else
        worker.unmountModWorker(false);
    return clean ? 0 : 1;
}
