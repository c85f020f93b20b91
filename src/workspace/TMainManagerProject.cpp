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
    source.learnPositive = firstRecords(learnPositive_, learnPositiveCount_);
    source.learnPositiveLoaded = learnPositiveLoaded_.load();
    source.learnNegative = firstRecords(learnNegative_, learnNegativeCount_);
    source.controlNegative = firstRecords(controlNegative_, controlNegativeCount_);
    source.controlPositive = firstRecords(controlPositive_, controlPositiveCount_);
    source.storage = storage_.get();
    source.rules = rules_.get();
    source.idealObjectsPresent = idealObjectsPresent();
    source.idealObjects = idealObjects_;
    source.classCount = classCount_;
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
    saved_.store(true);
    modified_.store(false);
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
    runControl_.setRunning(false);
    runControl_.open();

    opened.settings = data.settings;
    opened.recognitionPresent = data.recognitionPresent;
    opened.recognition = std::move(data.recognition);

    // The classificator refers to the storage, the rules and the classes: it goes first.
    classificator_.reset();
    idealObjects_.clear();
    rules_.reset();
    storage_.reset();
    retiredRules_.clear();
    retiredStorages_.clear();
    setContrastRules(nullptr);  // the side file, when there is one, is read after

    takeSample(learnPositive_, learnPositiveCount_, learnPositiveLoaded_,
               std::move(data.learnPositive));
    takeSample(learnNegative_, learnNegativeCount_, learnNegativeLoaded_,
               std::move(data.learnNegative));
    takeSample(controlNegative_, controlNegativeCount_, controlNegativeLoaded_,
               std::move(data.controlNegative));
    takeSample(controlPositive_, controlPositiveCount_, controlPositiveLoaded_,
               std::move(data.controlPositive));

    // Storage and rules move together: every read rule points at this storage.
    storage_ = std::move(data.storage);
    rules_ = std::move(data.rules);
    idealObjects_ = std::move(data.idealObjects);
    classCount_ = data.classCount;
    // An ideal-object section without classes still tells that the array existed; an empty
    // slot of room keeps that, so the project is written back the same way.
    if (data.idealObjectsPresent && idealObjects_.empty()) idealObjects_.resize(1);

    const ProjectSettings& s = opened.settings;
    searchSettings_ = s;
    // The header holds the frame-width edit as it stood when saved. In fixed positions the
    // search took the sequences' width instead, so the objects' width is the one the control
    // data's windows had before saving. In shift positions the header's width is the frame the
    // scan cut its windows with, also where the objects are wider (whole sequences after a
    // search with learning negatives); a frame no object could hold (only in a damaged file)
    // falls back to the objects' width, so no window is wider than the classes.
    if (storage_ && (!searchSettings_.shiftPositions() || searchSettings_.frameWidth < 1 ||
                     searchSettings_.frameWidth > storage_->width))
        searchSettings_.frameWidth = storage_->width;

    controlNegativeClassified_.store(storage_ != nullptr &&
                                     storage_->controlNegativeObjectCount > 0);
    controlPositiveClassified_.store(storage_ != nullptr &&
                                     storage_->controlPositiveObjectCount > 0);
    // As the control negative load decides it: in fixed positions, sequences longer than the
    // objects are scanned window by window.
    bool longer = false;
    if (storage_ && !searchSettings_.shiftPositions()) {
        for (int32_t i = 0; i < controlNegativeCount_; ++i)
            longer = longer || controlNegative_[static_cast<size_t>(i)].length > storage_->width;
    }
    longControl_.store(longer);

    classificator_ = std::make_unique<Classificator>();
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(&runControl_);
    // Classes reopened must classify as they did before saving: with the idealization type the
    // header holds.
    classificator_->Setup(storage_.get(), rules_.get(), &idealObjects_, s.idealizationType);
    classificator_->idealObjectCount = classCount_;

    // Results of earlier processes of this object do not describe the data just read.
    state_.store({});
    resetIdealObjects_.store(true);
    recognitionStale_.store(true);
    lastRecognitionClass_ = -1;
    sortedScores_.clear();
    windowScores_.clear();

    openedFromProject_.store(true);
    saved_.store(true);
    modified_.store(false);
    data = ProjectData{};
}

}  // namespace motifora
