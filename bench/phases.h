#pragma once

#include <QString>

#include <functional>

// The timed phases: each runs one operation on one run's trees, with the Worker, the floor and,
// where they are found, Stow and du, and records samples, notes and problems in the size set.
namespace bench
{

class WorkerDriver;
struct SizeSet;

struct PhaseContext {
    WorkerDriver &driver;
    QString stow;   // empty when not installed
    QString du;     // empty when not found
    QString bsdtar; // empty when not installed
};

// Each side starts with nothing of the other's left to write back, and the two take turns at
// going first, so that neither always runs on the warmer caches.
void bothSides(int run, const std::function<void()> &workerSide,
               const std::function<void()> &floorSide);

void runMountPhase(PhaseContext &context, SizeSet &set, int run);
void runCopyAddPhase(PhaseContext &context, SizeSet &set, int run);
void runScanPhase(PhaseContext &context, SizeSet &set, int run);
void runStowPhase(PhaseContext &context, SizeSet &set, int run);
void runMoveAddPhase(PhaseContext &context, SizeSet &set, int run);
void runExtractPhase(PhaseContext &context, SizeSet &set, int run);
void runCheckPhase(PhaseContext &context, SizeSet &set, int run);
// A preview of the mod before it is mounted, and of the mounted mod the check reads.
void runPreviewPhase(PhaseContext &context, SizeSet &set, int run);
void runUnmountPhase(PhaseContext &context, SizeSet &set, int run);
// A mount and an unmount with hard links, next to link() and unlink() per file.
void runHardLinkMountPhase(PhaseContext &context, SizeSet &set, int run);
void runHardLinkUnmountPhase(PhaseContext &context, SizeSet &set, int run);
void runDeletePhase(PhaseContext &context, SizeSet &set, int run);

} // namespace bench
