// The workspace's side of the project file: what a save hands to the writer, and what an open
// takes over from the reader.
#include <algorithm>
#include <atomic>
#include <utility>

#include "classify/Classificator.h"
#include "rules/CIdelObject.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// The first `count` records of a sample (fewer when the array is shorter).
std::span<const Sequence> firstRecords(const std::vector<Sequence>& records, int32_t count) {
    const size_t n = std::min(records.size(), static_cast<size_t>(std::max(count, 0)));
    return {records.data(), n};
}

// A sample of an opened project takes the place of the workspace's: the records, their count,
// and the loaded flag (a project holds an absent sample as an empty one).
void takeSample(std::vector<Sequence>& sample, int32_t& count, std::atomic<bool>& loaded,
                std::vector<Sequence>&& read) {
    sample = std::move(read);
    count = static_cast<int32_t>(sample.size());
    loaded.store(count > 0);
}

}  // namespace

ProjectSource TMainManager::projectSource(const ProjectSettings& settings,
                                          const RecognitionTable* recognition) const {
    ProjectSource source;
    source.settings = settings;
    source.learnPositive = firstRecords(learnPositive, learnPositiveCount);
    source.learnPositiveLoaded = learnPositiveLoaded.load();
    source.learnNegative = firstRecords(learnNegative, learnNegativeCount);
    source.controlNegative = firstRecords(controlNegative, controlNegativeCount);
    source.controlPositive = firstRecords(controlPositive, controlPositiveCount);
    source.storage = storage.get();
    source.rules = rules.get();
    source.idealObjectsPresent = idealObjectsPresent();
    source.idealObjects = idealObjects;
    source.classCount = classCount;
    // Scores are kept only beside classes: without them the table has no column to go in.
    source.recognition = source.idealObjectsPresent ? recognition : nullptr;
    return source;
}

Status TMainManager::saveProject(const std::string& fileName, const ProjectSettings& settings,
                                 const RecognitionTable* recognition) {
    // The worker writes into the objects, rules and classes while it runs (or holds them half
    // done while paused): a copy taken then would not be the work of any moment.
    if (workerThread_.joinable() && workerLive()) {
        return Status::failure("\"" + fileName +
                                   "\": a process is running; stop it (or let it end) before "
                                   "saving the project",
                               fileName);
    }
    // A stopped worker may still be finishing its last item with the data about to be written.
    settleWorker();
    Status status = WriteProject(fileName, projectSource(settings, recognition));
    if (!status) return status;
    saved.store(true);
    modified.store(false);
    return status;
}

Status TMainManager::openProject(const std::string& fileName, OpenedProject& opened) {
    contrastFileMessage_.clear();
    ProjectData data;
    Status status = ReadProject(fileName, data);
    if (!status) return status;
    takeOverProject(std::move(data), opened);
    contrastFileMessage_ = readContrastSideFile(fileName).message;
    return status;
}

void TMainManager::takeOverProject(ProjectData&& data, OpenedProject& opened) {
    // Nothing may run over the data being replaced.
    shutdownWorker();
    setPaused(false);
    setRunning(false);

    opened.settings = data.settings;
    opened.recognitionPresent = data.recognitionPresent;
    opened.recognition = std::move(data.recognition);

    // The classificator refers to the storage, the rules and the classes: it goes first.
    classificator_.reset();
    idealObjects.clear();
    rules.reset();
    storage.reset();
    retiredRules_.clear();
    retiredStorages_.clear();
    setContrastRules(nullptr);  // the side file, when there is one, is read after

    takeSample(learnPositive, learnPositiveCount, learnPositiveLoaded,
               std::move(data.learnPositive));
    takeSample(learnNegative, learnNegativeCount, learnNegativeLoaded,
               std::move(data.learnNegative));
    takeSample(controlNegative, controlNegativeCount, controlNegativeLoaded,
               std::move(data.controlNegative));
    takeSample(controlPositive, controlPositiveCount, controlPositiveLoaded,
               std::move(data.controlPositive));

    // Storage and rules move together: every read rule points at this storage.
    storage = std::move(data.storage);
    rules = std::move(data.rules);
    idealObjects = std::move(data.idealObjects);
    classCount = data.classCount;
    // An ideal-object section without classes still tells that the array existed; an empty
    // slot of room keeps that, so the project is written back the same way.
    if (data.idealObjectsPresent && idealObjects.empty()) idealObjects.resize(1);

    const ProjectSettings& s = opened.settings;
    searchSettings = s;
    // The header holds the frame-width edit as it stood when saved. In fixed positions the
    // search took the sequences' width instead, so the objects' width is the one the control
    // data's windows had before saving. In shift positions the header's width is the frame the
    // scan cut its windows with, also where the objects are wider (whole sequences after a
    // search with learning negatives); a frame no object could hold (only in a damaged file)
    // falls back to the objects' width, so no window is wider than the classes.
    if (storage && (!searchSettings.shiftPositions() || searchSettings.frameWidth < 1 ||
                    searchSettings.frameWidth > storage->width))
        searchSettings.frameWidth = storage->width;

    controlNegativeClassified.store(storage != nullptr && storage->controlNegativeObjectCount > 0);
    controlPositiveClassified.store(storage != nullptr && storage->controlPositiveObjectCount > 0);
    // As the control negative load decides it: in fixed positions, sequences longer than the
    // objects are scanned window by window.
    bool longer = false;
    if (storage && !searchSettings.shiftPositions()) {
        for (int32_t i = 0; i < controlNegativeCount; ++i)
            longer = longer || controlNegative[static_cast<size_t>(i)].length > storage->width;
    }
    longControl.store(longer);

    classificator_ = std::make_unique<Classificator>();
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl);
    // Classes reopened must classify as they did before saving: with the idealization type the
    // header holds (a type the file cannot have falls back to "Deleting begin").
    const int32_t type = s.idealizationType;
    const bool knownType =
        type == kDeletingBegin || type == kInsertingBegin || type == kDeletingInserting;
    classificator_->Setup(storage.get(), rules.get(), &idealObjects,
                          knownType ? type : kDeletingBegin);
    classificator_->idealObjectCount = classCount;

    // Results of earlier processes of this object do not describe the data just read.
    ruleSearchStarted.store(false);
    idealizationStarted.store(false);
    classificationStarted.store(false);
    finished.store(false);
    resetIdealObjects.store(true);
    recognitionStale.store(true);
    lastRecognitionClass_ = -1;
    sortedScores_.clear();
    windowScores.clear();

    openedFromProject.store(true);
    saved.store(true);
    modified.store(false);
    data = ProjectData{};
}

}  // namespace motifora
