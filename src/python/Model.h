// What a Python session holds as a model: a workspace whose rule search and idealization ran
// (or whose project was opened), the header the window would save with it, and the steps of a
// learning run with their stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/RunControl.h"
#include "core/Status.h"
#include "io/ProjectFile.h"
#include "python/Samples.h"
#include "rules/ContrastSearch.h"
#include "workspace/TMainManager.h"

namespace motifora::python {

// The settings of learn(): the search page's fields, the idealization's type and source, the
// discriminative search and the search threads.
struct LearnOptions {
    SearchSettings search = SearchSettings::windowDefaults();
    IdealizationType idealizationType = IdealizationType::kDeletingInserting;
    IdealizationSource idealizationSource = IdealizationSource::kObjects;
    bool discriminative = false;
    int32_t threads = 1;
};

// Where a learning run is; any thread may read it.
enum class LearnStage : int32_t { Loading, Searching, Idealizing, Discriminative, Done };

class Model {
  public:
    Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    // Loads the samples into a fresh workspace as the window does (the negatives checked against
    // the positives). A failure names the file or list, the record or line and what is wrong.
    Status load(const SampleSource& positives, const SampleSource* negatives);
    // Runs the rule search, the idealization and, when asked, the discriminative search, each
    // on the workspace's worker, waiting for each to end. Returns a failure when the settings
    // are refused, no regularity or no class was found, a worker failed, or stop() was called
    // (stopped() then tells).
    Status learn(const LearnOptions& options);
    // Stops a learning run from another thread: the running process stops at its next gate and
    // no further one starts. Safe at any time, also before learn() has started a process.
    void stop();
    bool stopped() const { return stopped_.load(); }
    LearnStage stage() const { return stage_.load(); }
    // Target position of the running search and the object width (for progress).
    int32_t searchTarget() const { return workspace_->searchTarget(); }
    int32_t width() const;

    // Opens a ".dnp" project (and its discriminative side file when there is one); a failure
    // names the file and what is wrong.
    Status open(const std::string& path);
    // Writes the project as the window saves it (and the discriminative side file beside it).
    Status save(const std::string& path);

    TMainManager& workspace() { return *workspace_; }
    const TMainManager& workspace() const { return *workspace_; }
    // The header the window's controls would hold after these settings.
    const ProjectSettings& header() const { return header_; }
    // The learning samples as loaded (none of a sample not loaded).
    std::vector<Sequence> learningPositives() const;
    std::vector<Sequence> learningNegatives() const;

  private:
    // Starts a process through `start` unless stop() came first; false when it did not start.
    template <typename Start>
    bool startUnlessStopped(Start start);
    // Waits for the worker of the process just started and takes its end as the window's timer
    // does. A failure when the worker reported one.
    Status finish(TMainManager::Process process);

    std::unique_ptr<TMainManager> workspace_;
    ProjectSettings header_;
    // The recognition table of an opened project, saved back as it was read.
    RecognitionTable recognition_;
    bool hasRecognition_ = false;
    std::mutex startMutex_;  // a start and a stop never cross
    std::atomic<bool> stopped_{false};
    std::atomic<LearnStage> stage_{LearnStage::Loading};
    RunControl contrastControl_;
};

}  // namespace motifora::python
