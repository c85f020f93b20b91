// The test seam of the workspace: stages states that no short sequence of its operations
// reaches (a sample count without records, an object table built by hand, a process shown as
// running without a worker). Only tests include it.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "workspace/TMainManager.h"

namespace motifora {

struct TMainManagerTestAccess {
    using M = TMainManager;
    static std::unique_ptr<SEQStorage>& storage(M& m) { return m.storage_; }
    static std::unique_ptr<RulesStorage>& rules(M& m) { return m.rules_; }
    static int32_t& classCount(M& m) { return m.classCount_; }
    static int32_t& learnPositiveCount(M& m) { return m.learnPositiveCount_; }
    static int32_t& controlNegativeCount(M& m) { return m.controlNegativeCount_; }
    static int32_t& recognitionClass(M& m) { return m.recognitionClass_; }
    static std::vector<double>& windowScores(M& m) { return m.windowScores_; }
    static std::atomic<bool>& learnPositiveLoaded(M& m) { return m.learnPositiveLoaded_; }
    static std::atomic<bool>& learnNegativeLoaded(M& m) { return m.learnNegativeLoaded_; }
    static std::atomic<bool>& controlNegativeLoaded(M& m) { return m.controlNegativeLoaded_; }
    static std::atomic<bool>& controlPositiveLoaded(M& m) { return m.controlPositiveLoaded_; }
    static std::atomic<bool>& longControl(M& m) { return m.longControl_; }
    static std::atomic<bool>& controlNegativeClassified(M& m) {
        return m.controlNegativeClassified_;
    }
    static std::atomic<bool>& controlPositiveClassified(M& m) {
        return m.controlPositiveClassified_;
    }
    static std::atomic<bool>& recognitionStale(M& m) { return m.recognitionStale_; }
    static std::atomic<bool>& resetIdealObjects(M& m) { return m.resetIdealObjects_; }
    static std::atomic<bool>& openedFromProject(M& m) { return m.openedFromProject_; }
    static std::atomic<bool>& saved(M& m) { return m.saved_; }
    static std::atomic<bool>& modified(M& m) { return m.modified_; }
    // Holds the pause gate (as holdNextStart does for a start) until releaseHeldStart or a stop.
    static void holdGate(M& m) { m.runControl_.hold(); }
    // The process state as a window would see it, with no worker behind it.
    static void stage(M& m, M::Process process, M::Phase phase) {
        m.state_.store({process, phase});
    }
};

}  // namespace motifora
