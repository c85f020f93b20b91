// The learning run of a Python model on the workspace: the steps the window's buttons start, in
// order, each waited for on the worker itself.
#include "python/Model.h"

#include <algorithm>

#include "evaluation/ContrastScore.h"
#include "evaluation/Pipeline.h"
#include "rules/RulesStorage.h"

namespace motifora::python {

namespace {

const char* fieldName(SearchField field) {
    switch (field) {
        case SearchField::Confidence:
            return "confidence";
        case SearchField::CpThreshold:
            return "cp";
        case SearchField::FinishBufferSize:
            return "finish";
        case SearchField::SubBufferSize:
            return "sub";
        case SearchField::FrameWidth:
            return "width";
    }
    return "";
}

// "cp must be at most 1", in the words of the Python arguments.
std::string describe(const SearchProblem& problem) {
    std::string text = fieldName(problem.field);
    char bound[64];
    std::snprintf(bound, sizeof bound, "%.15g", problem.bound);
    switch (problem.fault) {
        case SearchFault::NotANumber:
            return text + " is not a number";
        case SearchFault::BelowLeast:
            return text + " must be at least " + bound;
        case SearchFault::AboveMost:
            return text + " must be at most " + bound;
    }
    return text;
}

Status stoppedStatus() { return Status::failure("the run was stopped"); }

std::vector<Sequence> loadedPart(const std::vector<Sequence>& sample, int32_t count, bool loaded) {
    const size_t n = loaded ? std::min(static_cast<size_t>(std::max(count, 0)), sample.size()) : 0;
    return {sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(n)};
}

}  // namespace

Model::Model() : workspace_(std::make_unique<TMainManager>()) {}

int32_t Model::width() const { return workspace_->storage() ? workspace_->storage()->width : 0; }

std::vector<Sequence> Model::learningPositives() const {
    const TMainManager& m = *workspace_;
    return loadedPart(m.learnPositive(), m.learnPositiveCount(), m.learnPositiveLoaded());
}

std::vector<Sequence> Model::learningNegatives() const {
    const TMainManager& m = *workspace_;
    return loadedPart(m.learnNegative(), m.learnNegativeCount(), m.learnNegativeLoaded());
}

Status Model::load(const SampleSource& positives, const SampleSource* negatives) {
    TMainManager& m = *workspace_;
    stage_.store(LearnStage::Loading);
    std::vector<Sequence> records;
    Status status = readSample(positives, "positive", records);
    if (!status) return status;
    m.takeLearnPositive(std::move(records));
    if (negatives == nullptr) return status;
    if (negatives->isFile) return m.loadLearnNegative(negatives->path);
    status = readSample(*negatives, "negative", records);
    if (!status) return status;
    return m.takeLearnNegative(negatives->name("negative"), std::move(records));
}

template <typename Start>
bool Model::startUnlessStopped(Start start) {
    std::lock_guard<std::mutex> lock(startMutex_);
    if (stopped_.load()) return false;
    return start();
}

void Model::stop() {
    std::lock_guard<std::mutex> lock(startMutex_);
    stopped_.store(true);
    workspace_->stopRuleSearch();  // the common stop: whatever process runs
    contrastControl_.setRunning(false);
}

Status Model::finish(TMainManager::Process process) {
    TMainManager& m = *workspace_;
    m.joinWorker();
    const std::string failure = m.takeWorkerError();
    m.takeEnd(process);
    if (!failure.empty()) return Status::failure("the worker failed: " + failure);
    if (stopped_.load()) return stoppedStatus();
    return Status::success();
}

Status Model::learn(const LearnOptions& options) {
    TMainManager& m = *workspace_;
    // The header as the window's controls hold these settings: the frame-width edit keeps its
    // value (10 unless a width was given) in fixed positions too.
    header_ = ProjectSettings{};
    static_cast<SearchSettings&>(header_) = options.search;
    header_.idealizationType = options.idealizationType;
    header_.arranged = 0;
    // The search reads the frame width only in shift positions, as the window's start does.
    SearchSettings search = options.search;
    if (!search.shiftPositions()) search.frameWidth = 0;
    if (const auto problem = checkSearchSettings(search))
        return Status::failure(describe(*problem));
    m.setThreadCount(options.threads);

    stage_.store(LearnStage::Searching);
    if (!startUnlessStopped([&] { return m.startRuleSearch(search) == RuleSearchStart::Started; }))
        return stopped_.load() ? stoppedStatus()
                               : Status::failure("the rule search could not be started");
    Status status = finish(TMainManager::Process::RuleSearch);
    if (!status) return status;
    if (!m.rules() || m.rules()->Count() == 0)
        return Status::failure(
            "no regularities were found with these settings, so there can be no classes");

    stage_.store(LearnStage::Idealizing);
    IdealizationStart code = IdealizationStart::NoThread;
    if (!startUnlessStopped([&] {
            code = m.startIdealization(options.idealizationType, options.idealizationSource);
            return code == IdealizationStart::Started;
        })) {
        if (stopped_.load()) return stoppedStatus();
        return Status::failure(
            code == IdealizationStart::NoObjects ? "the idealization has no objects"
            : code == IdealizationStart::NoRules ? "the idealization has no regularities"
                                                 : "the idealization could not be started");
    }
    status = finish(TMainManager::Process::Idealization);
    if (!status) return status;
    if (m.classCount() < 1) return Status::failure("the idealization formed no class");

    if (options.discriminative) {
        stage_.store(LearnStage::Discriminative);
        if (!m.learnNegativeLoaded())
            return Status::failure(
                "the discriminative search needs negatives: it tells the positive sequences "
                "from the negative ones");
        if (!startUnlessStopped([&] {
                contrastControl_.setRunning(true);
                return true;
            }))
            return stoppedStatus();
        // As motifora-cli --contrast searches: the settings of the last search.
        LearningSettings settings = learningSettingsOf(m.crossValidationDefaults());
        settings.score = ScoreKind::kDiscriminative;
        LearnedModel model =
            learnModel(m.learnPositive(), m.learnNegative(), settings, {&contrastControl_});
        auto rules = std::make_shared<const ContrastRules>(std::move(model.contrast.rules));
        if (stopped_.load()) return stoppedStatus();
        m.setContrastRules(std::move(rules));
    }
    stage_.store(LearnStage::Done);
    return Status::success();
}

Status Model::open(const std::string& path) {
    OpenedProject opened;
    const Status status = workspace_->openProject(path, opened);
    if (!status) return status;
    header_ = opened.settings;
    recognition_ = std::move(opened.recognition);
    hasRecognition_ = opened.recognitionPresent;
    stage_.store(LearnStage::Done);
    return status;
}

Status Model::save(const std::string& path) {
    Status status =
        workspace_->saveProject(path, header_, hasRecognition_ ? &recognition_ : nullptr);
    if (!status) return status;
    status = workspace_->writeContrastSideFile(path);
    if (!status)
        status.message =
            "The project has been saved, but not its discriminative rules: " + status.message;
    return status;
}

}  // namespace motifora::python
