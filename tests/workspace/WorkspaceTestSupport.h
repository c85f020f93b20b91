// Helpers shared by the workspace tests: temporary sample files, the reports a recording sink
// kept, hooks that act at a known call, and processes run to their end.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "core/ProgressEvents.h"
#include "support/RecordingSink.h"
#include "support/Seed.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"
#include "workspace/TMainManager.h"

namespace motifora::test {

// ".seq" text of the given letters, one record per line, named s1, s2, ...
inline std::string seqText(const std::vector<std::string>& letters) {
    std::string out;
    for (size_t i = 0; i < letters.size(); ++i)
        out += ">s" + std::to_string(i + 1) + ";" + letters[i] + "\n";
    return out;
}

// Records of `length` letters over ACGT in which position 1 copies position 0 and position 3
// is 'T' whenever position 2 is 'G' (so the rule search finds rules), the rest at random.
inline std::vector<std::string> patternedRecords(int count, int length, unsigned seed) {
    std::mt19937 random(seed);
    const char letters[] = "ACGT";
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (int p = 0; p < length; ++p) text += letters[random() % 4];
        text[1] = text[0];
        if (text[2] == 'G') text[3] = 'T';
        out.push_back(text);
    }
    return out;
}

// Learning samples of records 6 letters long: `positiveCount` patterned positives (see
// patternedRecords) and `negativeCount` negatives whose second letter never copies the first.
inline std::pair<std::vector<std::string>, std::vector<std::string>> learningSamples(
    int positiveCount, int negativeCount, unsigned seed) {
    std::vector<std::string> negatives = patternedRecords(negativeCount, 6, seed + 1);
    for (std::string& text : negatives) text[1] = text[0] == 'A' ? 'G' : 'A';
    return {patternedRecords(positiveCount, 6, seed), negatives};
}

// What the workspace reported to a recording sink, in the shapes the tests compare: how many
// buffer entries, the texts of the rules accepted into the results, the items left of each
// loop, the classes of learning objects and rules ({row, class number}, counted from 1), of set
// objects ({set, row, class number or -1 for a new object}) and the classes made or listed
// ({index, text}).
inline size_t bufferEntries(const RecordingSink& sink) { return sink.count<BufferEntry>(); }
inline std::vector<std::string> acceptedRules(const RecordingSink& sink) {
    std::vector<std::string> texts;
    for (const BufferEntry& entry : sink.all<BufferEntry>())
        if (entry.buffer == RuleBuffer::Results) texts.push_back(entry.ruleText);
    return texts;
}
inline std::vector<int32_t> countdowns(const RecordingSink& sink) {
    return sink.values(&ItemsLeft::remaining);
}
inline std::vector<std::pair<int32_t, int32_t>> learningClasses(const RecordingSink& sink) {
    std::vector<std::pair<int32_t, int32_t>> found;
    for (const LearningObjectClassed& e : sink.all<LearningObjectClassed>())
        found.emplace_back(e.object + 1, e.classIndex + 1);
    return found;
}
inline std::vector<std::pair<int32_t, int32_t>> ruleClasses(const RecordingSink& sink) {
    std::vector<std::pair<int32_t, int32_t>> found;
    for (const RuleClassed& e : sink.all<RuleClassed>())
        found.emplace_back(e.rule + 1, e.classIndex + 1);
    return found;
}
inline std::vector<std::vector<int32_t>> controlClasses(const RecordingSink& sink) {
    std::vector<std::vector<int32_t>> found;
    for (const SetObjectClassed& e : sink.all<SetObjectClassed>())
        found.push_back({codeOf(e.set), e.object + 1, e.classIndex < 0 ? -1 : e.classIndex + 1});
    return found;
}
inline std::vector<std::pair<int32_t, std::string>> idealTexts(const RecordingSink& sink) {
    std::vector<std::pair<int32_t, std::string>> found;
    for (const ProgressEvent& event : sink.events()) {
        if (const auto* made = std::get_if<ClassMade>(&event))
            found.emplace_back(made->index, made->text);
        else if (const auto* listed = std::get_if<ClassListed>(&event))
            found.emplace_back(listed->index, listed->text);
    }
    return found;
}

// How long a wait for a worker may take before the test calls it failed. The waits below are
// woken by the event itself; the bound only ends a test whose worker never comes.
inline std::chrono::steady_clock::time_point waitBound() {
    return std::chrono::steady_clock::now() + std::chrono::minutes(2);
}

// Waits until the workspace's worker body has returned (then every flag its end sets is set);
// false when it did not within the bound.
inline bool waitForWorkerBody(const TMainManager& manager) {
    return manager.waitForWorker(waitBound());
}

// Waits until the workspace's worker waits at its pause gate (paused or held): from then on it
// does nothing until resumed or stopped. False when it did not come within the bound.
inline bool waitForWorkerAtGate(const TMainManager& manager) {
    return manager.runControl().waitForWaitingWorker(waitBound());
}

// A sink hook that does one thing at a known call, to pause or stop a worker there: hook(n,
// action) counts the calls and runs `action` at the `n`-th (1 = the first) on the calling thread.
class HookTrigger {
  public:
    std::function<void()> hook(int n, std::function<void()> action) {
        return [this, n, action = std::move(action)] {
            if (++calls_ == n) {
                action();
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    done_ = true;
                }
                ran_.notify_all();
            }
        };
    }
    // Waits until the action has run (woken when it has); false when it did not within the
    // bound.
    bool wait() const {
        std::unique_lock<std::mutex> lock(mutex_);
        return ran_.wait_until(lock, waitBound(), [this] { return done_; });
    }
    bool done() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return done_;
    }
    int calls() const { return calls_.load(); }

  private:
    std::atomic<int> calls_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable ran_;
    bool done_ = false;
};

// Waits until the current process's worker has returned and reported its end, then joins the
// worker. Returns whether the end was seen.
inline bool waitForEnd(TMainManager& manager) {
    if (!waitForWorkerBody(manager) || !manager.hasEnded()) return false;
    manager.joinWorker();
    return true;
}

// Runs a rule search with `settings` to its end and clears the end flags as the window's timer
// does when it reports the end; fails the test when the search does not start or end.
inline void searchToTheEnd(TMainManager& m, const SearchSettings& settings) {
    ASSERT_EQ(m.startRuleSearch(settings), RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    m.takeEnd(TMainManager::Process::RuleSearch);
}

// Runs an idealization of `type` from `source` to its end, as above.
inline void idealizeToTheEnd(TMainManager& m,
                             IdealizationType type = IdealizationType::kDeletingInserting,
                             IdealizationSource source = IdealizationSource::kObjects) {
    ASSERT_EQ(m.startIdealization(type, source), IdealizationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    m.takeEnd(TMainManager::Process::Idealization);
}

}  // namespace motifora::test
