// The workspace's one process state: what pause, resume, stop and takeEnd do to each staged
// state, and what the window's queries read from it. No worker runs: the states are staged.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TMainManagerTestAccess.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using Process = TMainManager::Process;
using Phase = TMainManager::Phase;
using State = TMainManager::ProcessState;

std::string describe(const State& s) {
    return std::to_string(static_cast<int>(s.process)) + "/" +
           std::to_string(static_cast<int>(s.phase));
}

struct Transition {
    const char* name;
    State before;
    std::function<void(TMainManager&)> operation;
    State after;
};

TEST(ProcessStateTest, OperationsMoveOnlyTheStatesTheyConcern) {
    const State idle{};
    const std::vector<Transition> cases = {
        {"pause of a running search",
         {Process::RuleSearch, Phase::Running},
         [](TMainManager& m) { m.pauseRuleSearch(); },
         {Process::RuleSearch, Phase::Paused}},
        {"resume of a paused search",
         {Process::RuleSearch, Phase::Paused},
         [](TMainManager& m) { m.resumeRuleSearch(); },
         {Process::RuleSearch, Phase::Running}},
        {"a late pause never hides an end still to report",
         {Process::RuleSearch, Phase::Ended},
         [](TMainManager& m) { m.pauseRuleSearch(); },
         {Process::RuleSearch, Phase::Ended}},
        {"stop of a paused search",
         {Process::RuleSearch, Phase::Paused},
         [](TMainManager& m) { m.stopRuleSearch(); },
         {Process::RuleSearch, Phase::Stopped}},
        {"a stop after the end keeps the end",
         {Process::Idealization, Phase::Ended},
         [](TMainManager& m) { m.stopIdealization(); },
         {Process::Idealization, Phase::Ended}},
        {"the cross-validation's pause leaves a discriminative search alone",
         {Process::ContrastSearch, Phase::Running},
         [](TMainManager& m) { m.pauseCrossValidation(); },
         {Process::ContrastSearch, Phase::Running}},
        {"the discriminative search's stop leaves a cross-validation alone",
         {Process::CrossValidation, Phase::Running},
         [](TMainManager& m) { m.stopContrastSearch(); },
         {Process::CrossValidation, Phase::Running}},
        {"the cross-validation's own pause",
         {Process::CrossValidation, Phase::Running},
         [](TMainManager& m) { m.pauseCrossValidation(); },
         {Process::CrossValidation, Phase::Paused}},
        {"a recognition has no gate to pause",
         {Process::Recognition, Phase::Running},
         [](TMainManager& m) { m.pauseClassification(); },
         {Process::Recognition, Phase::Running}},
        {"a recognition ends by its own stop, not the processes' one",
         {Process::Recognition, Phase::Running},
         [](TMainManager& m) { m.stopClassification(); },
         {Process::Recognition, Phase::Running}},
        {"taking an end leaves a running process alone",
         {Process::RuleSearch, Phase::Running},
         [](TMainManager& m) { m.takeEnd(Process::None); },
         {Process::RuleSearch, Phase::Running}},
        {"the end of another process is not taken",
         {Process::RuleSearch, Phase::Ended},
         [](TMainManager& m) { m.takeEnd(Process::Idealization); },
         {Process::RuleSearch, Phase::Ended}},
        {"the end taken",
         {Process::RuleSearch, Phase::Ended},
         [](TMainManager& m) { m.takeEnd(Process::RuleSearch); },
         idle},
        {"a stopped classification taken as whatever ended",
         {Process::Classification, Phase::Stopped},
         [](TMainManager& m) { m.takeEnd(Process::None); },
         idle},
        {"a pause with nothing started marks nothing", idle,
         [](TMainManager& m) { m.PauseBootstrap(); }, idle},
    };
    for (const Transition& c : cases) {
        SCOPED_TRACE(c.name);
        TMainManager m;
        TMainManagerTestAccess::stage(m, c.before.process, c.before.phase);
        c.operation(m);
        const State got = m.processState();
        EXPECT_EQ(got, c.after) << describe(got) << " instead of " << describe(c.after);
    }
}

// What the window's timer, its commands and the command line read from one state.
struct Reading {
    State state;
    bool running, paused, working, ended, idle, live;
    Process timerProcess;
    bool bootstrap, crossValidation, contrast, recognition;
};

TEST(ProcessStateTest, QueriesReadTheOneState) {
    // clang-format off
    //  state                                       running paused working ended idle  live   timer's process        bootstrap cross-val contrast recognition
    const std::vector<Reading> cases = {
        {{},                                          false, false, false, false, true , false, Process::None,            false, false, false, false},
        {{Process::RuleSearch, Phase::Running},       true , false, true , false, false, true , Process::RuleSearch,      false, false, false, false},
        {{Process::Scan, Phase::Paused},              true , true , false, false, false, true , Process::Scan,            false, false, false, false},
        {{Process::Classification, Phase::Stopped},   false, false, false, false, false, false, Process::Classification,  false, false, false, false},
        {{Process::Idealization, Phase::Ended},       false, false, false, true , false, false, Process::Idealization,    false, false, false, false},
        // The bootstrap, the cross-validation and the discriminative search are watched by their
        // own windows, not by the main window's timer.
        {{Process::Bootstrap, Phase::Running},        true , false, true , false, false, true , Process::None,            true , false, false, false},
        {{Process::Bootstrap, Phase::Ended},          false, false, false, true , false, false, Process::None,            false, false, false, false},
        {{Process::CrossValidation, Phase::Stopped},  false, false, false, false, true , false, Process::None,            false, true , false, false},
        {{Process::ContrastSearch, Phase::Paused},    true , true , false, false, false, true , Process::None,            false, false, true , false},
        // A recognition has no run flag: it is live, but nothing runs.
        {{Process::Recognition, Phase::Running},      false, false, false, false, true , true , Process::None,            false, false, false, true },
    };
    // clang-format on
    for (const Reading& c : cases) {
        SCOPED_TRACE(describe(c.state));
        TMainManager m;
        TMainManagerTestAccess::stage(m, c.state.process, c.state.phase);
        EXPECT_EQ(m.isRunning(), c.running);
        EXPECT_EQ(m.isPaused(), c.paused);
        EXPECT_EQ(m.isWorking(), c.working);
        EXPECT_EQ(m.hasEnded(), c.ended);
        EXPECT_EQ(m.isIdle(), c.idle);
        EXPECT_EQ(m.workerLive(), c.live);
        EXPECT_EQ(m.activeProcess(), c.timerProcess);
        EXPECT_EQ(m.isStarted(c.timerProcess), c.timerProcess != Process::None);
        EXPECT_EQ(m.bootstrapActive(), c.bootstrap);
        EXPECT_EQ(m.crossValidationActive(), c.crossValidation);
        EXPECT_EQ(m.contrastSearchActive(), c.contrast);
        EXPECT_EQ(m.recognitionActive(), c.recognition);
    }
}

}  // namespace
}  // namespace motifora
