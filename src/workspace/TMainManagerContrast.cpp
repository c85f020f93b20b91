// The workspace's discriminative regularities: their search on the worker, the rules kept, and
// their side file beside the project.
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/CCodeTable.h"
#include "evaluation/Pipeline.h"
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
    LearningCopy samples = learningSamples();
    if (samples.positives.empty() || samples.negatives.empty()) {
        contrastError_ =
            "the discriminative search tells the learning positive sequences from the learning "
            "negative ones: load both samples first";
        return kContrastRefused;
    }
    if (workerLive()) return StartCode::kNoThread;
    settleWorker();

    contrastSettings_ = settings;
    contrastInput_ = std::move(samples);
    setContrastRules(nullptr);
    if (!launch(&TMainManager::contrastSearchBody, &contrastSearchActive_)) {
        contrastInput_.clear();
        return StartCode::kNoThread;
    }
    return StartCode::kStarted;
}

void TMainManager::contrastSearchBody() {
    const ProcessExit end{contrastInput_, contrastSearchActive_};
    modified.store(true);
    saved.store(false);
    // A stop ends the generator between two steps; the rules found by then are kept.
    LearnedModel model = learnModel(contrastInput_.positives, contrastInput_.negatives,
                                    learningSettingsOf(contrastSettings_), {&runControl});
    setContrastRules(std::make_shared<const ContrastRules>(std::move(model.contrast.rules)));
    setRunning(false);
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
    const auto kind = std::filesystem::symlink_status(path, failure).type();
    if (kind == std::filesystem::file_type::not_found) return Status::success();
    // Rules of these samples that the work no longer has are removed with the save; a file
    // that could not be read, or that belongs to other samples, is nobody's to delete: it is
    // moved aside and kept.
    ContrastRules earlier;
    const Status read = ReadContrastRules(path, earlier);
    const std::string mismatch = read ? contrastMismatch(earlier) : std::string();
    if (read && mismatch.empty()) {
        std::filesystem::remove(path, failure);
        if (failure) {
            return Status::failure(path +
                                       ": the discriminative rules of an earlier save cannot be " +
                                       "removed (" + failure.message() + ")",
                                   path);
        }
        return Status::success();
    }
    std::string aside = path + ".unused";
    for (int n = 2; std::filesystem::symlink_status(aside, failure).type() !=
                    std::filesystem::file_type::not_found;
         ++n)
        aside = path + ".unused-" + std::to_string(n);
    std::filesystem::rename(path, aside, failure);
    const std::string why = read ? mismatch : read.message;
    if (failure) {
        return Status::failure(path +
                                   ": a discriminative rules file that this project cannot use (" +
                                   why + ") could be neither kept apart nor replaced (" +
                                   failure.message() + "); it was left as it was",
                               path);
    }
    Status kept = Status::success();
    kept.message = "The discriminative rules file \"" + path + "\" did not belong to this work (" +
                   why + "); it was kept as \"" + aside + "\".";
    kept.file = aside;
    return kept;
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
