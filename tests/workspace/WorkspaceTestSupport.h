// Helpers shared by the workspace tests: temporary sample files, a recording display, hooks that
// act at a known call, and processes run to their end.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Display.h"
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

// Records every call it cares about; an optional hook runs inside ShowCountdown and
// ReportBufferEntry (on the worker thread) so a test can pause or stop at a known point.
class RecordingDisplay : public Display {
  public:
    void ReportBufferEntry(const std::string& fisherText, const std::string& cpText,
                           const std::string& ruleText, int32_t position, int32_t kind,
                           int32_t step) override {
        (void)fisherText, (void)cpText, (void)position, (void)step;
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++bufferEntries;
            if (kind == 0) acceptedRules.push_back(ruleText);
            hook = onBufferEntry;
        }
        if (hook) hook();
    }
    void ShowCountdown(int32_t remaining) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            countdowns.push_back(remaining);
            hook = onCountdown;
        }
        if (hook) hook();
    }
    void SetLearningClass(int32_t row, int32_t number) override {
        std::lock_guard<std::mutex> lock(mutex);
        learningClasses.emplace_back(row, number);
    }
    void SetRuleClass(int32_t row, int32_t number) override {
        std::lock_guard<std::mutex> lock(mutex);
        ruleClasses.emplace_back(row, number);
    }
    void SetControlClass(ObjectSetKind sampleSet, int32_t row, int32_t number,
                         bool isNew) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            controlClasses.push_back({codeOf(sampleSet), row, isNew ? -1 : number});
            hook = onControlClass;
        }
        if (hook) hook();
    }
    void ShowIdealObject(const std::string& objectText, double value, int32_t index) override {
        (void)value;
        std::lock_guard<std::mutex> lock(mutex);
        idealTexts.emplace_back(index, objectText);
    }

    std::mutex mutex;
    std::function<void()> onBufferEntry;
    std::function<void()> onCountdown;
    std::function<void()> onControlClass;
    int bufferEntries = 0;
    std::vector<std::string> acceptedRules;
    std::vector<int32_t> countdowns;
    std::vector<std::pair<int32_t, int32_t>> learningClasses;
    std::vector<std::pair<int32_t, int32_t>> ruleClasses;
    std::vector<std::vector<int32_t>> controlClasses;  // {set, row, class number or -1}
    std::vector<std::pair<int32_t, std::string>> idealTexts;
};

// Polls `done` every millisecond for at most `limit`; returns whether it became true.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::minutes(2)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A display hook that does one thing at a known call, to pause or stop a worker there: hook(n,
// action) counts the calls and runs `action` at the `n`-th (1 = the first) on the calling thread.
class HookTrigger {
  public:
    std::function<void()> hook(int n, std::function<void()> action) {
        return [this, n, action = std::move(action)] {
            if (++calls_ == n) {
                action();
                done_ = true;
            }
        };
    }
    // Waits (at most a minute) until the action has run; returns whether it did.
    bool wait() const {
        return waitUntil([this] { return done_.load(); }, std::chrono::minutes(1));
    }
    bool done() const { return done_.load(); }
    int calls() const { return calls_.load(); }

  private:
    std::atomic<int> calls_{0};
    std::atomic<bool> done_{false};
};

// Waits (at most a minute) until the current process reports its end, then joins the worker.
// Returns whether the end was seen.
inline bool waitForEnd(TMainManager& manager) {
    if (!waitUntil([&manager] { return manager.hasEnded(); }, std::chrono::minutes(1))) {
        return false;
    }
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

// Runs an idealization of `type` from `source` (0 objects, 1 rules) to its end, as above.
inline void idealizeToTheEnd(TMainManager& m, int32_t type, int32_t source) {
    ASSERT_EQ(m.startIdealization(type, source), IdealizationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    m.takeEnd(TMainManager::Process::Idealization);
}

}  // namespace motifora::test
