// The workspace object: sample loads with their checks, and the rule search, idealization and
// classification processes run on the worker thread.
#include "workspace/TMainManager.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "classify/ClassDeletion.h"
#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "core/FileManager.h"
#include "core/ProgressEvents.h"
#include "core/Translatable.h"
#include "core/WorkerPool.h"
#include "evaluation/Pipeline.h"
#include "genome/SampleFile.h"
#include "rules/CIdelObject.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"

namespace motifora {

namespace {

// The refusal of record `index` of the sample file `fileName`: "file: record 3 (name)" and
// `what` (the name is left out when empty), with the file and the record beside the text.
Status recordFailure(const std::string& fileName, const std::vector<Sequence>& records,
                     size_t index, const std::string& what) {
    std::string label = fileName + ": record " + std::to_string(index + 1);
    if (!records[index].name.empty()) label += " (" + records[index].name + ")";
    return Status::failure(label + what, fileName, 0, static_cast<int64_t>(index) + 1);
}

// The first letter of `records` without a code in `table` as a refusal ("file: record N (name):
// letter 'x' at letter J ..."); success when every letter has a code.
Status checkLetters(const std::string& fileName, const std::vector<Sequence>& records,
                    const CCodeTable& table) {
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string& text = records[i].text;
        for (size_t j = 0; j < text.size(); ++j) {
            if (table.codeOf(static_cast<unsigned char>(text[j])) < 0) {
                return recordFailure(fileName, records, i,
                                     ": letter '" + std::string(1, text[j]) + "' at letter " +
                                         std::to_string(j + 1) +
                                         " is not in the alphabet of the learning positive sample");
            }
        }
    }
    return Status::success();
}

const std::vector<Sequence>* sampleOf(const TMainManager& m, SampleKind kind) {
    switch (kind) {
        case SampleKind::LearnPositive:
            return &m.learnPositive();
        case SampleKind::LearnNegative:
            return &m.learnNegative();
        case SampleKind::ControlNegative:
            return &m.controlNegative();
        case SampleKind::ControlPositive:
            return &m.controlPositive();
        default:
            return nullptr;
    }
}

int32_t countOf(const TMainManager& m, SampleKind kind) {
    switch (kind) {
        case SampleKind::LearnPositive:
            return m.learnPositiveCount();
        case SampleKind::LearnNegative:
            return m.learnNegativeCount();
        case SampleKind::ControlNegative:
            return m.controlNegativeCount();
        case SampleKind::ControlPositive:
            return m.controlPositiveCount();
        default:
            return 0;
    }
}

}  // namespace

TMainManager::TMainManager()
    : generator_(std::make_unique<RegGenerator>()),
      bootstrapGenerator_(std::make_unique<RegGenerator>()) {}

TMainManager::~TMainManager() {
    // The worker uses everything below; it must be gone before any of it is destroyed.
    shutdownWorker();
}

// ---------------------------------------------------------------- flags and the pause gate

bool TMainManager::movePhase(std::initializer_list<Phase> from, Phase to, Process only) {
    ProcessState now = state_.load();
    do {
        if (now.process == Process::None) return false;
        if (only != Process::None && now.process != only) return false;
        if (std::find(from.begin(), from.end(), now.phase) == from.end()) return false;
    } while (!state_.compare_exchange_weak(now, ProcessState{now.process, to}));
    return true;
}

void TMainManager::markEnded() {
    ProcessState now = state_.load();
    while (now.process != Process::None &&
           !state_.compare_exchange_weak(now, ProcessState{now.process, Phase::Ended})) {
    }
}

void TMainManager::beginRunning(Process process) {
    runControl_.open();
    runControl_.setRunning(true);
    state_.store({process, Phase::Running});
}

void TMainManager::applyHold() {
    if (holdNextStart_.exchange(false)) runControl_.hold();
}

int TMainManager::pauseProcess(Process only) {
    // A recognition has no gate: it cannot be paused.
    if (state_.load().process == Process::Recognition) return 0;
    if (movePhase({Phase::Running}, Phase::Paused, only)) runControl_.close();
    return 0;
}

int TMainManager::resumeProcess() {
    movePhase({Phase::Paused}, Phase::Running);
    runControl_.open();
    return 0;
}

int TMainManager::stopProcess(Process only) {
    const ProcessState now = state_.load();
    if (only == Process::None || now.process == only) stopCurrent();
    return 0;
}

bool TMainManager::launch(void (TMainManager::*body)(), Process process) {
    beginRunning(process);
    applyHold();
    if (startWorker(body)) return true;
    runControl_.setRunning(false);
    state_.store({});
    return false;
}

bool TMainManager::startWorker(void (TMainManager::*body)()) {
    {
        std::lock_guard<std::mutex> lock(workerErrorMutex_);
        workerError_.clear();
    }
    return workerThread_.start([this, body] {
        // An exception must not leave the worker's thread: it would end the program and lose
        // the user's work. The process ends as a stopped one, and the window shows why.
        std::string failure;
        try {
            (this->*body)();
            return;
        } catch (const std::bad_alloc&) {
            failure = MOTIFORA_TR("Недостаточно памяти для этого процесса; процесс прерван.");
        } catch (const std::exception& e) {
            failure = std::string(MOTIFORA_TR("Процесс прерван из-за ошибки: ")) + e.what();
        }
        {
            std::lock_guard<std::mutex> lock(workerErrorMutex_);
            workerError_ = failure;
        }
        runControl_.setRunning(false);
        // The process ends as a stopped one, its end left to take with the failure; a body that
        // had already let its process go (the cross-validation, the discriminative search)
        // leaves an end of no process.
        state_.store({state_.load().process, Phase::Ended});
    });
}

std::string TMainManager::takeWorkerError() {
    std::lock_guard<std::mutex> lock(workerErrorMutex_);
    return std::exchange(workerError_, std::string());
}

void TMainManager::joinWorker() { workerThread_.join(); }

void TMainManager::setThreadCount(int32_t threads) {
    generator_->SetThreadCount(threads);
    bootstrapGenerator_->SetThreadCount(threads);
}

int TMainManager::deleteClass(int32_t k) {
    if (!classificator_ || classificator_->idealObjectCount == 0 || classCount_ == 0) return 1;
    // Every object set is renumbered, classified or not: numbers left from a stopped
    // classification would otherwise name a class that moved or no longer exists, and a
    // project saved then could not be read back.
    ClassifiedSets sets;
    sets.controlNegativeClassified = true;
    sets.controlPositiveClassified = true;
    sets.learnNegativeLoaded = true;
    if (deleteIdealObject(*classificator_, storage_.get(), k, sets) == -1) {
        classCount_ = classificator_->idealObjectCount;
        markModified();
    }
    return -1;
}

void TMainManager::shutdownWorker() {
    if (!workerThread_.joinable()) return;
    movePhase({Phase::Running, Phase::Paused}, Phase::Stopped);
    recognitionStopRequested_.store(true);
    runControl_.setRunning(false);
    runControl_.open();
    workerThread_.join();
}

void TMainManager::stopPausedIdealization() {
    const bool reset = resetIdealObjects_.load();
    shutdownWorker();
    resetIdealObjects_.store(reset);
}

void TMainManager::setIterationSearchSettings(const SearchSettings& settings) {
    const int32_t width = searchSettings_.frameWidth;
    searchSettings_ = settings;
    searchSettings_.frameWidth = width;
}

bool TMainManager::settleWorker() {
    if (!workerThread_.joinable()) return false;
    const bool wasLive = isRunning();
    shutdownWorker();
    return wasLive;
}

Status TMainManager::settleForLoad(const std::string& fileName) {
    if (workerThread_.joinable() && workerLive()) {
        return Status::failure(fileName + ": a process is running; stop it before loading samples",
                               fileName);
    }
    // A stopped worker may still be finishing its last item, and a recognition (which has no
    // run flag) its scores, with the objects a load replaces: wait for it.
    settleWorker();
    return Status::success();
}

// ---------------------------------------------------------------- sample loads

Status TMainManager::readSample(const std::string& fileName, std::vector<Sequence>& records) {
    Status settled = settleForLoad(fileName);
    if (!settled) return settled;
    loadRead_ = SampleRead{};
    return readLearnPositiveFile(fileName, records, nullptr, &loadRead_);
}

Status TMainManager::readLearnPositiveFile(const std::string& fileName,
                                           std::vector<Sequence>& records,
                                           std::vector<std::string>* warnings, SampleRead* read) {
    records.clear();
    SampleRead found;
    // FASTA and ".seq" samples (told apart by their content) pass the same checks once read.
    Status status = readSampleFile(fileName, records, &found);
    if (warnings != nullptr) warnings->clear();
    if (read != nullptr) *read = SampleRead{};
    if (!status) {
        if (status.message.empty()) status.message = fileName + ": the file could not be read";
        if (status.file.empty()) status.file = fileName;
        records.clear();
        return status;
    }
    for (std::string& warning : found.warnings) warning = "\"" + fileName + "\", " + warning;
    if (warnings != nullptr) *warnings = found.warnings;
    if (read != nullptr) *read = std::move(found);
    return Status::success();
}

void TMainManager::takeLearnPositive(std::vector<Sequence>&& records) {
    learnPositive_ = std::move(records);
    learnPositiveCount_ = static_cast<int32_t>(learnPositive_.size());
    learnPositiveLoaded_.store(true);
    stopCurrent();
}

// Every load reads and checks into a new array and takes it over only when all is well: a
// refused file leaves the sample, its count, its flag and the objects as they were.
Status TMainManager::loadLearnPositive(const std::string& fileName) {
    std::vector<Sequence> records;
    Status status = readSample(fileName, records);
    if (!status) return status;
    takeLearnPositive(std::move(records));
    return status;
}

Status TMainManager::loadLearnNegative(const std::string& fileName) {
    std::vector<Sequence> records;
    Status status = readSample(fileName, records);
    if (!status) return status;
    return takeLearnNegative(fileName, std::move(records));
}

Status TMainManager::takeLearnNegative(const std::string& fileName,
                                       std::vector<Sequence>&& records) {
    Status status = settleForLoad(fileName);
    if (!status) return status;
    // The objects take their width and letters from the learning positive sample; a negative
    // record must fit both, or it would be cut off or coded as a missing letter.
    const int32_t width = sampleWidth(learnPositive_.data(), learnPositiveCount_);
    for (size_t i = 0; i < records.size(); ++i) {
        const int64_t end = int64_t{records[i].startPosition} + records[i].length - 1;
        if (end > width) {
            return recordFailure(fileName, records, i,
                                 " is " + std::to_string(records[i].length) +
                                     " letters long; the learning positive sequences are " +
                                     std::to_string(width) + " positions wide");
        }
    }
    CCodeTable letters;
    letters.addLetters(learnPositive_.data(), learnPositiveCount_);
    status = checkLetters(fileName, records, letters);
    if (!status) return status;
    learnNegative_ = std::move(records);
    learnNegativeCount_ = static_cast<int32_t>(learnNegative_.size());
    learnNegativeLoaded_.store(true);
    setContrastRules(nullptr);  // found against the negatives just replaced
    return status;
}

Status TMainManager::checkControlSample(const std::string& fileName,
                                        const std::vector<Sequence>& records, bool positive,
                                        bool& longer) {
    longer = false;
    if (!storage_) {
        return Status::failure(
            fileName + ": there are no learning objects yet; run the rule search first", fileName);
    }
    Status status = checkLetters(fileName, records, storage_->codeTable);
    if (!status) return status;
    const int32_t width = storage_->width;
    auto tooShort = [&](size_t i, const char* what) {
        return recordFailure(fileName, records, i,
                             " is " + std::to_string(records[i].length) + " letters long; " + what +
                                 " " + std::to_string(width));
    };
    if (searchSettings_.shiftPositions()) {
        if (positive) return status;  // the window offers no control positive load in this mode
        for (size_t i = 0; i < records.size(); ++i) {
            if (records[i].length < width) return tooShort(i, "the scanning frame is");
        }
        return status;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const int32_t length = records[i].length;
        if (positive && length != width) {
            return tooShort(i,
                            "control positive sequences must be exactly as long as the objects,");
        }
        if (length > width) longer = true;
        if (length < width) return tooShort(i, "the objects are");
    }
    return status;
}

Status TMainManager::loadControlNegative(const std::string& fileName) {
    std::vector<Sequence> records;
    bool longer = false;
    Status status = readSample(fileName, records);
    if (status) status = checkControlSample(fileName, records, false, longer);
    if (!status) return status;
    if (storage_) storage_->releaseControlObjects(0);
    // Longer sequences than the objects are scanned window by window (fixed positions only).
    if (!searchSettings_.shiftPositions()) longControl_.store(longer);
    controlNegative_ = std::move(records);
    controlNegativeCount_ = static_cast<int32_t>(controlNegative_.size());
    controlNegativeLoaded_.store(true);
    recognitionStale_.store(true);
    stopCurrent();
    controlNegativeClassified_.store(false);
    return status;
}

Status TMainManager::loadControlPositive(const std::string& fileName) {
    std::vector<Sequence> records;
    bool longer = false;
    Status status = readSample(fileName, records);
    if (status) status = checkControlSample(fileName, records, true, longer);
    if (!status) return status;
    if (storage_) storage_->releaseControlObjects(1);
    controlPositive_ = std::move(records);
    controlPositiveCount_ = static_cast<int32_t>(controlPositive_.size());
    controlPositiveLoaded_.store(true);
    stopCurrent();
    controlPositiveClassified_.store(false);
    return status;
}

const Sequence* TMainManager::sequence(SampleKind kind, int32_t index) const {
    const std::vector<Sequence>* records = sampleOf(*this, kind);
    if (!records || index < 0 || index >= countOf(*this, kind) ||
        static_cast<size_t>(index) >= records->size())
        return nullptr;
    return &(*records)[static_cast<size_t>(index)];
}

const char* TMainManager::sequenceText(SampleKind kind, int32_t index) const {
    const Sequence* record = sequence(kind, index);
    return record ? record->text.c_str() : nullptr;
}

const char* TMainManager::sequenceName(SampleKind kind, int32_t index) const {
    const Sequence* record = sequence(kind, index);
    return record ? record->name.c_str() : nullptr;
}

bool TMainManager::unsavedWork() {
    if (!saved_.load() && (openedFromProject_.load() || modified_.load())) return true;
    modified_.store(true);
    return false;
}

// ---------------------------------------------------------------- replaced engine objects

void TMainManager::retireStorage() {
    if (storage_) retiredStorages_.push_back(std::move(storage_));
}

void TMainManager::retireRules() {
    if (rules_) retiredRules_.push_back(std::move(rules_));
}

// ---------------------------------------------------------------- state queries

TMainManager::Process TMainManager::activeProcess() const {
    const Process process = state_.load().process;
    switch (process) {
        case Process::RuleSearch:
        case Process::Idealization:
        case Process::Classification:
        case Process::Scan:
            return process;
        default:
            return Process::None;
    }
}

bool TMainManager::isStarted(Process process) const {
    return process != Process::None && state_.load().process == process;
}

bool TMainManager::isActive(Process process) const {
    const ProcessState now = state_.load();
    return now.process == process && now.phase != Phase::Ended && now.phase != Phase::Idle;
}

bool TMainManager::isRunning() const {
    const ProcessState now = state_.load();
    return now.process != Process::Recognition &&
           (now.phase == Phase::Running || now.phase == Phase::Paused);
}

bool TMainManager::isWorking() const {
    const ProcessState now = state_.load();
    return now.process != Process::Recognition && now.phase == Phase::Running;
}

bool TMainManager::isIdle() const {
    return !isRunning() && !isPaused() && !hasEnded() && activeProcess() == Process::None;
}

void TMainManager::takeEnd(Process process) {
    ProcessState now = state_.load();
    do {
        if (now.phase == Phase::Running || now.phase == Phase::Paused) return;
        if (process != Process::None && now.process != process) return;
    } while (!state_.compare_exchange_weak(now, ProcessState{}));
}

void TMainManager::discardRules() {
    purgeRetired();
    retireRules();
    setContrastRules(nullptr);
}

void TMainManager::purgeRetired() {
    const SEQStorage* usedStorage = classificator_ ? classificator_->storage : nullptr;
    const RulesStorage* usedRules = classificator_ ? classificator_->rules : nullptr;
    std::erase_if(retiredStorages_, [&](const auto& s) { return s.get() != usedStorage; });
    std::erase_if(retiredRules_, [&](const auto& r) { return r.get() != usedRules; });
}

// ---------------------------------------------------------------- rule search

RuleSearchStart TMainManager::startRuleSearch(const SearchSettings& settings) {
    searchSettings_ = settings;
    if (checkSearchSettings(searchSettings_)) return RuleSearchStart::NotStarted;
    searchTarget_.store(-1);
    settleWorker();

    auto fresh = std::make_unique<SEQStorage>();
    if (!searchSettings_.shiftPositions()) {
        if (learnNegativeLoaded_.load()) {
            fresh->buildWholeWithNegatives(learnPositive_.data(), learnNegative_.data(),
                                           learnPositiveCount_, learnNegativeCount_);
        } else {
            fresh->buildWhole(learnPositive_.data(), learnPositiveCount_);
        }
        searchSettings_.frameWidth = fresh->width;
    } else {
        fresh->buildWindows(learnPositive_.data(), learnPositiveCount_, searchSettings_.frameWidth);
    }
    purgeRetired();
    retireStorage();
    storage_ = std::move(fresh);
    retireRules();
    rules_ = std::make_unique<RulesStorage>(searchSettings_.finishBufferSize, storage_->width);

    return launch(&TMainManager::ruleSearchBody, Process::RuleSearch) ? RuleSearchStart::Started
                                                                      : RuleSearchStart::NotStarted;
}

void TMainManager::ruleSearchBody() {
    markModified();
    generator_->SetSink(sink_);
    ProgressCallbacks progress;
    progress.onStep = [this](int32_t target) { searchTarget_.store(target); };
    // A stop keeps the rules found by then.
    searchRegularities(*generator_, *storage_, *rules_, learningSettingsOf(searchSettings_),
                       {&runControl_, &progress, nullptr});
    ruleSearchEnd();
}

void TMainManager::ruleSearchEnd() {
    if (learnNegativeLoaded_.load()) {
        // Afterwards the learning objects are the positives alone and the negatives stand apart.
        auto fresh = std::make_unique<SEQStorage>();
        fresh->buildWhole(learnPositive_.data(), learnPositiveCount_);
        fresh->addSetObjects(learnNegative_.data(), learnNegativeCount_,
                             ObjectSetKind::LearnNegative);
        retireStorage();
        storage_ = std::move(fresh);
    }
    resetIdealObjects_.store(true);
    runControl_.setRunning(false);
    markEnded();
}

void TMainManager::stopCurrent() {
    // A recognition is stopped by stopRecognition, after the score in hand.
    if (state_.load().process != Process::Recognition)
        movePhase({Phase::Running, Phase::Paused}, Phase::Stopped);
    runControl_.setRunning(false);  // opens the gate, so a paused worker sees the stop
}

// ---------------------------------------------------------------- idealization

IdealizationStart TMainManager::startIdealization(IdealizationType type,
                                                  IdealizationSource source) {
    idealizationSource_ = source;
    if (!storage_ || storage_->learnObjectCount == 0) return IdealizationStart::NoObjects;
    if (!rules_ || rules_->Count() == 0) return IdealizationStart::NoRules;

    // A worker left paused by an earlier start must not go on using a classificator this start
    // may replace: stop it and wait, keeping the reset request as it stood before.
    const bool reset = resetIdealObjects_.load();
    settleWorker();
    resetIdealObjects_.store(reset);

    if (reset) {
        idealObjects_.clear();
        classificator_.reset();
        classCount_ = 0;
        idealObjects_.resize(static_cast<size_t>(storage_->learnObjectCount));
        classificator_ = std::make_unique<Classificator>();
    }
    if (!classificator_) classificator_ = std::make_unique<Classificator>();
    purgeRetired();
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl_);
    classificator_->Setup(storage_.get(), rules_.get(), &idealObjects_, type);

    return launch(&TMainManager::idealizationBody, Process::Idealization)
               ? IdealizationStart::Started
               : IdealizationStart::NoThread;
}

void TMainManager::idealizationBody() {
    markModified();
    ProgressSink* sink = sink_;
    int32_t steps = 0;
    ProgressCallbacks progress;
    progress.onStage = [&steps](LearningStage, int32_t count) { steps = count; };
    progress.onStep = [&](int32_t step) {
        if (sink) sink->onEvent(ItemsLeft{steps - step});
    };
    progress.onClasses = [this](int32_t count) { classCount_ = count; };
    LearningSettings settings = learningSettingsOf(searchSettings_);
    settings.idealizationSource = idealizationSource_;
    settings.idealizationThreads = generator_->threadCount;
    settings.classifyNegatives = learnNegativeLoaded_.load();
    // A stop keeps the classes made by then.
    idealizeObjects(*classificator_, *storage_, *rules_, settings,
                    {&runControl_, &progress, nullptr});
    idealizationEnd();
}

void TMainManager::idealizationEnd() {
    resetIdealObjects_.store(false);
    runControl_.setRunning(false);
    markEnded();
}

// ---------------------------------------------------------------- classification

ClassificationStart TMainManager::startClassification() {
    // Classes found on an earlier object table (before the last rule search) cannot classify
    // objects of the present one: widths and rules differ.
    if (!classificator_ || classificator_->idealObjectCount == 0 || !storage_ ||
        classificator_->storage != storage_.get())
        return ClassificationStart::NoClasses;
    if (controlNegativeCount_ == 0) return ClassificationStart::NoControl;
    settleWorker();

    storage_->addSetObjects(controlNegative_.data(), controlNegativeCount_,
                            ObjectSetKind::ControlNegative);
    if (controlPositiveLoaded_.load())
        storage_->addSetObjects(controlPositive_.data(), controlPositiveCount_,
                                ObjectSetKind::ControlPositive);
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl_);

    return launch(&TMainManager::classificationBody, Process::Classification)
               ? ClassificationStart::Started
               : ClassificationStart::NoThread;
}

void TMainManager::classificationBody() {
    markModified();
    const int32_t negatives = std::min(controlNegativeCount_, storage_->controlNegativeObjectCount);
    for (int32_t i = 0; i < negatives; ++i) {
        if (!runControl_.gate()) break;
        SEQSElem& object = storage_->controlNegativeObjects[i];
        object.classNumber =
            classificator_->ClassifyObject(object, i + 1, ObjectSetKind::ControlNegative);
    }
    if (controlPositiveLoaded_.load()) {
        const int32_t positives =
            std::min(controlPositiveCount_, storage_->controlPositiveObjectCount);
        for (int32_t i = 0; i < positives; ++i) {
            if (!runControl_.gate()) break;
            SEQSElem& object = storage_->controlPositiveObjects[i];
            object.classNumber =
                classificator_->ClassifyObject(object, i + 1, ObjectSetKind::ControlPositive);
        }
    }
    if (isRunning()) classificationEnd();
}

void TMainManager::classificationEnd() {
    controlNegativeClassified_.store(true);
    controlPositiveClassified_.store(true);
    // Ended in one step: a timer that sees a classification neither running nor ended knows
    // it was stopped.
    markEnded();
    runControl_.setRunning(false);
}

// ---------------------------------------------------------------- class list

int TMainManager::ShowIdealObjects() {
    if (!storage_) return -1;
    std::string text;
    for (int32_t i = 0; i < classCount_; ++i) {
        if (static_cast<size_t>(i) >= idealObjects_.size() ||
            !idealObjects_[static_cast<size_t>(i)])
            return -1;
        const CIdelObject& object = *idealObjects_[static_cast<size_t>(i)];
        object.ToText(text, storage_->codeTable);
        if (sink_) sink_->onEvent(ClassListed{text, object.Value(), i});
    }
    return 1;
}

}  // namespace motifora
