// The workspace's discriminative regularities: their search on the worker, the rules kept, and
// their side file beside the project.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/CCodeTable.h"
#include "io/ContrastFile.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

std::string lettersOf(const CCodeTable& table) {
    std::string letters;
    for (int32_t code = 0; code < table.size(); ++code)
        letters += static_cast<char>(table.letterOf(code));
    return letters;
}

// "53 positives, 53 negatives and 57 positions over ACGT".
std::string describe(int32_t positives, int32_t negatives, int32_t width,
                     const std::string& letters) {
    return std::to_string(positives) + " positives, " + std::to_string(negatives) +
           " negatives and " + std::to_string(width) + " positions over " +
           (letters.empty() ? std::string("no letters") : letters);
}

}  // namespace

int TMainManager::startContrastSearch(const ContrastSettings& settings) {
    contrastError_.clear();
    const int32_t positives =
        learnPositiveLoaded.load()
            ? std::min(learnPositiveCount, static_cast<int32_t>(learnPositive.size()))
            : 0;
    const int32_t negatives =
        learnNegativeLoaded.load()
            ? std::min(learnNegativeCount, static_cast<int32_t>(learnNegative.size()))
            : 0;
    if (positives < 1 || negatives < 1) {
        contrastError_ =
            "the discriminative search tells the learning positive sequences from the learning "
            "negative ones: load both samples first";
        return kContrastRefused;
    }
    if (workerLive()) return StartCode::kNoThread;
    settleWorker();

    contrastSettings_ = settings;
    contrastInput_.positives.assign(learnPositive.begin(), learnPositive.begin() + positives);
    contrastInput_.negatives.assign(learnNegative.begin(), learnNegative.begin() + negatives);
    setContrastRules(nullptr);
    // A pause that came in after the previous process had ended must not hold this one.
    paused.store(false);
    setRunning(true);
    applyHold();
    contrastSearchActive_.store(true);
    if (!startWorker(&TMainManager::contrastSearchBody)) {
        contrastSearchActive_.store(false);
        setRunning(false);
        contrastInput_.positives.clear();
        contrastInput_.negatives.clear();
        return StartCode::kNoThread;
    }
    return StartCode::kStarted;
}

void TMainManager::contrastSearchBody() {
    struct EndOnExit {
        TMainManager& m;
        ~EndOnExit() {
            m.contrastInput_.positives.clear();
            m.contrastInput_.negatives.clear();
            m.contrastSearchActive_.store(false);
        }
    } end{*this};
    modified.store(true);
    saved.store(false);
    // A stop ends the generator between two steps; the rules found by then are kept.
    setContrastRules(std::make_shared<const ContrastRules>(searchContrastRules(
        contrastInput_.positives, contrastInput_.negatives, contrastSettings_, &runControl)));
    setRunning(false);
}

int TMainManager::pauseContrastSearch() {
    if (contrastSearchActive_.load()) setPaused(true);
    return 0;
}

int TMainManager::resumeContrastSearch() {
    setPaused(false);
    return 0;
}

int TMainManager::stopContrastSearch() {
    if (contrastSearchActive_.load()) stopCurrent();
    return 0;
}

std::shared_ptr<const ContrastRules> TMainManager::contrastRules() const {
    std::lock_guard<std::mutex> lock(contrastMutex_);
    return contrastRules_;
}

void TMainManager::setContrastRules(std::shared_ptr<const ContrastRules> found) {
    std::lock_guard<std::mutex> lock(contrastMutex_);
    contrastRules_ = std::move(found);
}

std::string TMainManager::contrastMismatch(const ContrastRules& found) const {
    const int32_t positives = learnPositiveLoaded.load() ? learnPositiveCount : 0;
    const int32_t negatives = learnNegativeLoaded.load() ? learnNegativeCount : 0;
    const int32_t width = sampleWidth(learnPositive.data(), positives);
    CCodeTable table;
    table.addLetters(learnPositive.data(), positives);
    const std::string letters = lettersOf(table);
    const std::string theirs = lettersOf(found.letters);
    if (found.positives == positives && found.negatives == negatives && found.width == width &&
        theirs == letters)
        return {};
    return "the rules were found on " +
           describe(found.positives, found.negatives, found.width, theirs) +
           ", but the project's learning samples have " +
           describe(positives, negatives, width, letters);
}

Status TMainManager::writeContrastSideFile(const std::string& projectFile) const {
    const std::string path = ContrastSideFileName(projectFile);
    const auto found = contrastRules();
    if (found) return WriteContrastRules(path, *found);
    std::error_code failure;
    std::filesystem::remove(path, failure);
    if (failure) {
        return Status::failure(path + ": the discriminative rules of an earlier save cannot be " +
                                   "removed (" + failure.message() + ")",
                               path);
    }
    return Status::success();
}

Status TMainManager::readContrastSideFile(const std::string& projectFile) {
    setContrastRules(nullptr);
    const std::string path = ContrastSideFileName(projectFile);
    std::error_code failure;
    if (!std::filesystem::exists(path, failure)) {
        if (!failure) return Status::success();
        return Status::failure(path + ": cannot be looked at (" + failure.message() + ")", path);
    }
    ContrastRules read;
    Status status = ReadContrastRules(path, read);
    if (!status) return status;
    const std::string mismatch = contrastMismatch(read);
    if (!mismatch.empty()) return Status::failure(path + ": " + mismatch, path);
    setContrastRules(std::make_shared<const ContrastRules>(std::move(read)));
    return status;
}

}  // namespace motifora
