// Runs a process the window model started to its reported end, as the window's 100 ms timer
// would, without waiting on the clock: the worker is joined (its body has returned and set its
// end flags), then the timer is ticked until the workspace has nothing running or left to report.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora::test {

// True when the workspace of `form` runs no worker process and has no process or scan whose end
// the timer has still to take.
inline bool formIdle(TMainForm& form) {
    TMainManager& m = form.manager();
    return !m.isRunning() && m.activeProcess() == TMainManager::Process::None && !m.scanStarted();
}

// Joins the worker and ticks the timer until the window is idle; returns the texts of the
// messages shown meanwhile. A paused worker never returns: resume or stop it first. Fails the
// test when a few ticks leave something to report (a tick that starts another worker is
// followed: that worker is joined too).
inline std::vector<std::string> tickToEnd(TMainForm& form, const ScriptedDialogs& dialogs) {
    constexpr int kMaxTicks = 16;
    const size_t before = dialogs.messages.size();
    int ticks = 0;
    while (!form.closed()) {
        form.manager().joinWorker();
        form.SearchingTimerTimer();
        if (formIdle(form)) break;
        if (++ticks == kMaxTicks) {
            ADD_FAILURE() << "the window still has a process to report after " << kMaxTicks
                          << " ticks";
            break;
        }
    }
    std::vector<std::string> shown;
    for (size_t i = before; i < dialogs.messages.size(); ++i)
        shown.push_back(dialogs.messages[i].text);
    return shown;
}

}  // namespace motifora::test
