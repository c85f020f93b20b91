// One batch run: inputs, the stages pressed through the window model, outputs and the summary.
#include "cli/BatchRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/ExitCode.h"
#include "cli/Interrupt.h"
#include "cli/JsonSummary.h"
#include "cli/WorkerWait.h"
#include "io/SafeFile.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kProgressEvery = std::chrono::seconds(1);

std::string formatDuration(Clock::duration d) {
    const long long total = std::chrono::duration_cast<std::chrono::seconds>(d).count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
    return text;
}

// Rows 1 ... count of column `column` that hold text.
int32_t filledRows(const Grid& grid, int32_t column, int32_t count) {
    int32_t filled = 0;
    for (int32_t r = 1; r <= count; ++r)
        if (!grid.cell(column, r).empty()) ++filled;
    return filled;
}

const char* processName(int process) {
    static const char* const names[] = {"regularity search", "idealization", "classification",
                                        "recognition",       "bootstrap",    "error counting"};
    return names[process];
}

}  // namespace

BatchRun::BatchRun(const BatchOptions& options, std::ostream& out, std::ostream& err)
    : options_(options),
      out_(out),
      err_(err),
      dialogs_(err, options.quiet, options.lang == "en"),
      form_(dialogs_) {}

BatchRun::~BatchRun() = default;

TMainManager& BatchRun::manager() { return *form_.mainManager; }

int BatchRun::fail(int code, const std::string& text) {
    err_ << "motifora-cli: " << text << "\n";
    if (code == kExitBadArguments) err_ << kUsageLine << "\n";
    err_.flush();
    return code;
}

std::string BatchRun::reasonSince(size_t mark, const std::string& fallback) const {
    const auto last = dialogs_.lastSince(mark);
    return last ? dialogs_.shown(last->text) : fallback;
}

int BatchRun::interrupted(const char* what) {
    std::string text = "interrupted";
    if (what) text += std::string(": the ") + what + " was stopped";
    return fail(kExitInterrupted, text + "; no output file was written");
}

void BatchRun::note(const std::string& text) {
    if (options_.quiet) return;
    err_ << text << "\n";
    err_.flush();
}

// ---------------------------------------------------------------- inputs and settings

int BatchRun::load(void (TMainForm::*command)(), const std::string& path, const char* what) {
    if (path.empty()) return kExitSuccess;
    const size_t mark = dialogs_.messageCount();
    dialogs_.choose(path);
    (form_.*command)();
    dialogs_.clearPaths();
    if (dialogs_.errorSince(mark))
        return fail(kExitInputRefused, std::string("the ") + what + " " + path + " was refused");
    return kExitSuccess;
}

int BatchRun::loadInputs() {
    if (int code = load(&TMainForm::mmbtnOpenProjectClick, options_.open, "project")) return code;
    // The samples are judged in the work mode they will be searched in (a fixed-positions load
    // notes records of mixed lengths); without a project the mode is the command line's.
    if (options_.open.empty() && options_.shiftMode) form_.chooseAlignment(*options_.shiftMode);
    if (int code = load(&TMainForm::mmbtnAddSequenciesClick, options_.positive,
                        "learning positive sample"))
        return code;
    if (options_.generateNegatives) return generateNegatives();
    return load(&TMainForm::mmbtnAddNegativeSequenciesClick, options_.negative,
                "learning negative sample");
}

int BatchRun::generateNegatives() {
    const BatchOptions::NegativeGeneration& g = *options_.generateNegatives;
    TMainForm::NegativesRequest request;
    request.source = g.genome ? TMainForm::NegativesRequest::Source::Genome
                              : TMainForm::NegativesRequest::Source::Shuffled;
    request.count = g.count;
    request.k = g.k;
    request.seed = g.seed;
    request.genomePath = g.genomePath;
    const size_t mark = dialogs_.messageCount();
    dialogs_.choose(g.out);
    const bool made = form_.generateNegatives(request);
    dialogs_.clearPaths();
    if (!made || dialogs_.errorSince(mark))
        return fail(kExitInputRefused,
                    reasonSince(mark, "the learning negative sample could not be made"));
    written_.emplace_back("generated negatives", g.out);
    note("learning negative sample made: " + std::to_string(manager().learnNegativeCount()) +
         " sequences, written to " + g.out);
    return kExitSuccess;
}

int BatchRun::loadControls() {
    if (int code = load(&TMainForm::mmbtnAddControlNegativeClick, options_.controlNegative,
                        "control negative sample"))
        return code;
    return load(&TMainForm::mmbtnAddControlPositiveClick, options_.controlPositive,
                "control positive sample");
}

void BatchRun::applySettings() {
    TMainForm& f = form_;
    const BatchOptions& o = options_;
    if (o.shiftMode) f.chooseAlignment(*o.shiftMode);
    if (o.width) f.FrameWidthEdit.setText(*o.width);
    if (o.confidence) f.ConfIntEdit.setText(*o.confidence);
    if (o.cp) f.CPEdit.setText(*o.cp);
    if (o.finish) f.FinishStorSizeEdit.setText(*o.finish);
    if (o.sub) f.SubBuffersSizeEdit.setText(*o.sub);
    if (o.idealizationType) f.chooseIdealizationType(*o.idealizationType);
    if (o.source) f.chooseIdealizationSource(*o.source);
    if (o.arrange) f.Rec_Arranged.setChecked(*o.arrange);
    TMainManager& m = manager();
    if (o.threads) {
        // Every pool of the run, the folds of a cross-validation included, stays within it.
        threadLimit_.emplace(*o.threads);
        m.setThreadCount(*o.threads);
    }
    if (o.seed) m.reseedBootstrap(*o.seed);
}

// ---------------------------------------------------------------- stages

bool BatchRun::decide(Stage stage, bool allowedByDefault, bool allowed, const std::string& why,
                      int& code) {
    code = kExitSuccess;
    if (interruptRequested()) {
        code = interrupted(nullptr);
        return false;
    }
    if (!options_.stages) return allowedByDefault && allowed;
    if (!options_.stageRequested(stage)) return false;
    if (!allowed) {
        code = fail(kExitProcessFailed,
                    std::string("stage ") + stageName(stage) + " cannot run: " + why);
        return false;
    }
    return true;
}

int BatchRun::stageEnded(Stage stage) {
    ran_[static_cast<size_t>(stage)] = true;
    return kExitSuccess;
}

int BatchRun::runSearch() {
    TMainManager& m = manager();
    form_.setActivePage(Page::Rules);
    // A frame wider than every sequence cuts no window, and the search's tables are sized by
    // the frame: refuse it here rather than let the search run out of memory.
    int32_t frame = 0;
    const int32_t longest = sampleWidth(m.learnPositive().data(), m.learnPositiveCount());
    if (form_.btnShiftPositionsRadio.checked() &&
        NumberFormat::readInteger(form_.FrameWidthEdit.text(), frame) && frame > longest)
        return fail(kExitBadArguments, "--width " + form_.FrameWidthEdit.text() +
                                           " is wider than the longest learning positive "
                                           "sequence (" +
                                           std::to_string(longest) +
                                           " positions): no window would fit");
    holdWhenAsked(Process::Search);
    if (const int refused = pressStart(&TMainForm::btnStartSearchRulesClick,
                                       TMainManager::Process::RuleSearch, "the regularity search"))
        return refused;
    // Set by the start in this thread before the worker began; the search only reads it.
    searchWidth_ = m.searchSettings().frameWidth;
    if (!waitFor(Process::Search)) return interrupted("regularity search");
    return stageEnded(Stage::Search);
}

int BatchRun::pressStart(void (TMainForm::*start)(), TMainManager::Process process,
                         const std::string& what) {
    const size_t mark = dialogs_.messageCount();
    (form_.*start)();
    if (manager().startTookEffect(process)) return kExitSuccess;
    return fail(kExitProcessFailed,
                what + " could not run: " + reasonSince(mark, "the window refused to start it"));
}

int BatchRun::pressUnlessRefused(void (TMainForm::*start)(), const std::string& what) {
    const size_t mark = dialogs_.messageCount();
    processStart_ = Clock::now();
    (form_.*start)();
    if (const auto refused = dialogs_.errorSince(mark))
        return fail(kExitProcessFailed, what + " could not run: " + dialogs_.shown(refused->text));
    return kExitSuccess;
}

int BatchRun::runIdealize() {
    form_.setActivePage(Page::Objects);
    if (const int refused = pressStart(&TMainForm::btnStartIdealizationClick,
                                       TMainManager::Process::Idealization, "the idealization"))
        return refused;
    if (!waitFor(Process::Idealize)) return interrupted("idealization");
    return stageEnded(Stage::Idealize);
}

int BatchRun::runClassify() {
    TMainManager& m = manager();
    form_.setActivePage(Page::Classes);
    if (const int refused = pressStart(&TMainForm::btnStartSearchClassClick,
                                       TMainManager::Process::Classification, "the classification"))
        return refused;
    if (!waitFor(Process::Classify)) return interrupted("classification");
    if (!m.controlNegativeClassified())
        return fail(kExitProcessFailed, "the classification of the control data did not end");
    return stageEnded(Stage::Classify);
}

int BatchRun::runRecognize() {
    TMainManager& m = manager();
    form_.setActivePage(Page::Classes);
    const bool scanning = m.searchSettings().shiftPositions() || m.longControl();
    if (scanning) {
        // The scan recognises the class of the top selected row of the ideal-object list.
        const int32_t c = options_.classes ? options_.classes->first : 1;
        if (c > m.classCount())
            return fail(kExitBadArguments, "--classes: there is no class " + std::to_string(c) +
                                               "; the idealization formed " +
                                               std::to_string(m.classCount()) + " classes");
        form_.IdealizObjectsList.select(c, c);
    }
    if (const int refused =
            pressUnlessRefused(&TMainForm::btnStartRecognitionClick, "the recognition"))
        return refused;
    if (scanning) {
        // The scan runs on the worker; its chart and level come with the tick that ends it.
        if (!waitFor(Process::Recognize)) return interrupted("recognition");
        applyLevel();
    } else {
        if (!waitForRecognition()) return interrupted("recognition");
        json_.captureRecognition(form_);
    }
    showProgress(Process::Recognize, true);
    return stageEnded(Stage::Recognize);
}

int BatchRun::runErrors() {
    TMainForm& f = form_;
    TMainManager& m = manager();
    f.setActivePage(Page::Classes);
    if (m.classCount() < 1)
        return fail(kExitProcessFailed, "there are no classes to count errors of");
    const int32_t first = options_.classes ? options_.classes->first : 1;
    const int32_t last = options_.classes ? options_.classes->second : m.classCount();
    if (last > m.classCount())
        return fail(kExitBadArguments, "--classes: there is no class " + std::to_string(last) +
                                           "; the idealization formed " +
                                           std::to_string(m.classCount()) + " classes");
    // The window offers only the samples that are loaded.
    if (options_.positiveSide == SampleSide::kControl && !m.controlPositiveLoaded())
        return fail(kExitBadArguments, "--positive-side control: no control positive sample");
    if (options_.negativeSide == SampleSide::kControl && !m.controlNegativeLoaded())
        return fail(kExitBadArguments, "--negative-side control: no control negative sample");
    if (options_.negativeSide == SampleSide::kLearning && !m.learnNegativeLoaded())
        return fail(kExitBadArguments, "--negative-side learning: no learning negative sample");
    f.ErrRecForm.modalLoop = [this](TErrRecForm& window) {
        if (options_.positiveSide && window.PositiveGroup.enabled())
            window.choosePositiveSide(*options_.positiveSide);
        if (options_.negativeSide && window.NegativeGroup.enabled())
            window.chooseNegativeSide(*options_.negativeSide);
        window.OKBtnClick();
    };
    f.IdealizObjectsList.select(first, last);

    if (const int refused =
            pressUnlessRefused(&TMainForm::btnCountRecErrorsClick, "the error counting"))
        return refused;
    if (!waitForRecognition()) return interrupted("error counting");
    applyLevel();
    // "Next" counts the following classes one by one; its caption turns to "Total" before the
    // last click, which shows the totals and disables it.
    for (int32_t clicks = 0; f.btnNextClassErrCount.enabled() && clicks <= last - first + 1;
         ++clicks) {
        if (interruptRequested()) return interrupted("error counting");
        const bool total = f.btnNextClassErrCount.text() == "Total";
        f.btnNextClassErrCountClick();
        if (!total) {
            if (!waitForRecognition()) return interrupted("error counting");
            applyLevel();
        }
    }
    showProgress(Process::Errors, true);
    json_.captureErrors(f);
    return stageEnded(Stage::Errors);
}

int BatchRun::runBootstrap() {
    TMainForm& f = form_;
    TMainManager& m = manager();
    f.setActivePage(Page::Classes);
    f.btnStartBootstrapClick();
    TBootStrCtrl& b = f.BootStrCtrl;
    b.PositPercent.setText(options_.bootstrapPercent);
    b.IterCount.setText(options_.bootstrapIterations);
    b.FstLevelErr.setText(options_.bootstrapError);
    const size_t mark = dialogs_.messageCount();
    holdWhenAsked(Process::Bootstrap);
    b.Bs_btnStartClick();
    if (!m.bootstrapActive() && !m.isRunning())
        return fail(kExitProcessFailed,
                    "the bootstrap could not run: " +
                        reasonSince(mark, "the bootstrap window refused its entries"));
    if (!waitFor(Process::Bootstrap)) return interrupted("bootstrap");
    return stageEnded(Stage::Bootstrap);
}

void BatchRun::applyLevel() {
    TMainForm& f = form_;
    if (options_.level && f.RecLevelEdit.enabled()) {
        f.RecLevelEdit.setText(*options_.level);
        f.ReCount2();
    } else if (options_.firstError && f.FirstLErrEd.enabled()) {
        f.FirstLErrEd.setText(*options_.firstError);
        f.FstReCount2();
    }
}

// ---------------------------------------------------------------- waiting for processes

void BatchRun::pressStop(Process process) {
    switch (process) {
        case Process::Search:
            form_.btnStopSearchRulesClick();
            break;
        case Process::Idealize:
            form_.btnStopIdealizationClick();
            break;
        case Process::Classify:
            form_.btnStopSearchClassClick();
            break;
        case Process::Bootstrap:
            form_.BootStrCtrl.Bs_btnStopClick();
            break;
        case Process::Recognize:
            // Only a scanning recognition can be stopped: with the Classes page's Stop.
            if (manager().isStarted(TMainManager::Process::Scan)) form_.btnStopSearchClassClick();
            break;
        case Process::Errors:
            break;  // an object recognition has no stop button
    }
}

void BatchRun::holdWhenAsked(Process process) {
    const char* asked = std::getenv("MOTIFORA_TEST_HOLD");
    if (asked != nullptr && std::string(asked) == processName(static_cast<int>(process)))
        manager().holdNextStart();
}

bool BatchRun::waitFor(Process process) {
    TMainManager& m = manager();
    processStart_ = lastProgress_ = Clock::now();
    bool stopped = false;
    bool returned = false;
    const auto ended = [&] {
        if (process == Process::Bootstrap)
            return !m.bootstrapActive() && !m.isRunning() && !m.isPaused();
        return m.isIdle();
    };
    // The window's tick runs at once when the worker ends, so a short process costs its work and
    // no more; while it runs, the tick comes with each look at the interrupt flag.
    while (true) {
        if (interruptRequested() && !stopped) {
            pressStop(process);
            stopped = true;
            note(std::string("motifora-cli: stopping the ") +
                 processName(static_cast<int>(process)) + " ...");
        }
        form_.SearchingTimerTimer();
        if (ended()) break;
        showProgress(process, false);
        waitForWorkerOrLook(m, returned);
    }
    m.joinWorker();
    showProgress(process, true);
    return !stopped;
}

bool BatchRun::waitForRecognition() {
    TMainManager& m = manager();
    // The worker clears the flag once it has reported its end, just before its body returns; an
    // interrupt stops it after the score it is computing.
    const bool stopped = waitWhileActive(
        m, [&m] { return m.recognitionActive(); }, [&m] { m.stopRecognition(); }, [] {});
    return !stopped && !interruptRequested();
}

void BatchRun::showProgress(Process process, bool final) {
    if (options_.quiet) return;
    const auto now = Clock::now();
    if (!final && now - lastProgress_ < kProgressEvery) return;
    lastProgress_ = now;
    TMainForm& f = form_;
    TMainManager& m = manager();
    std::string text = processName(static_cast<int>(process));
    text += final ? " ended" : "";
    text += ", " + formatDuration(now - processStart_);
    switch (process) {
        case Process::Search: {
            const int32_t target = m.searchTarget();
            const int32_t width = searchWidth_;
            if (!final && target >= 0)
                text += ": target position " + std::to_string(target + 1) +
                        (width > 0 ? " of " + std::to_string(width) : std::string());
            std::lock_guard<std::recursive_mutex> lock(f.mutex());
            text += std::string(final || target < 0 ? ": " : ", ") +
                    std::to_string(f.shownRuleCount) + " rules kept";
            break;
        }
        case Process::Idealize:
            if (final)
                text += ": " + std::to_string(m.classCount()) + " classes";
            else
                text +=
                    ": " + f.CountDownLabel.text() +
                    (f.idealizationSource() == IdealizationSource::kRules ? " rules" : " objects") +
                    " left";
            break;
        case Process::Classify: {
            const int32_t total = m.controlNegativeCount() + m.controlPositiveCount();
            const int32_t done = filledRows(f.NewSeqsList, 4, m.controlNegativeCount()) +
                                 filledRows(f.PosCtrlSeqsList, 4, m.controlPositiveCount());
            text += ": " + std::to_string(done) + " of " + std::to_string(total) +
                    " control objects classified";
            break;
        }
        case Process::Recognize:
            text += ": " + std::to_string(m.controlNegativeCount()) + " control negative sequences";
            break;
        case Process::Errors:
            text += ": recognition level " + f.RecLevelEdit.text();
            break;
        case Process::Bootstrap: {
            const int32_t rows = f.BootStrCtrl.ErrorsList.rowCount() - 1;
            const int32_t done = filledRows(f.BootStrCtrl.ErrorsList, 0, rows);
            text +=
                ": " + std::to_string(done) + " of " + std::to_string(rows) + " iterations done";
            if (!final)
                text += " (search target position " + std::to_string(m.searchTarget() + 1) + ", " +
                        f.CountDownLabel.text() + " objects left to idealize)";
            break;
        }
    }
    note(text);
}

// ---------------------------------------------------------------- outputs

namespace {

// "-" stands for standard output where an output allows it.
bool toStandardOutput(const std::string& path) { return path == "-"; }

// Why `path` cannot be written, or empty when it can as far as can be told before writing: its
// folder must exist and take new files, and the path must not be a folder. Devices and pipes
// are written as they are.
std::string whyNotWritable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return "it is a folder";
        if (!S_ISREG(info.st_mode)) return ::access(path.c_str(), W_OK) == 0 ? "" : "not writable";
    }
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    if (::stat(folder.c_str(), &info) != 0)
        return "the folder " + folder.string() + " does not exist";
    if (!S_ISDIR(info.st_mode)) return folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder.string() + " does not take new files";
    return {};
}

}  // namespace

int BatchRun::checkOutputs() {
    const struct {
        const std::string& path;
        const char* what;
        const char* extension;  // appended by the window's save; null: none
    } outputs[] = {{options_.save, "project", ".dnp"},
                   {options_.exportText, "text export", ".txt"},
                   {options_.report, "report", ".html"},
                   {options_.json, "JSON summary", nullptr},
                   {options_.scores, "score table", nullptr},
                   {options_.evaluationReport, "evaluation report", ".html"}};
    for (const auto& output : outputs) {
        if (output.path.empty()) continue;
        if (toStandardOutput(output.path)) {
            if (std::string(output.what) == "JSON summary" ||
                std::string(output.what) == "text export")
                continue;
            return fail(kExitBadArguments, std::string("the ") + output.what +
                                               " cannot be written to standard output (\"-\")");
        }
        const std::string path =
            output.extension ? WithExtension(output.path, output.extension) : output.path;
        const std::string why = whyNotWritable(path);
        if (!why.empty())
            return fail(kExitOutputFailed, std::string("the ") + output.what +
                                               " could not be written to " + path + ": " + why +
                                               "; nothing was run and nothing written");
    }
    return kExitSuccess;
}

int BatchRun::failWriting(const std::string& what, const std::string& path,
                          const std::string& reason) {
    std::string text = "the " + what + " could not be written to " + path;
    if (!reason.empty()) text += " (" + reason + ")";
    if (written_.empty()) {
        text += "; nothing was written";
    } else {
        text += "; written before the failure:";
        for (const auto& [done, donePath] : written_) text += " " + done + " " + donePath + ";";
        text.pop_back();
    }
    return fail(kExitOutputFailed, text);
}

int BatchRun::writeTextExportToStandardOutput() {
    // The window writes the export to a file; it is made in a private folder and copied out.
    std::string folder = (std::filesystem::temp_directory_path() / "motifora-cli-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        return failWriting("text export", "standard output", "no temporary folder");
    const std::string file = folder + "/export.txt";
    const size_t mark = dialogs_.messageCount();
    dialogs_.choose(file);
    form_.SaveAsText1Click();
    dialogs_.clearPaths();
    std::string bytes;
    const bool made = !dialogs_.errorSince(mark) && ReadWholeFile(file, bytes, SIZE_MAX).ok;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!made)
        return failWriting("text export", "standard output", reasonSince(mark, std::string()));
    out_ << bytes;
    out_.flush();
    if (!out_) return failWriting("text export", "standard output", "the stream was closed");
    written_.emplace_back("text export", "standard output");
    return kExitSuccess;
}

int BatchRun::writeOutputs() {
    TMainForm& f = form_;
    struct Output {
        const std::string& path;
        void (TMainForm::*command)();
        const char* what;
        const char* extension;
    };
    const Output outputs[] = {
        {options_.save, &TMainForm::mmbtnSaveProjectAsClick, "project", ".dnp"},
        {options_.exportText, &TMainForm::SaveAsText1Click, "text export", ".txt"},
        // The tool bar's save button: the HTML save, enabled whatever was counted.
        {options_.report, &TMainForm::btnSaveProjectClick, "report", ".html"},
    };
    for (const Output& output : outputs) {
        if (output.path.empty()) continue;
        if (toStandardOutput(output.path) && output.command == &TMainForm::SaveAsText1Click) {
            if (int code = writeTextExportToStandardOutput()) return code;
            continue;
        }
        const size_t mark = dialogs_.messageCount();
        dialogs_.choose(output.path);
        (f.*output.command)();
        dialogs_.clearPaths();
        const std::string written = WithExtension(output.path, output.extension);
        if (dialogs_.errorSince(mark)) return failWriting(output.what, written, std::string());
        written_.emplace_back(output.what, written);
    }
    if (int code = writeHeldOutOutputs(nullptr)) return code;
    if (!options_.json.empty()) {
        nlohmann::ordered_json summary = json_.build(f, options_, ran_);
        writeHeldOutOutputs(&summary);
        // Names of the samples are bytes as the files held them; bytes that are not UTF-8
        // become U+FFFD rather than ending the run after the project was written.
        const std::string text =
            summary.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
        if (toStandardOutput(options_.json)) {
            out_ << text;
            out_.flush();
            if (!out_)
                return failWriting("JSON summary", "standard output", "the stream was closed");
            written_.emplace_back("JSON summary", "standard output");
        } else {
            const Status status = WriteFileAtomically(options_.json, text);
            if (!status.ok) return failWriting("JSON summary", options_.json, status.message);
            written_.emplace_back("JSON summary", options_.json);
        }
    }
    return kExitSuccess;
}

void BatchRun::printSummary() {
    TMainManager& m = manager();
    TMainForm& f = form_;
    // When an output went to standard output the summary goes to the error stream, so that
    // what a pipe receives is that output alone.
    std::ostream& summary = toStandardOutput(options_.json) || toStandardOutput(options_.exportText)
                                ? err_
                                : this->out_;
    summary << "Sequences read: learning positive " << m.learnPositiveCount()
            << ", learning negative " << m.learnNegativeCount() << ", control negative "
            << m.controlNegativeCount() << ", control positive " << m.controlPositiveCount()
            << "\n";
    summary << "Rules found: " << (m.rules() ? m.rules()->Count() : 0) << "\n";
    summary << "Classes: " << m.classCount() << "\n";
    if (ran(Stage::Classify)) {
        int32_t inClass = 0;
        for (int32_t r = 1; r <= m.controlNegativeCount(); ++r) {
            const std::string cell = f.NewSeqsList.cell(4, r);
            if (!cell.empty() && cell != "New") ++inClass;
        }
        summary << "Control negative objects in a class: " << inClass << " of "
                << m.controlNegativeCount() << "\n";
    }
    if (ran(Stage::Errors)) {
        summary << "Recognition level: " << f.RecLevelEdit.text() << "\n";
        summary << "First level error: " << f.FirstLErrEd.text() << " (" << f.FstErrInW.text()
                << ")\n";
        summary << "Second level error: " << f.SecondLErr.text() << " (" << f.SecErrInW.text()
                << ")\n";
    } else if (ran(Stage::Recognize) && (m.searchSettings().shiftPositions() || m.longControl())) {
        summary << "Scan level: " << f.RecLevelEdit.text() << " over " << m.windowScores().size()
                << " windows\n";
    }
    if (ran(Stage::Bootstrap)) {
        const TBootStrCtrl& b = f.BootStrCtrl;
        summary << "Bootstrap average errors: first level " << b.Label4.text() << ", second level "
                << b.Label5.text() << "\n";
    }
    printHeldOutSummary(summary);
    for (const auto& [what, path] : written_) {
        std::string label = what;
        label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
        summary << label << " written to " << path << "\n";
    }
    summary.flush();
}

// ---------------------------------------------------------------- the run

int BatchRun::run() {
    // An output that cannot be written is found before hours of work, not after.
    if (int code = checkOutputs()) return code;
    if (int code = loadInputs()) return code;
    applySettings();
    TMainManager& m = manager();
    int code = kExitSuccess;

    const bool opened = !options_.open.empty();
    if (decide(Stage::Search, !opened || !m.rules(),
               form_.btnStartSearchRules.enabled() && m.learnPositiveLoaded(),
               "there is no learning positive sample", code)) {
        if ((code = runSearch())) return code;
    }
    if (code) return code;

    const bool searched = ran(Stage::Search);
    const bool noRules = !m.rules() || m.rules()->Count() == 0;
    const bool idealizeWanted = options_.stages ? options_.stageRequested(Stage::Idealize)
                                                : searched || (!noRules && m.classCount() == 0);
    if (idealizeWanted && noRules)
        return fail(kExitProcessFailed,
                    searched ? "the regularity search found no regularities, so no classes can "
                               "be formed (a larger --confidence or a smaller --cp finds more)"
                             : "there are no regularities to idealize (stage search first)");
    if (decide(Stage::Idealize, idealizeWanted, form_.btnStartIdealization.enabled(),
               "the idealization buttons are disabled", code)) {
        if ((code = runIdealize())) return code;
    }
    if (code) return code;

    if ((code = loadControls())) return code;
    if (interruptRequested()) return interrupted(nullptr);

    const bool control = m.controlNegativeLoaded();
    const bool fixed = !m.searchSettings().shiftPositions();
    if (decide(Stage::Classify, control, form_.btnStartSearchClass.enabled(),
               m.longControl() ? "the control sequences are longer than the learning objects; "
                                 "they are recognised by scanning (stage recognize)"
                               : "it needs classes and a control negative sample",
               code)) {
        if ((code = runClassify())) return code;
    }
    if (code) return code;
    if (decide(Stage::Recognize, control, form_.btnStartRecognition.enabled(),
               "it needs classes and a control negative sample", code)) {
        if ((code = runRecognize())) return code;
    }
    if (code) return code;
    if (decide(Stage::Errors, control && fixed, fixed && form_.btnCountRecErrors.enabled(),
               fixed ? "the control data must be classified first (stage classify)"
                     : "it is not available in shift-positions mode",
               code)) {
        if ((code = runErrors())) return code;
    }
    if (code) return code;
    if (decide(Stage::Bootstrap, control && fixed && m.learnNegativeCount() > 0,
               fixed && form_.btnStartBootstrap.enabled(),
               fixed ? "it needs learning positive, learning negative and control negative "
                       "samples"
                     : "it is not available in shift-positions mode",
               code)) {
        if ((code = runBootstrap())) return code;
    }
    if (code) return code;
    if ((code = runCrossValidation())) return code;
    if (interruptRequested()) return interrupted(nullptr);

    if ((code = writeOutputs())) return code;
    printSummary();
    return kExitSuccess;
}

}  // namespace motifora
