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
            return &m.learnPositive;
        case SampleKind::LearnNegative:
            return &m.learnNegative;
        case SampleKind::ControlNegative:
            return &m.controlNegative;
        case SampleKind::ControlPositive:
            return &m.controlPositive;
        default:
            return nullptr;
    }
}

int32_t countOf(const TMainManager& m, SampleKind kind) {
    switch (kind) {
        case SampleKind::LearnPositive:
            return m.learnPositiveCount;
        case SampleKind::LearnNegative:
            return m.learnNegativeCount;
        case SampleKind::ControlNegative:
            return m.controlNegativeCount;
        case SampleKind::ControlPositive:
            return m.controlPositiveCount;
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

void TMainManager::setRunning(bool value) {
    if (value) runControl.open();
    runControl.setRunning(value);  // clearing it also opens the gate
    running.store(value);
}

void TMainManager::applyHold() {
    if (holdNextStart_.exchange(false)) runControl.hold();
}

void TMainManager::setPaused(bool value) {
    if (value) {
        runControl.close();
        paused.store(true);
    } else {
        paused.store(false);
        runControl.open();
    }
}

int TMainManager::pauseProcess(const std::atomic<bool>* only) {
    if (!only || only->load()) setPaused(true);
    return 0;
}

int TMainManager::resumeProcess() {
    setPaused(false);
    return 0;
}

int TMainManager::stopProcess(const std::atomic<bool>* only) {
    if (!only || only->load()) stopCurrent();
    return 0;
}

bool TMainManager::launch(void (TMainManager::*body)(), std::atomic<bool>* active) {
    // A pause that came in after the previous process had ended must not hold the new one.
    paused.store(false);
    setRunning(true);
    applyHold();
    if (active) active->store(true);
    if (startWorker(body)) return true;
    if (active) active->store(false);
    setRunning(false);
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
        paused.store(false);
        setRunning(false);
        finished.store(true);
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
    if (!classificator_ || classificator_->idealObjectCount == 0 || classCount == 0) return 1;
    // Every object set is renumbered, classified or not: numbers left from a stopped
    // classification would otherwise name a class that moved or no longer exists, and a
    // project saved then could not be read back.
    ClassifiedSets sets;
    sets.controlNegativeClassified = true;
    sets.controlPositiveClassified = true;
    sets.learnNegativeLoaded = true;
    if (deleteIdealObject(*classificator_, storage.get(), k, sets) == -1) {
        classCount = classificator_->idealObjectCount;
        modified.store(true);
        saved.store(false);
    }
    return -1;
}

void TMainManager::shutdownWorker() {
    if (!workerThread_.joinable()) return;
    running.store(false);
    recognitionStopRequested_.store(true);
    runControl.setRunning(false);
    paused.store(false);
    runControl.open();
    workerThread_.join();
}

bool TMainManager::settleWorker() {
    if (!workerThread_.joinable()) return false;
    const bool wasLive = running.load();
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
    learnPositive = std::move(records);
    learnPositiveCount = static_cast<int32_t>(learnPositive.size());
    learnPositiveLoaded.store(true);
    setRunning(false);
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
    const int32_t width = sampleWidth(learnPositive.data(), learnPositiveCount);
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
    letters.addLetters(learnPositive.data(), learnPositiveCount);
    status = checkLetters(fileName, records, letters);
    if (!status) return status;
    learnNegative = std::move(records);
    learnNegativeCount = static_cast<int32_t>(learnNegative.size());
    learnNegativeLoaded.store(true);
    setContrastRules(nullptr);  // found against the negatives just replaced
    return status;
}

Status TMainManager::checkControlSample(const std::string& fileName,
                                        const std::vector<Sequence>& records, bool positive,
                                        bool& longer) {
    longer = false;
    if (!storage) {
        return Status::failure(
            fileName + ": there are no learning objects yet; run the rule search first", fileName);
    }
    Status status = checkLetters(fileName, records, storage->codeTable);
    if (!status) return status;
    const int32_t width = storage->width;
    auto tooShort = [&](size_t i, const char* what) {
        return recordFailure(fileName, records, i,
                             " is " + std::to_string(records[i].length) + " letters long; " + what +
                                 " " + std::to_string(width));
    };
    if (searchSettings.shiftPositions()) {
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
    if (storage) storage->releaseControlObjects(0);
    // Longer sequences than the objects are scanned window by window (fixed positions only).
    if (!searchSettings.shiftPositions()) longControl.store(longer);
    controlNegative = std::move(records);
    controlNegativeCount = static_cast<int32_t>(controlNegative.size());
    controlNegativeLoaded.store(true);
    recognitionStale.store(true);
    setRunning(false);
    controlNegativeClassified.store(false);
    return status;
}

Status TMainManager::loadControlPositive(const std::string& fileName) {
    std::vector<Sequence> records;
    bool longer = false;
    Status status = readSample(fileName, records);
    if (status) status = checkControlSample(fileName, records, true, longer);
    if (!status) return status;
    if (storage) storage->releaseControlObjects(1);
    controlPositive = std::move(records);
    controlPositiveCount = static_cast<int32_t>(controlPositive.size());
    controlPositiveLoaded.store(true);
    setRunning(false);
    controlPositiveClassified.store(false);
    return status;
}

const char* TMainManager::sequenceText(SampleKind kind, int32_t index) const {
    const std::vector<Sequence>* records = sampleOf(*this, kind);
    if (!records || index < 0 || index >= countOf(*this, kind) ||
        static_cast<size_t>(index) >= records->size())
        return nullptr;
    return (*records)[static_cast<size_t>(index)].text.c_str();
}

const char* TMainManager::sequenceName(SampleKind kind, int32_t index) const {
    const std::vector<Sequence>* records = sampleOf(*this, kind);
    if (!records || index < 0 || index >= countOf(*this, kind) ||
        static_cast<size_t>(index) >= records->size())
        return nullptr;
    return (*records)[static_cast<size_t>(index)].name.c_str();
}

bool TMainManager::unsavedWork() {
    if (!saved.load() && (openedFromProject.load() || modified.load())) return true;
    modified.store(true);
    return false;
}

// ---------------------------------------------------------------- replaced engine objects

void TMainManager::retireStorage() {
    if (storage) retiredStorages_.push_back(std::move(storage));
}

void TMainManager::retireRules() {
    if (rules) retiredRules_.push_back(std::move(rules));
}

// ---------------------------------------------------------------- state queries

TMainManager::Process TMainManager::activeProcess() const {
    for (Process p :
         {Process::RuleSearch, Process::Idealization, Process::Classification, Process::Scan}) {
        if (isStarted(p)) return p;
    }
    return Process::None;
}

bool TMainManager::isStarted(Process process) const {
    switch (process) {
        case Process::RuleSearch:
            return ruleSearchStarted.load();
        case Process::Idealization:
            return idealizationStarted.load();
        case Process::Classification:
            return classificationStarted.load();
        case Process::Scan:
            return scanStarted_.load();
        case Process::None:
            break;
    }
    return false;
}

bool TMainManager::isIdle() const {
    return !isRunning() && !isPaused() && !hasEnded() && activeProcess() == Process::None;
}

void TMainManager::takeEnd(Process process) {
    finished.store(false);
    switch (process) {
        case Process::RuleSearch:
            ruleSearchStarted.store(false);
            break;
        case Process::Idealization:
            idealizationStarted.store(false);
            break;
        case Process::Classification:
            classificationStarted.store(false);
            break;
        case Process::Scan:
            scanStarted_.store(false);
            break;
        case Process::None:
            break;
    }
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

int TMainManager::startRuleSearch(const SearchSettings& settings) {
    searchSettings = settings;
    if (checkSearchSettings(searchSettings)) return StartCode::kRuleSearchNoThread;
    searchTarget_.store(-1);
    if (settleWorker()) finished.store(false);

    auto fresh = std::make_unique<SEQStorage>();
    if (!searchSettings.shiftPositions()) {
        if (learnNegativeLoaded.load()) {
            fresh->buildWholeWithNegatives(learnPositive.data(), learnNegative.data(),
                                           learnPositiveCount, learnNegativeCount);
        } else {
            fresh->buildWhole(learnPositive.data(), learnPositiveCount);
        }
        searchSettings.frameWidth = fresh->width;
    } else {
        fresh->buildWindows(learnPositive.data(), learnPositiveCount, searchSettings.frameWidth);
    }
    purgeRetired();
    retireStorage();
    storage = std::move(fresh);
    retireRules();
    rules = std::make_unique<RulesStorage>(searchSettings.finishBufferSize, storage->width);

    return launch(&TMainManager::ruleSearchBody) ? StartCode::kRuleSearchStarted
                                                 : StartCode::kRuleSearchNoThread;
}

void TMainManager::ruleSearchBody() {
    modified.store(true);
    saved.store(false);
    generator_->SetSink(sink_);
    ProgressCallbacks progress;
    progress.onStage = [this](LearningStage, int32_t) { ruleSearchStarted.store(true); };
    progress.onStep = [this](int32_t target) { searchTarget_.store(target); };
    // A stop keeps the rules found by then.
    searchRegularities(*generator_, *storage, *rules, learningSettingsOf(searchSettings),
                       {&runControl, &progress, nullptr});
    ruleSearchEnd();
}

void TMainManager::ruleSearchEnd() {
    if (learnNegativeLoaded.load()) {
        // Afterwards the learning objects are the positives alone and the negatives stand apart.
        auto fresh = std::make_unique<SEQStorage>();
        fresh->buildWhole(learnPositive.data(), learnPositiveCount);
        fresh->addSetObjects(learnNegative.data(), learnNegativeCount,
                             ObjectSetKind::LearnNegative);
        retireStorage();
        storage = std::move(fresh);
    }
    resetIdealObjects.store(true);
    setRunning(false);
    finished.store(true);
}

void TMainManager::stopCurrent() {
    running.store(false);
    runControl.setRunning(false);  // opens the gate, so a paused worker sees the cleared flag
    paused.store(false);
}

// ---------------------------------------------------------------- idealization

int TMainManager::startIdealization(int32_t type, int32_t source) {
    idealizationSource_ = source;
    if (!storage || storage->learnObjectCount == 0) return StartCode::kNoObjects;
    if (!rules || rules->Count() == 0) return StartCode::kNoRules;

    // A worker left paused by an earlier start must not go on using a classificator this start
    // may replace: stop it and wait, keeping the reset request as it stood before.
    const bool reset = resetIdealObjects.load();
    if (settleWorker()) finished.store(false);
    resetIdealObjects.store(reset);

    if (reset) {
        idealObjects.clear();
        classificator_.reset();
        classCount = 0;
        idealObjects.resize(static_cast<size_t>(storage->learnObjectCount));
        classificator_ = std::make_unique<Classificator>();
    }
    if (!classificator_) classificator_ = std::make_unique<Classificator>();
    purgeRetired();
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl);
    classificator_->Setup(storage.get(), rules.get(), &idealObjects, type);

    return launch(&TMainManager::idealizationBody) ? StartCode::kStarted : StartCode::kNoThread;
}

void TMainManager::idealizationBody() {
    idealizationStarted.store(true);
    modified.store(true);
    saved.store(false);
    ProgressSink* sink = sink_;
    int32_t steps = 0;
    ProgressCallbacks progress;
    progress.onStage = [&steps](LearningStage, int32_t count) { steps = count; };
    progress.onStep = [&](int32_t step) {
        if (sink) sink->onEvent(ItemsLeft{steps - step});
    };
    progress.onClasses = [this](int32_t count) { classCount = count; };
    LearningSettings settings = learningSettingsOf(searchSettings);
    settings.idealizationSource = idealizationSource_;
    settings.idealizationThreads = generator_->threadCount;
    settings.classifyNegatives = learnNegativeLoaded.load();
    // A stop keeps the classes made by then.
    idealizeObjects(*classificator_, *storage, *rules, settings, {&runControl, &progress, nullptr});
    idealizationEnd();
}

void TMainManager::idealizationEnd() {
    resetIdealObjects.store(false);
    setRunning(false);
    finished.store(true);
}

// ---------------------------------------------------------------- classification

int TMainManager::startClassification() {
    // Classes found on an earlier object table (before the last rule search) cannot classify
    // objects of the present one: widths and rules differ.
    if (!classificator_ || classificator_->idealObjectCount == 0 || !storage ||
        classificator_->storage != storage.get())
        return StartCode::kNoClasses;
    if (controlNegativeCount == 0) return StartCode::kNoControl;
    settleWorker();

    storage->addSetObjects(controlNegative.data(), controlNegativeCount,
                           ObjectSetKind::ControlNegative);
    if (controlPositiveLoaded.load())
        storage->addSetObjects(controlPositive.data(), controlPositiveCount,
                               ObjectSetKind::ControlPositive);
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl);

    finished.store(false);
    return launch(&TMainManager::classificationBody) ? StartCode::kStarted : StartCode::kNoThread;
}

void TMainManager::classificationBody() {
    modified.store(true);
    saved.store(false);
    classificationStarted.store(true);
    const int32_t negatives = std::min(controlNegativeCount, storage->controlNegativeObjectCount);
    for (int32_t i = 0; i < negatives; ++i) {
        if (!runControl.gate()) break;
        SEQSElem& object = storage->controlNegativeObjects[i];
        object.classNumber =
            classificator_->ClassifyObject(object, i + 1, ObjectSetKind::ControlNegative);
    }
    if (controlPositiveLoaded.load()) {
        const int32_t positives =
            std::min(controlPositiveCount, storage->controlPositiveObjectCount);
        for (int32_t i = 0; i < positives; ++i) {
            if (!runControl.gate()) break;
            SEQSElem& object = storage->controlPositiveObjects[i];
            object.classNumber =
                classificator_->ClassifyObject(object, i + 1, ObjectSetKind::ControlPositive);
        }
    }
    if (running.load()) classificationEnd();
}

void TMainManager::classificationEnd() {
    controlNegativeClassified.store(true);
    controlPositiveClassified.store(true);
    // `finished` before `running`: a timer that sees the run flag clear without `finished`
    // then knows the run was stopped, not ended.
    finished.store(true);
    setRunning(false);
}

// ---------------------------------------------------------------- class list

int TMainManager::ShowIdealObjects() {
    if (!storage) return -1;
    std::string text;
    for (int32_t i = 0; i < classCount; ++i) {
        if (static_cast<size_t>(i) >= idealObjects.size() || !idealObjects[static_cast<size_t>(i)])
            return -1;
        const CIdelObject& object = *idealObjects[static_cast<size_t>(i)];
        object.ToText(text, storage->codeTable);
        if (sink_) sink_->onEvent(ClassListed{text, object.Value(), i});
    }
    return 1;
}

}  // namespace motifora
