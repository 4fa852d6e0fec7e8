#pragma once

#include "fileoutcome.h"
#include "mountway.h"

#include <QMetaType>
#include <QString>

// What a Controller runs on its Worker; it chooses the behaviour, never its display text.
enum class Operation { Mount, Unmount, Add, Delete, Check, Repair, Preview };

// A finished operation as it reaches the window: one per pass (a failed unmount may be run a
// second time, forced).
struct OperationResult {
    Operation operation = Operation::Mount;
    QString modName;
    OutcomeCounts counts;
    bool aborted = false;
    bool forced = false;
    // A mount that changed nothing because its way cannot work here.
    LinkRefusal refusal = LinkRefusal::None;
};

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(OperationResult)
