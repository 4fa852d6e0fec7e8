// Mounts one mod and nothing else, for the kill test to run under the kill shim:
//   runemount_killhelper <application folder> <mod name>
// Exit code 0 when the mount reports no failed or missing entry, 1 when it does, 2 on wrong
// arguments. It prints nothing, so that every counted write is one the mount makes.

#include "configstore.h"
#include "worker.h"

#include <QFile>
#include <QObject>
#include <QString>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    // Arguments arrive in the local 8-bit encoding, as the test's QProcess sends them.
    ConfigStore config(QFile::decodeName(argv[1]).toUtf8().toStdString());
    Worker worker(&config, QFile::decodeName(argv[2]));
    bool clean = false;
    QObject::connect(&worker, &Worker::resultReady,
                     [&clean](const QString &, int, int failed, int missing, bool aborted, bool) {
                         clean = failed == 0 && missing == 0 && !aborted;
                     });
    worker.mountModWorker();
    return clean ? 0 : 1;
}
