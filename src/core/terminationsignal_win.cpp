#include "terminationsignal.h"

// Windows sends a closing program's windows a close message, which the window handles itself.
TerminationSignal::TerminationSignal(QObject *parent) : QObject(parent) {}

TerminationSignal::~TerminationSignal() = default;
