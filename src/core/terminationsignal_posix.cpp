#include "terminationsignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

int signalPipe[2] = {-1, -1};
const int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may do next to nothing: one write to a pipe that the event loop watches.
void onSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(signalPipe[1], &byte, 1);
    (void)written;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals)
        sigaction(number, &action, nullptr);
}

} // namespace

TerminationSignal::TerminationSignal(QObject *parent) : QObject(parent)
{
    if (signalPipe[0] >= 0 || ::pipe(signalPipe) != 0)
        return;
    for (const int end : signalPipe)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        const ssize_t read = ::read(signalPipe[0], &byte, 1);
        (void)read;
        emit received();
    });
    setHandler(onSignal);
}

TerminationSignal::~TerminationSignal()
{
    if (!notifier)
        return;
    setHandler(SIG_DFL);
    delete notifier;
    for (int &end : signalPipe) {
        ::close(end);
        end = -1;
    }
}
