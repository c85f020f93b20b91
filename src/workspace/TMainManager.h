// The workspace object: the samples, objects, rules and classes of one piece of work, and the
// worker processes (rule search, idealization, classification) that compute them.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "classify/IdealizationType.h"
#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "core/SampleCodes.h"
#include "core/Sequence.h"
#include "core/Status.h"
#include "evaluation/CrossValidation.h"
#include "evaluation/RandomSequence.h"
#include "genome/SampleFile.h"
#include "io/ProjectFile.h"
#include "rules/ContrastSearch.h"
#include "workspace/SampleSide.h"
#include "workspace/WorkerThread.h"

namespace motifora {

enum class ScoreKind : int32_t;
struct ContrastTuning;
struct ContrastChoice;

class Classificator;
class CIdelObject;
class ProgressSink;
class RegGenerator;
class RulesStorage;

// What each start operation of the workspace answers. NoThread: no worker thread could be made,
// or another process is live.
enum class RuleSearchStart { Started, NotStarted };  // NotStarted: no thread, or bad settings
enum class IdealizationStart {
    Started,
    NoObjects,  // no storage or no learning objects
    NoRules,    // no rule store or no rules
    NoThread,
};
enum class ClassificationStart {
    Started,
    NoClasses,  // no classificator, or classes of another object table
    NoControl,  // no control negative sample
    NoThread,
};
// The recognition of the control data: the scoring one and the scanning one (on the worker or
// in the caller's thread, where Started means done).
enum class RecognitionStart {
    Started,
    Shown,  // scan: the last scan's scores still hold and were shown again (no worker)
    NoClasses,
    NoControl,
    NoThread,
};
enum class BootstrapStart {
    Started,
    NoSamples,  // a learning negative or control negative sample is missing
    ShiftMode,  // shift positions: the iteration's search would have no objects
    NoThread,
};
enum class CrossValidationStart { Started, Refused, NoThread };  // Refused: crossValidationError
enum class ContrastStart { Started, Refused, NoThread };         // Refused: contrastError

// What an opened project hands to the window beside the data the workspace takes over: the
// header (the settings controls are set from it) and the recognition table of the control
// negative grid.
struct OpenedProject {
    ProjectSettings settings;
    bool recognitionPresent = false;
    RecognitionTable recognition;  // control negative sequences by classes
};

// Threads: every operation is called from the window's thread; only the bodies run on the
// worker. The process state and the flags are atomics so that the window's timer may read them
// at any time. Pause is cooperative: the worker stops at its next gate (between generator steps,
// idealization items and classified objects, and inside the engines' long loops), never while
// holding a lock. The process state changes only through the operations below, which keep the
// pause gate (`runControl`) in step with it.
//
// A workspace must never be destroyed under a running worker: the destructor stops the worker,
// opens the gate and waits for it (`shutdownWorker`), so replacing the manager is always safe.
class TMainManager {
  public:
    TMainManager();
    virtual ~TMainManager();
    TMainManager(const TMainManager&) = delete;
    TMainManager& operator=(const TMainManager&) = delete;

    // ---- the work: samples, objects, rules, classes and the state of the processes ----
    // The classes' engine of the last idealization (or opened project); null before either.
    Classificator* classificator() const { return classificator_.get(); }
    // One ideal object per class; owned. Holds room for the learning objects when classes
    // start afresh and grows beyond that when a run appends more classes.
    const std::vector<std::unique_ptr<CIdelObject>>& idealObjects() const { return idealObjects_; }
    int32_t classCount() const { return classCount_; }
    // The four samples as loaded, with their counts (0 for a sample not loaded).
    const std::vector<Sequence>& learnPositive() const { return learnPositive_; }
    const std::vector<Sequence>& learnNegative() const { return learnNegative_; }
    const std::vector<Sequence>& controlNegative() const { return controlNegative_; }
    const std::vector<Sequence>& controlPositive() const { return controlPositive_; }
    int32_t learnPositiveCount() const { return learnPositiveCount_; }
    int32_t learnNegativeCount() const { return learnNegativeCount_; }
    int32_t controlNegativeCount() const { return controlNegativeCount_; }
    int32_t controlPositiveCount() const { return controlPositiveCount_; }
    bool learnPositiveLoaded() const { return learnPositiveLoaded_.load(); }
    bool learnNegativeLoaded() const { return learnNegativeLoaded_.load(); }
    bool controlNegativeLoaded() const { return controlNegativeLoaded_.load(); }
    bool controlPositiveLoaded() const { return controlPositiveLoaded_.load(); }
    // Control negative records longer than the objects (fixed positions): they are scanned
    // window by window.
    bool longControl() const { return longControl_.load(); }
    // The control objects carry the classes of the last classification.
    bool controlNegativeClassified() const { return controlNegativeClassified_.load(); }
    bool controlPositiveClassified() const { return controlPositiveClassified_.load(); }
    // The class the recognition scores (the last scan's, or the error report's choice).
    int32_t recognitionClass() const { return recognitionClass_; }
    // The scores of the last completed scan, one per window of the control negative sample.
    const std::vector<double>& windowScores() const { return windowScores_; }
    // A control negative load came after the last scan: its scores must be computed again.
    bool recognitionStale() const { return recognitionStale_.load(); }
    // The class the last scan scored (-1 before one); what the last idealization started from.
    int32_t lastRecognitionClass() const { return lastRecognitionClass_; }
    IdealizationSource idealizationSource() const { return idealizationSource_; }
    // The rule store and the object table of the last regularity search (or opened project);
    // null before either.
    const RulesStorage* rules() const { return rules_.get(); }
    const SEQStorage* storage() const { return storage_.get(); }
    // The settings of the last regularity search (or of the opened project), all zero before
    // either. Once objects are cut, `frameWidth` is their width (in fixed positions the
    // sequences' width), not the frame-width edit's value.
    const SearchSettings& searchSettings() const { return searchSettings_; }
    // The next idealization starts its classes afresh (set by each rule search's end); clear,
    // it appends to the classes there are.
    bool resetIdealObjects() const { return resetIdealObjects_.load(); }

    // ---- saved and modified marks ----
    // The work came from a project file; it has been saved (or opened) and not changed since;
    // it has been changed since it was begun.
    bool openedFromProject() const { return openedFromProject_.load(); }
    bool saved() const { return saved_.load(); }
    bool modified() const { return modified_.load(); }
    // The work changed: it is modified and no longer saved (as a process body marks it).
    void markModified() {
        modified_.store(true);
        saved_.store(false);
    }
    // The work is as the last save left it: saved and not modified.
    void markSaved() {
        saved_.store(true);
        modified_.store(false);
    }

    // The run flag and pause gate handed to the engines; kept in step with the process state.
    const RunControl& runControl() const { return runControl_; }
    // The target position (0-based) the running rule search (or bootstrap iteration's search)
    // works on, for progress reports from another thread; -1 before the first (each start of a
    // search sets it back).
    int32_t searchTarget() const { return searchTarget_.load(); }

    // The regularity searches' engine (never null): its settings and counters. The thread
    // count (0 = every core) is set for it, the bootstrap's engine and the folds of a
    // cross-validation together.
    const RegGenerator& generator() const { return *generator_; }
    void setThreadCount(int32_t threads);

    // ---- what the workspace is doing (any thread) ----
    // The process the worker runs, or ran last while its end has not been taken.
    enum class Process : int32_t {
        None,
        RuleSearch,
        Idealization,
        Classification,
        Scan,
        Bootstrap,
        CrossValidation,
        ContrastSearch,
        Recognition,
    };
    // Where that process stands. Idle goes with Process::None.
    enum class Phase : int32_t {
        Idle,
        Running,  // started, neither stopped nor ended
        Paused,   // held at the pause gate; still counts as running
        Stopped,  // a stop came (or the worker returned without its end step)
        Ended,    // the end step ran (or the worker was cut short); the end is not taken yet
    };
    // Aligned to its size, so that every compiler keeps its atomic lock-free and inline (clang
    // would otherwise call the atomic library for a 4-byte-aligned pair).
    struct alignas(8) ProcessState {
        Process process = Process::None;
        Phase phase = Phase::Idle;
        bool operator==(const ProcessState&) const = default;
    };
    // The one state of the workspace's processes, read in one piece.
    ProcessState processState() const { return state_.load(); }
    // Of the processes whose end the window's timer reports (rule search, idealization,
    // classification, scan), the one started and not taken; None for any other.
    Process activeProcess() const;
    // True when `process` has been started and its end has not been taken yet.
    bool isStarted(Process process) const;
    // A worker process has been started and has neither been stopped nor ended; it may be
    // paused. A recognition, which has no run flag, does not count.
    bool isRunning() const;
    bool isPaused() const { return state_.load().phase == Phase::Paused; }
    // Running and not held at the pause gate.
    bool isWorking() const;
    // A worker ran its end step (or was cut short) and the window has not taken the end yet.
    bool hasEnded() const { return state_.load().phase == Phase::Ended; }
    // A start of `process` took effect: something runs, has ended, or `process` is started.
    bool startTookEffect(Process process) const {
        return isRunning() || hasEnded() || isStarted(process);
    }
    // Nothing started, running, paused or left to take: the window may begin another process.
    bool isIdle() const;
    // The window took the end of `process` (None: whatever process it was), or of a stopped
    // one: the state goes back to idle. A running or paused process is left alone.
    void takeEnd(Process process);

    // ---- the sink the engines and processes report to (owned by the window; may be null) ----
    void setProgressSink(ProgressSink* sink) { sink_ = sink; }
    ProgressSink* progressSink() const { return sink_; }

    // ---- sample loads (window thread, never while a worker runs) ----
    // Each returns success, or a failure naming the file, the record or line, and what is wrong
    // (Status::file and Status::line or Status::record say where); on failure nothing changes
    // (the sample, its count and flag, the objects). A load is refused while a worker process
    // is live (running, paused, or a bootstrap run); a worker
    // that is only finishing (stopped, or a recognition) is waited for first.
    // The learning negative load refuses records that would not fit the objects of the
    // learning positive sample: longer than its width, or with a letter it never uses.
    // The control loads need the object storage (a rule search has run) for their checks.
    Status loadLearnPositive(const std::string& fileName);
    // The two halves of loadLearnPositive for a window that replaces the workspace only once
    // the file has been read and checked: the read (no workspace touched; a failure says why;
    // `warnings`, when given, receives the reader's warnings, each naming the file) and the
    // take-over of what it read. The reader is chosen by the file's content (readSampleFile);
    // `read`, when given, receives its format and how many records it cut (warnings named so).
    static Status readLearnPositiveFile(const std::string& fileName, std::vector<Sequence>& records,
                                        std::vector<std::string>* warnings = nullptr,
                                        SampleRead* read = nullptr);
    void takeLearnPositive(std::vector<Sequence>&& records);
    Status loadLearnNegative(const std::string& fileName);
    // The checks and take-over of loadLearnNegative for records read elsewhere (a front end
    // that holds the letters itself); `fileName` names their source in a failure.
    Status takeLearnNegative(const std::string& fileName, std::vector<Sequence>&& records);
    Status loadControlNegative(const std::string& fileName);
    Status loadControlPositive(const std::string& fileName);
    // What the reader of the last load noticed without refusing the file (names or letters
    // cut at 1023 characters, text before the first record), each naming the file.
    const std::vector<std::string>& lastLoadWarnings() const { return loadRead_.warnings; }
    // The last load's read: its format, and how many records the ".seq" reader cut at 1023
    // letters and how long the longest was.
    const SampleRead& lastLoadRead() const { return loadRead_; }

    // Takes the rule list out of the workspace (a learning negative load makes it stale; the
    // rule grid empties with it). The classificator may still read it, so it is kept aside
    // until nothing refers to it. Window thread, no worker live.
    void discardRules();

    // Why the last worker body was cut short (it ran out of memory, say), or empty; taking it
    // empties it. Such a body ends as a stopped one does: its process Ended, the end left to
    // take.
    std::string takeWorkerError();

    // Record `index` of sample `kind` (0..3) (or its text, or its name), or null when either is
    // out of range. The pointer stays valid until that sample is loaded again.
    const Sequence* sequence(SampleKind kind, int32_t index) const;
    const char* sequenceText(SampleKind kind, int32_t index) const;
    const char* sequenceName(SampleKind kind, int32_t index) const;
    // True when the work is not saved and was opened from a project or modified; when it
    // answers false it marks the work modified.
    bool unsavedWork();

    // ---- rule search ----
    // Stores the settings, builds a new storage and rule store and starts the worker. Not
    // started: no thread (the process state is then idle again) or settings that fail
    // checkSearchSettings (nothing is built then).
    RuleSearchStart startRuleSearch(const SearchSettings& settings);
    int pauseRuleSearch() { return pauseProcess(); }
    int resumeRuleSearch() { return resumeProcess(); }
    int stopRuleSearch() { return stopProcess(); }
    // End step of the rule search (run by the worker): replaces the storage when a learning
    // negative sample is loaded, sets `resetIdealObjects`, and the rule search has Ended.
    void ruleSearchEnd();

    // ---- idealization ----
    // Ideal objects of `type` from `source`. Without a thread the process state is idle again.
    // A worker left paused by an earlier start is stopped and waited for first, so it never
    // uses a classificator this start replaces.
    IdealizationStart startIdealization(IdealizationType type, IdealizationSource source);
    int pauseIdealization() { return pauseProcess(); }
    int stopIdealization() { return stopProcess(); }
    // End step (run by the worker): clears `resetIdealObjects`; the idealization has Ended.
    void idealizationEnd();

    // ---- classification of the control data ----
    ClassificationStart startClassification();
    int pauseClassification() { return pauseProcess(); }
    int resumeClassification() { return resumeProcess(); }
    int stopClassification() { return stopProcess(); }
    // End step, run by the worker only when not stopped.
    void classificationEnd();

    // Deletes class k (the ideal-object grid's pop-up menu): objects of class k lose their
    // class, later classes move down by one, in every object set; the work is then modified
    // and unsaved. Returns 1 when there are no classes (nothing is done), else -1. `k` must name
    // an existing class and no worker may use the classificator.
    int deleteClass(int32_t k);

    // Reports every class (ClassListed). Returns 1, or -1 when there is no object
    // table (no storage or no ideal-object array).
    int ShowIdealObjects();

    // ---- worker life ----
    // True while a worker thread has been started and not yet waited for.
    bool workerActive() const { return workerThread_.joinable(); }
    // Waits for the current worker to return (it must be on its way to an end: not paused).
    void joinWorker();
    // Waits until the worker's body has returned or `deadline` has come; true when no body runs
    // (then every flag its end sets is set; the thread may still have to be joined). True at
    // once when no worker was started. Any thread but the worker.
    bool waitForWorker(std::chrono::steady_clock::time_point deadline) const {
        return workerThread_.waitUntilReturned(deadline);
    }
    // `listener` (may be empty) is called on the worker's thread each time a body has returned,
    // its end flags set, so that a front end takes the end at once rather than at its next
    // tick. It must be quick and take no lock the caller of this may hold; once this returns,
    // the listener it replaced is neither running nor called again.
    void setWorkerEndListener(std::function<void()> listener) {
        workerThread_.setReturnListener(std::move(listener));
    }
    // Test hook: the next start of a pausable process (rule search, idealization,
    // classification, scanning recognition, bootstrap, cross-validation) holds its worker at its
    // first pause gate, before any unit of work, with the flags of a running process, until
    // releaseHeldStart or a stop. A test can then pause, save or stop a live process without racing
    // its end.
    void holdNextStart() { holdNextStart_.store(true); }
    void releaseHeldStart() { runControl_.release(); }
    // Stops a paused idealization and waits for it, keeping whether the next one starts its
    // classes afresh (its end step would clear that): a new run goes on from the classes the
    // paused one found.
    void stopPausedIdealization();
    // The settings the bootstrap's iterations search with; the next rule search replaces them.
    // The objects' width (`frameWidth`) stays that of the object table.
    void setIterationSearchSettings(const SearchSettings& settings);
    // Stops whatever worker runs, opens the pause gate and waits for it. Flags are left as the
    // worker's end step leaves them. Safe to call when nothing runs.
    void shutdownWorker();

    // ---- recognition of the control data (TMainManagerRecognition.cpp) ----
    // The sides of a one-class recognition, as chosen in "Error Recognition Properties".
    SampleSide recognitionPositiveSource() const { return recognitionPositiveSource_; }
    SampleSide recognitionNegativeSource() const { return recognitionNegativeSource_; }
    // Chooses the sides of the next one-class recognition (and of the error report).
    void setRecognitionSources(SampleSide positiveSource, SampleSide negativeSource) {
        recognitionPositiveSource_ = positiveSource;
        recognitionNegativeSource_ = negativeSource;
    }
    // Set from a recognition's start until its worker has reported its end: the workspace's
    // classificator is in use meanwhile (its scratch state must not be touched by the views).
    bool recognitionActive() const;
    // Asks a running recognition to end after the score it is computing; it then reports its
    // end with no positive objects scored (no error counting follows). Cleared by each start.
    void stopRecognition() { recognitionStopRequested_.store(true); }
    // Class c, or -1 for all classes. NoClasses also for classes of another object table;
    // NoThread also while another process runs or is paused, or a bootstrap run or a
    // recognition is in progress. Sets no run flag.
    RecognitionStart StartRecognition(int32_t c);
    // Worker body: scores, then FinishRecognition.
    void RecognitionWorker();
    // Reports the end (RecognitionFinished) with the number of positive objects scored.
    void FinishRecognition(int32_t n);
    // Scanning recognition of class c in the caller's thread. Refused as StartRecognition is
    // (NoThread while a worker process is live); Started when done (also when nothing had to be
    // recomputed).
    RecognitionStart ScanRecognition(int32_t c);
    // True while a worker process is live: running (also while paused), a bootstrap run or a
    // recognition in progress.
    bool workerLive() const;

    // ---- scanning recognition on the worker (TMainManagerScan.cpp) ----
    // The scan of ScanRecognition run as a process: the same windows and scores, with the run
    // flag set while it runs, a stop that takes effect within a few hundred windows, and
    // progress in `scanDone` of `scanTotal` windows. Its end is taken by the window's timer
    // through takeScanResult.
    bool scanStarted() const { return isStarted(Process::Scan); }
    int64_t scanDone() const { return scanDone_.load(); }
    int64_t scanTotal() const { return scanTotal_.load(); }
    // Class c. Shown when the last scan's scores still hold and were shown again (no worker);
    // refused as ScanRecognition is.
    RecognitionStart StartScanRecognition(int32_t c);
    int stopScanRecognition() { return stopProcess(); }
    // Window thread, once the scan no longer runs: waits for the scan's worker and leaves the
    // workspace idle. A completed scan replaces `windowScores` (and
    // `lastRecognitionClass`, clearing `recognitionStale`) and gives true; a stopped or failed
    // one leaves the earlier scores as they were and gives false.
    bool takeScanResult();

    // ---- bootstrap (TMainManagerBootstrap.cpp) ----
    // The draws of every iteration of a workspace come from one sequence; this starts it
    // again from `seed`.
    void reseedBootstrap(uint32_t seed) { bootstrapRandom_.reseed(seed); }
    // Set from the start of a run (k = 0) until its worker has ended.
    bool bootstrapActive() const;
    // The run's state for the window and the tests: the iteration's draw (the kept learning
    // positives and the held-out ones, with their counts), its objects, rules and classes.
    // Empty between runs.
    const SEQStorage* bootstrapStorage() const { return bootstrapStorage_.get(); }
    const RulesStorage* bootstrapRules() const { return bootstrapRules_.get(); }
    const Classificator* bootstrapClassificator() const { return bootstrapClassificator_.get(); }
    const std::vector<Sequence>& bootstrapLearnPositive() const { return bootstrapLearnPositive_; }
    const std::vector<Sequence>& bootstrapHeldOut() const { return bootstrapHeldOut_; }
    int32_t bootstrapLearnCount() const { return bootstrapLearnCount_; }
    int32_t bootstrapHeldOutCount() const { return bootstrapHeldOutCount_; }
    int32_t bootstrapClassCount() const { return bootstrapClassCount_; }
    // The iteration of the run (or the last one), and the run's percent.
    int32_t iteration() const { return iteration_; }
    int32_t samplePercent() const { return samplePercent_; }
    // Percent p, iterations t, iteration k, wanted first-level error e. NoSamples and ShiftMode
    // only for k = 0; NoThread also while another process is live. k > 0 is called by the run
    // itself and prepares the next iteration on the running worker.
    BootstrapStart StartBootstrap(int32_t p, int32_t t, int32_t k, double e);
    // Search, idealization and classification of one iteration; false when stopped.
    bool BootstrapWorker();
    // Scores the objects of class `recognitionClass`; false when stopped.
    bool BootstrapClassWorker();
    // Moves to the next class (true: score it) or ends the iteration (false).
    bool BootstrapClassStep();
    void FinishBootstrapIteration();
    void AbortBootstrap();
    int PauseBootstrap() { return pauseProcess(); }
    int ResumeBootstrap() { return resumeProcess(); }
    int StopBootstrap();
    // A number 0 ... n - 1 from the bootstrap's random sequence; 0 when n is 0.
    int32_t RandomIndex(int32_t n);

    // ---- held-out evaluation (TMainManagerCrossValidation.cpp) ----
    // The search settings of the last regularity search (the window's defaults before one), the
    // idealization type and source of the workspace, and the thread count (setThreadCount) for
    // both the folds and their searches.
    CrossValidationSettings crossValidationDefaults() const;
    // The settings of the last regularity search, or the window's defaults before one.
    SearchSettings lastSearchSettings() const;
    // Starts the cross-validation of the learning samples on the worker (running set, pause and
    // stop as for the other processes). Refused when the samples or settings do not allow it
    // (crossValidationError says why); NoThread also while another process is live.
    CrossValidationStart startCrossValidation(const CrossValidationSettings& settings);
    // The same for the score `score`: the discriminative score is tuned inside each fold when
    // `tuning` is given (copied), as `motifora-cli --contrast --contrast-tune` tunes it.
    CrossValidationStart startCrossValidation(const CrossValidationSettings& settings,
                                              ScoreKind score, const ContrastTuning* tuning);
    // The score of the last cross-validation started.
    ScoreKind crossValidationScore() const { return crossValidationScore_; }
    // What each fold of the last complete tuned cross-validation chose; null otherwise.
    std::shared_ptr<const std::vector<ContrastChoice>> crossValidationChoices() const;
    int pauseCrossValidation() { return pauseProcess(Process::CrossValidation); }
    int resumeCrossValidation() { return resumeProcess(); }
    int stopCrossValidation() { return stopProcess(Process::CrossValidation); }
    const std::string& crossValidationError() const { return crossValidationError_; }
    // Set from the start until the worker has stored its result.
    bool crossValidationActive() const { return isActive(Process::CrossValidation); }
    const CrossValidationProgress& crossValidationProgress() const {
        return crossValidationProgress_;
    }
    // The last run's result (incomplete when stopped); null before the first end.
    std::shared_ptr<const CrossValidationResult> crossValidationResult() const;
    // Scores of the classified control negative (kind 2) or control positive (kind 3) objects
    // against every class, normalised by the learning negatives. Empty while a worker is live,
    // without classes, or when that sample is not classified.
    std::vector<SequenceScore> controlSequenceScores(SampleKind kind);

    // Sets `scoring` up on the workspace's objects, rules and classes with the idealization
    // `type`, for scoring sequences elsewhere (the genome scan): its class count is the
    // workspace's. The workspace must stay unchanged while `scoring` is used.
    void setUpScoring(Classificator& scoring, IdealizationType type);

    // ---- discriminative regularities (TMainManagerContrast.cpp) ----
    // What the regularities of the Rules page predict: a letter at a position (the search
    // above) or the sample of a sequence (positive or negative).
    enum class RegularityTarget : int32_t { Letters, Samples };
    RegularityTarget regularityTarget() const { return regularityTarget_.load(); }
    void setRegularityTarget(RegularityTarget target) { regularityTarget_.store(target); }
    // Starts the discriminative search of the learning positives against the learning
    // negatives on the worker (running set; pause, resume and stop as for the other processes).
    // The rules of an earlier search go at once; the new ones arrive when the worker ends, a
    // stopped run keeping those found so far. Refused when a learning sample is missing
    // (contrastError says why); NoThread also while another process is live.
    ContrastStart startContrastSearch(const ContrastSettings& settings);
    int pauseContrastSearch() { return pauseProcess(Process::ContrastSearch); }
    int resumeContrastSearch() { return resumeProcess(); }
    int stopContrastSearch() { return stopProcess(Process::ContrastSearch); }
    const std::string& contrastError() const { return contrastError_; }
    // Set from the start until the worker has stored its rules.
    bool contrastSearchActive() const { return isActive(Process::ContrastSearch); }
    // The discriminative rules of the workspace: found by the last search or read with the
    // project; null when there are none. Any thread.
    std::shared_ptr<const ContrastRules> contrastRules() const;
    void setContrastRules(std::shared_ptr<const ContrastRules> found);
    // Why the discriminative rules `found` do not belong to the learning samples (their
    // counts, width or letters differ), or "" when they do.
    std::string contrastMismatch(const ContrastRules& found) const;
    // The side file of the project `projectFile`: written when the workspace has discriminative
    // rules. When it has none, a side file of the workspace's samples is removed (it would
    // describe rules the work no longer has); one that cannot be read or was found on other
    // samples is renamed "SIDE.unused" (or "SIDE.unused-N") and kept: the result is then a
    // success whose message says so. A failure names the file and the reason.
    Status writeContrastSideFile(const std::string& projectFile) const;
    // Reads the side file of `projectFile` into the workspace when there is one. Succeeds when
    // it was read or is absent; otherwise the rules stay empty and the failure names the file,
    // the line and what is wrong (or why the rules do not fit the project's samples).
    Status readContrastSideFile(const std::string& projectFile);

    // ---- project file (TMainManagerProject.cpp) ----
    // Writes the workspace to `fileName` with the header `settings` and, when not null, the
    // recognition table the control negative grid shows. On success marks the work saved and
    // not modified; fails, saying why, when the data cannot be written or a process is live
    // (running, paused, a bootstrap run or a recognition). A failure changes neither the
    // workspace nor an earlier file of that name.
    Status saveProject(const std::string& fileName, const ProjectSettings& settings,
                       const RecognitionTable* recognition);
    // Reads the project file `fileName` and takes everything read over (takeOverProject), then
    // its discriminative rules' side file when there is one (readContrastSideFile; a side file
    // that cannot be used leaves the project opened and `lastContrastFileMessage()` says why:
    // a warning, not a failure of the open). A failure names the file, the section and what is
    // wrong, and leaves the workspace exactly as it was.
    Status openProject(const std::string& fileName, OpenedProject& opened);
    // Replaces the workspace's data by `data` (a whole project as ReadProject gives it): the
    // samples and their loaded flags, the object table with the rule store and the ideal
    // objects, the settings of the header, the classified flags, a new classificator of the
    // header's idealization with the class count; opened from a project and saved, not
    // modified, the process state idle. Any worker is stopped and waited for first. `data` is
    // left empty.
    void takeOverProject(ProjectData&& data, OpenedProject& opened);
    // The borrowed view of the workspace that the project writer takes.
    ProjectSource projectSource(const ProjectSettings& settings,
                                const RecognitionTable* recognition) const;
    // True when the ideal-object array exists: an idealization has started, or an opened
    // project held the section (maybe with no class).
    bool idealObjectsPresent() const { return !idealObjects_.empty(); }
    const std::string& lastContrastFileMessage() const { return contrastFileMessage_; }

  private:
    // Tests stage states that no sequence of operations reaches cheaply (tests/support).
    friend struct TMainManagerTestAccess;

    // The bootstrap run on the worker: iterations and their classes until the last or a stop;
    // an exception still ends the run (and is passed on to the worker's wrapper).
    void bootstrapRun();
    void bootstrapIterations();
    // The recognition's work, run by RecognitionWorker.
    void recognitionBody();
    // The scanning recognition's work on the worker, and the scoring both scans share: the
    // windows of the control negative sample scored against class c into `out`; with `gated`
    // the pause gate is passed every few windows and a stop leaves `out` incomplete (false).
    void scanBody();
    bool scoreScanWindows(int32_t c, std::vector<double>& out, bool gated);
    // The checks both scans of class c begin with: the refusal when the scan cannot run, or
    // Shown when the last scan's scores still hold (they are shown again); empty when the
    // windows must be scored.
    std::optional<RecognitionStart> scanRefusal(int32_t c);
    // Classes usable for scoring the present objects: a classificator with classes, set up on
    // the present storage (classes of an earlier object table have another width and other
    // rules).
    bool hasUsableClasses() const;
    // Releases the iteration's objects.
    void releaseBootstrapIteration();
    void crossValidationBody();
    void contrastSearchBody();

  private:
    // A copy of the loaded learning samples that a process works on, so that the window may
    // load others meanwhile.
    struct LearningCopy {
        std::vector<Sequence> positives, negatives;
        void clear() {
            positives.clear();
            negatives.clear();
        }
    };
    // The loaded learning samples as far as their counts go (none of a sample not loaded).
    LearningCopy learningSamples() const;
    // Ends a process body however it returns: its copy of the samples goes and the workspace is
    // idle again (the window reads the result, not an end mark).
    struct ProcessExit {
        LearningCopy& input;
        TMainManager& workspace;
        ~ProcessExit() {
            input.clear();
            workspace.state_.store({});
        }
    };

    // `process` is started and its worker has not returned (running, paused or stopping).
    bool isActive(Process process) const;
    // Moves the phase of the present process to `to` when it is one of `from` (and, unless
    // `only` is None, the process is `only`); false, changing nothing, otherwise. Any thread.
    bool movePhase(std::initializer_list<Phase> from, Phase to, Process only = Process::None);
    // The end step of a worker: the present process has ended (the end is left to take).
    void markEnded();

    // Starts `body` on the worker thread; false when no thread could be made.
    bool startWorker(void (TMainManager::*body)());
    // The process `process` runs: the state says so, the gate is open and the engines' run flag
    // set.
    void beginRunning(Process process);
    // After beginRunning of a start: holds the gate when holdNextStart asked for it.
    void applyHold();
    // The common stop: a running or paused process is stopped; the engines' run flag is cleared
    // and the gate opened, so a paused worker sees it.
    void stopCurrent();
    // Pause, resume and stop of the processes; each gives 0. With `only`, the pause and the stop
    // act only while that process runs.
    int pauseProcess(Process only = Process::None);
    int resumeProcess();
    int stopProcess(Process only = Process::None);
    // Starts `body` as the process `process`: the pause gate open, the state running (held when
    // holdNextStart asked for it). False, the state idle again, when no thread could be made.
    bool launch(void (TMainManager::*body)(), Process process);
    // Waits for a worker left from an earlier start (stopping it first if it still runs).
    // Returns true when it had to stop a live (running or paused) worker.
    bool settleWorker();
    // For the loads: a failure while a worker process is live; otherwise waits for a finishing
    // worker and succeeds.
    Status settleForLoad(const std::string& fileName);
    // The first step of every load: settleForLoad, then the sample file (".seq" or FASTA) read
    // into `records`, what the reader noticed kept for lastLoadRead().
    Status readSample(const std::string& fileName, std::vector<Sequence>& records);
    // Alphabet and length checks of a control sample against the storage. `longer` tells
    // whether a record is longer than the objects (fixed mode).
    Status checkControlSample(const std::string& fileName, const std::vector<Sequence>& records,
                              bool positive, bool& longer);
    // Moves `storage`/`rules` aside instead of freeing it: the classificator of earlier classes
    // and a window still showing it may refer to it. Worker-safe (the window thread frees).
    void retireStorage();
    void retireRules();
    // Frees the retired objects the classificator does not refer to (window thread only).
    void purgeRetired();

    void ruleSearchBody();
    void idealizationBody();
    void classificationBody();

    std::vector<std::unique_ptr<CIdelObject>> idealObjects_;
    int32_t classCount_ = 0;
    std::vector<Sequence> learnPositive_;
    std::vector<Sequence> learnNegative_;
    std::vector<Sequence> controlNegative_;
    std::vector<Sequence> controlPositive_;
    int32_t learnPositiveCount_ = 0;
    int32_t learnNegativeCount_ = 0;
    int32_t controlNegativeCount_ = 0;
    int32_t controlPositiveCount_ = 0;
    int32_t recognitionClass_ = 0;
    std::vector<double> windowScores_;
    std::unique_ptr<RulesStorage> rules_;
    std::unique_ptr<SEQStorage> storage_;
    SearchSettings searchSettings_;
    SampleSide recognitionPositiveSource_ = SampleSide::kLearning;
    SampleSide recognitionNegativeSource_ = SampleSide::kLearning;

    // The process and its phase, changed as one value (compare-and-swap where a worker's end
    // and the window's pause or stop may meet).
    std::atomic<ProcessState> state_{ProcessState{}};
    static_assert(std::atomic<ProcessState>::is_always_lock_free);
    std::atomic<bool> resetIdealObjects_{true};
    std::atomic<bool> learnPositiveLoaded_{false};
    std::atomic<bool> learnNegativeLoaded_{false};
    std::atomic<bool> controlNegativeLoaded_{false};
    std::atomic<bool> controlPositiveLoaded_{false};
    std::atomic<bool> longControl_{false};
    std::atomic<bool> controlNegativeClassified_{false};
    std::atomic<bool> controlPositiveClassified_{false};
    std::atomic<bool> openedFromProject_{false};
    std::atomic<bool> saved_{true};
    std::atomic<bool> modified_{true};
    std::atomic<bool> recognitionStale_{false};
    RunControl runControl_;

    std::unique_ptr<Classificator> classificator_;
    int32_t lastRecognitionClass_ = -1;
    IdealizationSource idealizationSource_ = IdealizationSource::kObjects;
    // Scratch of the bootstrap's level: the scores of one class's learning objects.
    std::vector<double> sortedScores_;
    // Held for the workspace's whole life (never null); owned objects rather than members by
    // value so that this header does not need the engine's full definition.
    std::unique_ptr<RegGenerator> generator_;
    std::unique_ptr<RegGenerator> bootstrapGenerator_;
    WorkerThread workerThread_;
    std::atomic<int32_t> searchTarget_{-1};
    ProgressSink* sink_ = nullptr;

    // Control object sets a one-class recognition had to rebuild (a scan releases the control
    // negative objects): bit 0 control negative, bit 1 control positive. The worker classifies
    // them before scoring.
    int32_t recognitionRebuilt_ = 0;
    std::atomic<bool> recognitionStopRequested_{false};
    std::atomic<int64_t> scanDone_{0};
    std::atomic<int64_t> scanTotal_{0};

    // Bootstrap block (filled by the bootstrap process).
    RandomSequence bootstrapRandom_;
    // A stop asked for while the run goes on; carried over the end of an iteration.
    std::atomic<bool> bootstrapStopRequested_{false};
    std::unique_ptr<RulesStorage> bootstrapRules_;
    std::unique_ptr<SEQStorage> bootstrapStorage_;
    std::vector<Sequence> bootstrapLearnPositive_;
    std::vector<Sequence> bootstrapHeldOut_;
    std::unique_ptr<Classificator> bootstrapClassificator_;
    std::vector<std::unique_ptr<CIdelObject>> bootstrapIdealObjects_;
    int32_t bootstrapClassCount_ = 0;
    int32_t bootstrapLearnCount_ = 0;
    int32_t bootstrapHeldOutCount_ = 0;
    int32_t recognizedHeldOut_ = 0;
    int32_t acceptedNegatives_ = 0;
    int32_t iteration_ = 0;
    int32_t iterationCount_ = 0;
    int32_t samplePercent_ = 0;
    double requestedFirstError_ = 0.0;

    CrossValidationProgress crossValidationProgress_;
    std::atomic<RegularityTarget> regularityTarget_{RegularityTarget::Letters};
    std::atomic<bool> holdNextStart_{false};
    int32_t scanClass_ = -1;
    bool scanComplete_ = false;
    std::vector<double> scanScores_;
    std::string crossValidationError_;
    CrossValidationSettings crossValidationSettings_;
    ScoreKind crossValidationScore_{};
    std::shared_ptr<const ContrastTuning> crossValidationTuning_;
    std::shared_ptr<const std::vector<ContrastChoice>> crossValidationChoices_;
    LearningCopy crossValidationInput_;
    mutable std::mutex crossValidationMutex_;
    std::shared_ptr<const CrossValidationResult> crossValidationResult_;
    std::string contrastError_;
    std::string contrastFileMessage_;
    ContrastSettings contrastSettings_;
    LearningCopy contrastInput_;
    mutable std::mutex contrastMutex_;
    std::shared_ptr<const ContrastRules> contrastRules_;
    SampleRead loadRead_;
    std::mutex workerErrorMutex_;
    std::string workerError_;
    std::vector<std::unique_ptr<SEQStorage>> retiredStorages_;
    std::vector<std::unique_ptr<RulesStorage>> retiredRules_;
};

}  // namespace motifora
