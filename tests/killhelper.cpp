// Mounts, unmounts or repairs one mod and nothing else, for the kill test to run under the kill
// shim:
//   runemount_killhelper <application folder> <mod name> [mount|unmount|repair] [report]
// Exit code 0 when the operation reports no failed or missing entry, 1 when it does, 2 on wrong
// arguments. It prints nothing, so that every counted write is one the operation makes; with
// "report" it prints, once the operation is over, a refused way ("refused: symbolic links" or
// "refused: hard links"), each failure line ("error: <text>") and the result ("result: <done>
// <failed> <missing>").

#include "configstore.h"
#include "worker.h"

#include <QFile>
#include <QObject>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    const QString operation = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("mount");
    const bool report = argc > 4 && QLatin1String(argv[4]) == QLatin1String("report");
    if (argc < 3 || argc > 5 || (argc == 5 && !report) ||
        (operation != QLatin1String("mount") && operation != QLatin1String("unmount") &&
         operation != QLatin1String("repair")))
        return 2;
    // Arguments arrive in the local 8-bit encoding, as the test's QProcess sends them.
    ConfigStore config(QFile::decodeName(argv[1]).toUtf8().toStdString());
    Worker worker(WorkerPaths::of(config), QFile::decodeName(argv[2]));
    bool clean = false;
    QByteArray printed;
    QObject::connect(&worker, &Worker::status, [&printed](const QString &text, bool error) {
        if (error)
            printed += "error: " + text.toUtf8() + '\n';
    });
    QObject::connect(&worker, &Worker::mountRefused, [&printed](LinkRefusal why) {
        printed +=
            why == LinkRefusal::HardLinks ? "refused: hard links\n" : "refused: symbolic links\n";
    });
    QObject::connect(
        &worker, &Worker::resultReady,
        [&](const QString &, int done, int failed, int missing, int, bool aborted, bool) {
            clean = failed == 0 && missing == 0 && !aborted;
            printed += QByteArray("result: ") + QByteArray::number(done) + ' ' +
                       QByteArray::number(failed) + ' ' + QByteArray::number(missing) + '\n';
        });
    if (operation == QLatin1String("mount"))
        worker.mountModWorker();
    else if (operation == QLatin1String("repair"))
        worker.repairModWorker();
    else
        worker.unmountModWorker(false);
    if (report)
        fwrite(printed.constData(), 1, size_t(printed.size()), stdout);
    return clean ? 0 : 1;
}
