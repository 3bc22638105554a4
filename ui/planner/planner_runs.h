#pragma once
// The planner window's allocation runs: a run of the Allocate panel on a worker thread, its
// progress and Cancel shown once it takes a while, and its result taken into the plan.
#include "ui/planner/planner.h"

#include <QString>
#include <cstdint>
#include <memory>

class QTimer;

namespace mq::ui {

class Planner::AllocationRuns {
public:
    explicit AllocationRuns(Planner& w);

    bool running() const { return run != nullptr; }
    // What a run under way is doing, once it has run long enough to say so (else empty).
    const QString& stage() const { return stageText; }
    // The segments typed, into the block the window has selected.
    void start();
    void cancel();
    // Before the plan goes: a run still going may be reading it. It finishes its copy
    // first (a fraction of a second), then it runs out alone.
    void letGo();

private:
    void poll();
    void end();

    Planner& w;
    QTimer* timer;
    std::shared_ptr<planner::AllocationRun> run;
    net::Prefix target;
    std::uint64_t started = 0;  // ms since epoch, for showing progress late
    QString stageText;  // shown in the window's allocateTarget
};

}  // namespace mq::ui
