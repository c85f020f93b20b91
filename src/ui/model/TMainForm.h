// The main window as data: every control, the command handlers and the window operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "classify/IdealizationType.h"
#include "core/NumberFormat.h"
#include "core/ProgressEvents.h"
#include "core/Status.h"
#include "core/Translatable.h"
#include "evaluation/ScanPlaces.h"
#include "rules/SearchSettings.h"
#include "ui/model/BootStrCtrl.h"
#include "ui/model/ContrastViews.h"
#include "ui/model/Controls.h"
#include "ui/model/CrossValForm.h"
#include "ui/model/Dialogs.h"
#include "ui/model/ErrRecForm.h"
#include "ui/model/RecentProjects.h"
#include "ui/model/SequenceLogo.h"
#include "workspace/EvaluationReportSource.h"

namespace motifora {

class RulesStorage;
class TMainManager;

// The name the results of project `projectName` are proposed under: its ".dnp" replaced by
// `extension` ("promoters.dnp" gives "promoters.html"), or `extension` appended when it has none.
std::string resultsFileName(const std::string& projectName, const std::string& extension);

// The window model. It owns the one workspace (`mainManager`) and the program's NumberFormat,
// and reaches every modal dialog through `Dialogs`. Command handlers run in the window's thread;
// the events the workspace reports (onEvent) may also come from the worker thread. All control
// state is guarded by one recursive mutex (`mutex()`); a front end takes it while it repaints.
// No handler holds the mutex while it waits for a worker or shows a dialog, so a worker that
// reports to the window can always make progress.
//
// The handlers are spread over several source files by subject (MainFormLoading.cpp,
// MainFormRules.cpp, MainFormClasses.cpp, MainFormTimer.cpp, MainFormDisplay.cpp,
// MainFormProject.cpp, MainFormProjectFiles.cpp, MainFormRecognition.cpp, MainFormErrors.cpp,
// MainFormBootstrap.cpp, MainFormContrast.cpp).
// What the process commands lock and unlock (LockCommands, UnlockCommands).
enum class CommandLock : int32_t {
    // Lock: every process command. Unlock: every process command.
    All = 0,
    // The class search's start, pause and stop are set apart. Lock: all but those (the class
    // search runs). Unlock: all but those and the recognition, error counting and bootstrap.
    ClassSearchApart = 3,
};

class TMainForm : public ProgressSink {
  public:
    // Returns the current date-time in days (any fixed origin); the elapsed-time labels use it.
    using Clock = std::function<double()>;
    // The application's title, set at start-up; the window itself opens maximised.
    static constexpr const char* kApplicationTitle = "Motiforas";

    explicit TMainForm(Dialogs& dialogs, Clock clock = {});
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    std::recursive_mutex& mutex() { return mutex_; }
    TMainManager& manager() { return *mainManager; }
    NumberFormat& numbers() { return numberFormat; }
    // The decimal separator the user chose for the window (',' or '.'): every number written
    // from now on uses it, and the number entries that hold a number written with the other
    // separator (the defaults "0,05" and "0,8" among them) are written again with it, so that
    // nothing has to switch the separator behind the user's back.
    void useDecimalSeparator(char separator);
    Dialogs& dialogs() { return dialogs_; }

    // ---- the window's own state ----
    std::recursive_mutex mutex_;  // declared first: every control below refers to it
    std::unique_ptr<TMainManager> mainManager;
    NumberFormat numberFormat;
    int32_t projectCounter = 1;
    std::string projectName = "Project1.dnp";
    double runStartTime = 0.0;   // days
    double runTimeBefore = 0.0;  // days
    // The idealization's own clock: its time label counts only its own run.
    double idealizationStartTime = 0.0;   // days
    double idealizationTimeBefore = 0.0;  // days
    int32_t shownRuleCount = 0;
    int32_t preBufferStepCount = 0;
    int32_t postBufferStepCount = 0;

    // ---- controls ----
    Label Caption{mutex_, "Motifora"};
    // The active page; see setActivePage.
    Page activePage() const;

    // Rules page
    Edit ConfIntEdit{mutex_, "0,05"};
    Edit CPEdit{mutex_, "0,8"};
    Edit FinishStorSizeEdit{mutex_, "500"};
    UpDown FinishUpDown{mutex_, 0, 10000, 500};
    Edit SubBuffersSizeEdit{mutex_, "50"};
    UpDown SubBufUpDown{mutex_, 0, 10000, 50};
    ProgressBar FinishProgress{mutex_, 0, 100};
    ProgressBar PreBufProgress{mutex_, 0, 100};
    ProgressBar PostBufProgress{mutex_, 0, 100};
    RadioButton btnFixedPositionsRadio{mutex_, "Fixed positions", true};
    RadioButton btnShiftPositionsRadio{mutex_, "Shift positions", false};
    Edit FrameWidthEdit{mutex_, "10", false};
    UpDown FrameWidthUpDown{mutex_, 0, 100, 10};
    Button btnStartSearchRules{mutex_, MOTIFORA_TR("Пуск"), false};
    Button btnStopSearchRules{mutex_, MOTIFORA_TR("Стоп"), false};
    Button btnPauseSearchRules{mutex_, MOTIFORA_TR("Пауза"), false};
    Label TimerLabel{mutex_, ""};
    // What the page's regularities predict (MainFormContrast.cpp): "letters", the search of
    // RulesList, or "samples", the discriminative search of ContrastRulesList.
    RadioGroup RegularitiesGroup{mutex_, "Regularities", {"letters", "samples"}, 0};
    Button btnContrastMap{mutex_, "Heat Map...", false};

    // Objects page
    Label lblTime{mutex_, ""};
    Label CountDownLabel{mutex_, ""};
    RadioButton btnDeletingBeginRadio{mutex_, "Deleting begin", true};
    RadioButton btnInsertingBeginRadio{mutex_, "Inserting begin", false};
    RadioButton btnDeletingInsirtingRadio{mutex_, "Deleting/Inserting", false};
    RadioGroup ObjsSourceGroup{
        mutex_, "idealized objects generated by", {"original objects", "regularities"}, 0};
    Button btnStartIdealization{mutex_, MOTIFORA_TR("Пуск"), false};
    Button btnStopIdealization{mutex_, MOTIFORA_TR("Стоп"), false};
    Button btnPauseIdealization{mutex_, MOTIFORA_TR("Пауза"), false};

    // Classes page
    Button btnStartSearchClass{mutex_, "Start", false};
    Button btnPauseSearchClass{mutex_, "Pause", false};
    Button btnStopSearchClass{mutex_, "Stop", false};
    Button btnStartBootstrap{mutex_, "Bootstrap", false};
    Button btnStartRecognition{mutex_, "Recognition Control Data", false};
    // The score a scanning recognition charts and lists (MainFormRecognition.cpp): the chosen
    // class's, or the discriminative rules' found on the Rules page.
    RadioGroup ScanScoreGroup{mutex_, "Scan score", {"Class score", "Discriminative score"}, 0};
    CheckBox Rec_Arranged{mutex_, "Arrange in order", false};
    Button btnCountRecErrors{mutex_, "Recognition Errors Count", false};
    Edit RecLevelEdit{mutex_, "0", false};
    Edit FirstLErrEd{mutex_, "0", false};
    Label FstErrInW{mutex_, ""};
    Label SecondLErr{mutex_, ""};
    Label SecErrInW{mutex_, ""};
    // Beside the second-level error: how many control negatives were classified "New", have no
    // score and so are counted under no class (empty when none).
    Label UncountedNegatives{mutex_, ""};
    Button btnNextClassErrCount{mutex_, "Next", false};
    // Progress of a scanning recognition on the worker, in percent of its windows; its Stop is
    // the page's btnStopSearchClass.
    ProgressBar ScanProgress{mutex_, 0, 100};

    // Data area. The sequence area (`SequencesPanel`) holds the learning grids; the Classes area
    // (`ClassesPanel`) the control grids, the class-object grid and the chart.
    Control SequencesPanel{mutex_};
    Label PositiveLabel{mutex_, MOTIFORA_TR("Positive Sequencies")};
    Grid SequencesList{mutex_, 5, 2};
    Control NegSplitter{mutex_};
    Label NegativeLabel{mutex_, MOTIFORA_TR("Negative Sequencies")};
    Grid NegSequencesList{mutex_, 5, 2};
    Label LowerGridLabel{mutex_, "Rules"};
    Grid RulesList{mutex_, 5, 2};
    // In place of RulesList while "samples" is chosen: the discriminative rules.
    Grid ContrastRulesList{mutex_, 6, 2};
    // The heat map window of the discriminative rules (hidden at start).
    ContrastMapView ContrastMap{mutex_};
    Grid IdealizObjectsList{mutex_, 3, 2};
    Control ClassesPanel{mutex_};
    Label PosCtrlLabel{mutex_, MOTIFORA_TR("Positve Control Sequencies")};
    Grid PosCtrlSeqsList{mutex_, 7, 2};
    Control PosCtrlSplitter{mutex_};
    Label NewSeqsLabel{mutex_, MOTIFORA_TR("Negative Control Sequencies")};
    Grid NewSeqsList{mutex_, 5, 2};
    Label ClassListLabel{mutex_, "Class Objects"};
    Grid ClassList{mutex_, 3, 2};
    Chart Chart1{mutex_};
    // The hits of the last scanning recognition (MainFormScanHits.cpp): runs of windows above
    // the level with their record, first and last letter, best score and its window, and their
    // chart positions. Shown from the end of a scan; "Recogn. Level" refills it.
    Grid ScanHitsList{mutex_, 6, 1};
    // The sequence logos of the learning sample and of each class with kLogoMembers members or
    // more, and a note naming the classes left out. Filled by ShowLogos.
    struct Logos {
        std::vector<SequenceLogo> logos;
        std::string note;
    };
    ValueControl<Logos> SequenceLogos{mutex_};
    // Fills SequenceLogos from the workspace's learning objects and their classes and shows it.
    // Returns the number of logos (0 without a sample, or while a worker runs).
    int32_t ShowLogos();
    // The letters of the hit last chosen on the chart or in ScanHitsList, with its place.
    Label ScanHitLetters{mutex_, ""};
    // Chooses the hit of ScanHitsList row `row` (1-based): the row selected, its letters shown.
    // False (nothing changed) for a row with no hit.
    bool ShowScanHit(int32_t row);
    // A click on the scan chart at position x: the hit whose windows lie nearest, no farther
    // than `reach` positions, is chosen as by ShowScanHit. Returns its row, or -1 for none.
    int32_t ScanChartClicked(double x, double reach);
    // True while the positive list is docked at the top of its panel (the negative list shown
    // below it); false while it fills the panel.
    bool positiveListAtTop() const;

    // Pop-up menu of the ideal-object grid: opens automatically only while enabled.
    MenuItem IdealObjPopupMenu{mutex_, "", false, false};
    MenuItem D1{mutex_, "Delete"};
    MenuItem ShowObjects1{mutex_, "Show Objects"};
    MenuItem ShowRegularities1{mutex_, "Show Regularities"};
    MenuItem WeightMatrix1{mutex_, "Prediction Matrix"};
    MenuItem RecognitionMatrix1{mutex_, "Recognition Matrix"};

    // Tool bar
    Button btnNewProject{mutex_, ""};
    Button btnOpenProject{mutex_, ""};
    Button btnSaveProject{mutex_, ""};
    Button SaveRecErrBtn{mutex_, "", false};
    Button btnHideShowChart{mutex_, "", false};

    StatusBar StatusBar1{mutex_};

    // Menus
    MenuItem File1{mutex_, "File"};
    MenuItem Source1{mutex_, "Source"};
    MenuItem Control1{mutex_, "Control", false, false};
    MenuItem View1{mutex_, "View"};
    MenuItem Help1{mutex_, "Help"};
    MenuItem mmbtnNewProject{mutex_, "New Project"};
    MenuItem mmbtnOpenProject{mutex_, "Open Project..."};
    MenuItem mmbtnSaveProject{mutex_, "Save Project"};
    MenuItem mmbtnSaveProjectAs{mutex_, "Save Project As..."};
    MenuItem SaveAsText1{mutex_, "Save As Text"};
    MenuItem mmbtnExit{mutex_, "Exit"};
    MenuItem mmbtnAddSequencies{mutex_, MOTIFORA_TR("Add Positive Sequencies")};
    MenuItem mmbtnAddNegativeSequencies{mutex_, MOTIFORA_TR("Add Negative Sequencies")};
    MenuItem mmbtnAddControlPositive{mutex_, "Add Control Positive"};
    MenuItem mmbtnAddControlNegative{mutex_, "Add Control Negative"};
    MenuItem mmbtnNegativeSequecies{mutex_, MOTIFORA_TR("Negative Sequencies")};
    MenuItem mmbtnVisiblePositiveControl{mutex_, MOTIFORA_TR("Positive Control Sequencies")};
    MenuItem MotiforaHelp1{mutex_, "Motifora Help"};
    MenuItem About1{mutex_, "About..."};
    // File menu: the projects opened or saved lately, newest first (MainFormRecent.cpp).
    RecentProjects recentProjects{mutex_};
    // Held-out evaluation (MainFormHeldOut.cpp).
    MenuItem mmbtnCrossValidation{mutex_, "Cross-validation..."};
    MenuItem mmbtnSaveEvaluationReport{mutex_, "Save Evaluation Report..."};

    // True once the window has been closed (Exit); the workspace is gone then.
    bool closed() const;

    // ---- page switching and views ----
    // Makes `page` the active page and arranges the data area for it.
    void setActivePage(Page page);
    void ModePageControlChange();
    void mmbtnNegativeSequeciesClick();
    void mmbtnVisiblePositiveControlClick();
    void btnHideShowChartClick();
    void MotiforaHelp1Click();
    void About1Click();
    // File -> Exit and the window's own close. With unsaved work it asks the save question New
    // and Open ask: Cancel, or a save asked for and not made, keeps the window open (false).
    // Otherwise it stops any worker (before the save, which a live process would refuse), waits
    // for it, destroys the workspace and returns true; true at once when already closed.
    bool requestClose();
    void mmbtnExitClick() { requestClose(); }

    // ---- sample loads ----
    void mmbtnAddSequenciesClick();
    void mmbtnAddNegativeSequenciesClick();
    // "Generate negatives..." (Rules page, MainFormBackground.cpp): a learning negative sample
    // made from the learning positives when there is none, written to a ".seq" file (the
    // request's, or the one the save dialog "GenerateNegDlg" names) and then loaded from it as
    // "Add negatives" loads a sample (the same question before rules are lost, the same
    // messages); a message box says what was made and where. False, with a message box saying
    // why, when nothing was generated.
    struct NegativesRequest {
        // Shuffles of the positives keeping every K-mer count, or windows of a FASTA genome
        // (.fa, .fa.gz) of the positives' width matched to their GC content (10 bins).
        enum class Source { Shuffled, Genome } source = Source::Shuffled;
        int32_t count = 0;
        int32_t k = 2;
        uint64_t seed = 1;
        std::string genomePath;
        std::string outputPath;  // empty: asked for through the save dialog
    };
    bool generateNegatives(const NegativesRequest& request);
    void mmbtnAddControlNegativeClick();
    void mmbtnAddControlPositiveClick();

    // ---- rule search ----
    void btnStartSearchRulesClick();
    void btnStopSearchRulesClick();
    void btnPauseSearchRulesClick();
    void btnFixedPositionsRadioClick();
    void btnShiftPositionsRadioClick();
    // Selects one of the two alignment radio buttons (as a click would) and runs its handler.
    void chooseAlignment(bool shiftPositions);
    // The start command's message for a search setting that failed its check.
    void showSearchProblem(const SearchProblem& problem);

    // ---- discriminative regularities (MainFormContrast.cpp) ----
    // Chooses item 0 "letters" or 1 "samples" of RegularitiesGroup and shows that mode's grid;
    // refused (with a message) while a process is live.
    void RegularitiesGroupClick(int32_t index);
    bool samplesChosen() const { return RegularitiesGroup.itemIndex() == 1; }
    // Shows the heat map window.
    void btnContrastMapClick();
    // Refills ContrastRulesList, the heat map and btnContrastMap from the workspace's
    // discriminative rules.
    void refillContrastRules();

    // ---- idealization ----
    void btnStartIdealizationClick();
    void btnStopIdealizationClick();
    void btnPauseIdealizationClick();
    // Checks the radio button of `type` and clears the other two.
    void chooseIdealizationType(IdealizationType type);
    // The type whose radio button is checked (the first of them in the page's order); nothing
    // when none is.
    std::optional<IdealizationType> checkedIdealizationType() const;
    // What ObjsSourceGroup chooses to start the ideal objects from (its items in the order of
    // IdealizationSource); the original objects when no item is chosen.
    IdealizationSource idealizationSource() const;
    void chooseIdealizationSource(IdealizationSource source);

    // ---- classification ----
    void btnStartSearchClassClick();
    void btnPauseSearchClassClick();
    void btnStopSearchClassClick();

    // ---- pop-up menu of the ideal-object grid ----
    void WeightMatrix1Click();
    void RecognitionMatrix1Click();
    void ShowRegularities1Click();
    void ShowObjects1Click();
    void ShowClass();  // double click on the ideal-object grid
    void D1Click();

    // ---- the 100 ms timer ----
    void SearchingTimerTimer();
    // `listener` (may be empty) is called on the worker's thread each time a worker body has
    // returned, its end flags set: a front end then asks for a tick on its own thread, so that
    // an end is taken, and the next step can be pressed, at once rather than at the next timer
    // tick. It stays with the window when its workspace is replaced (New, Open). It must be
    // quick and take no lock of the model; once this returns, the one it replaced is neither
    // running nor called again.
    void setWorkerEndListener(std::function<void()> listener);

    // ---- project commands (completed with the project file) ----
    void mmbtnNewProjectClick();
    void mmbtnOpenProjectClick();
    void btnNewProjectClick() { mmbtnNewProjectClick(); }
    void btnOpenProjectClick() { mmbtnOpenProjectClick(); }
    void mmbtnSaveProjectClick();
    void mmbtnSaveProjectAsClick();
    // The two saves; each returns true when the project was written (false when the dialog was
    // cancelled or the write failed, after its message).
    bool saveProject();
    bool saveProjectAs();
    void SaveAsText1Click();
    // The tool bar's save button and SaveRecErrBtn: the HTML save of the results.
    void btnSaveProjectClick();
    // A project of the recent list: asks the save question as Open does, then opens `path`;
    // a path that can no longer be read is shown as Open shows it and leaves the list.
    void openRecentProject(const std::string& path);
    // The rules grid's row `row` was selected: the free status panel shows that rule's Fisher
    // value in full (the grid keeps the six decimals of "%f").
    void RulesListSelect(int32_t row);
    // The Fisher value of the rule in rules-grid row `row` written in full (shortest form that
    // reads back to the same double), or "" when no such rule is at hand: no rule list, a row
    // outside it, or a worker still changing it.
    std::string fisherDetail(int32_t row) const;
    // The held-out reading of control row `row` of sample `kind` (SampleKind::ControlNegative or
    // SampleKind::ControlPositive), for the grid's tooltip: its class, its best class and score
    // and, once a cross-validation is shown, the decision at that run's level ("accept" above it)
    // and whether the decision is an error. "" when the sample is not classified, the row is
    // outside it, or a worker runs. The scores are kept until the grid changes.
    std::string controlDecisionDetail(SampleKind kind, int32_t row);
    // The best "class:score" cell of NewSeqsList row `row` (its columns 5 and on), "" when the
    // row has no readable class score: the window's "Best class" column.
    std::string bestClassOf(int32_t row) const;
    void SaveRecErrBtnClick();
    // The file steps of these commands (MainFormProjectFiles.cpp). Each returns success, or a
    // failure saying why; a failure leaves the file system and the workspace as they were.
    // readProjectFile reads the whole file first and only then replaces the workspace by what
    // it read, setting the settings controls and grids from it.
    Status readProjectFile(const std::string& path);
    // Reads `path` as Open does after its chooser: on success the caption and the recent list
    // show it; on failure the error box says why. Returns whether the project was opened.
    bool openProject(const std::string& path);
    // The end of Open and Save As: on success `path` becomes the project's file (the caption
    // and the recent list show it); on failure the error box shows `words`, the file and why.
    // Returns whether `done` succeeded.
    bool adoptProjectFile(const std::string& path, const Status& done, const char* words);
    Status writeProjectFile(const std::string& path);
    Status writeTextExport(const std::string& path);
    Status writeResultsReport(const std::string& path);

    // ---- evaluation commands (completed with recognition, error counting and bootstrap) ----
    void btnStartRecognitionClick();
    void btnCountRecErrorsClick();
    void btnNextClassErrCountClick();
    void btnStartBootstrapClick();
    void ReCount2();     // Enter in RecLevelEdit
    void FstReCount2();  // Enter in FirstLErrEd
    // The error counting of the class in the workspace's `recognitionClass` (MainFormErrors.cpp):
    // histograms and proposed level for n scored positives, the two counts at a level, and the
    // level for a wanted first-level error.
    void CountErrors(int32_t n);
    void CountFirstLevelErrors(double level);
    void CountSecondLevelErrors(double level);
    // Fills UncountedNegatives for the negative sample the error count uses.
    void showUncountedNegatives();
    void LevelFromFirstError(double e);
    // The two further windows of the evaluation, sharing this window's mutex.
    TErrRecForm ErrRecForm{mutex_};
    TBootStrCtrl BootStrCtrl{*this, mutex_};
    TCrossValForm CrossValForm{*this, mutex_};
    // The files the samples of this workspace were loaded from (for the evaluation report).
    SamplePaths samplePaths;
    // Control → "Cross-validation...": shows the cross-validation window.
    void mmbtnCrossValidationClick();
    // File → "Save Evaluation Report...": asks for a file and writes the report.
    void mmbtnSaveEvaluationReportClick();

    // ---- what the workspace reports (ProgressSink) ----
    // Shows `event` in the window: grid cells, progress bars, labels, the charts and the command
    // states (MainFormDisplay.cpp; the recognition's in MainFormRecognition.cpp, the
    // bootstrap's in MainFormBootstrap.cpp). May run in the worker thread.
    void onEvent(const ProgressEvent& event) override;

    // ---- window operations ----
    void LockCommands(CommandLock mode);
    void UnlockCommands(CommandLock mode);
    // Refills every grid of the workspace's data.
    void RefreshViews();
    // Rows of the class list for the class views (ClassViews.h): a matrix cell, a regularity
    // with its status (1 "true", 2 "false"), an object of the class.
    void ShowMatrixValue(double value, int32_t column, int32_t row);
    void ShowRuleRow(int32_t n, const std::string& fisherText, const std::string& cpText,
                     const std::string& ruleText, int32_t status);
    void ShowClassObject(const std::string& objectText, int32_t rowIndex, int32_t objectIndex);
    // Draws the chart from the first `count` window scores of the workspace.
    void ShowPositionScores(int32_t count);
    // The record and position of chart position x of the last scanning recognition
    // ("seq2, position 14"); "" when x is no window of it.
    std::string scanPlaceText(double x) const;
    // Refills ScanHitsList from the chart's scores at `level`.
    void fillScanHits(double level);

    // ---- steps shared by several commands ----
    // Destroys the workspace (stopping and waiting for its worker) and makes a new one; resets
    // the run time, the display counters and the progress bars, locks the commands and refills
    // the views.
    void newWorkspace();
    // Empties every display of results that belong to the workspace's data (part of
    // newWorkspace): score columns, the class-objects grid, the chart, the error labels and
    // edits, the time labels and countdown, and the status texts of processes.
    void clearResultDisplays();
    // Sets the caption from the project name.
    void updateCaption();
    // Refills of the grids, each from the workspace.
    void refillLearnPositive();
    void refillLearnNegative();
    void refillControlNegative();
    void refillControlPositive();
    void refillRules();
    void refillIdealObjects();
    // The elapsed run time as the time labels show it ("h:mm:ss").
    static std::string formatElapsed(double days);
    // Shows a message box with one OK button; `headline`, when given, is shown in plain sight
    // beside the text (what was done to the data, or why a file was refused).
    DialogAnswer message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons = MessageButtons::Ok,
                         const std::string& headline = {});
    // True while a worker may be using the workspace's classificator: a process runs or is
    // paused, a recognition or bootstrap is live, or a process has ended without its end being
    // reported yet.
    bool workerBusy() const;
    // Saves as "Save Project" does, for the data-loss questions; returns whether the project was
    // written (a cancelled dialog or a failed write stops the command that asked).
    bool saveBeforeLoss();
    // The question before a new learning negative sample throws rules away; false: do not load.
    bool mayReplaceLearnNegative();
    // Loads the learning negative sample from `path` and shows it (or says why not).
    void loadLearnNegativeFrom(const std::string& path);
    double now() const { return clock_(); }

    // The commands a long process (a scan, a discriminative search) locks while it runs and
    // gives back as they were when it ends.
    std::vector<Control*> processLockedControls();

  private:
    // One handler per event of onEvent.
    void show(const BufferEntry& event);
    void show(const BufferRewound& event);
    void show(const ObjectIdealizing& event);
    void show(const ClassMade& event);
    void show(const ClassListed& event);
    void show(const LearningObjectClassed& event);
    void show(const RuleClassed& event);
    void show(const SetObjectClassed& event);
    void show(const ItemsLeft& event);
    void show(const ClassScored& event);
    void show(const ObjectScored& event);
    void show(const ScanScored& event);
    void show(const RecognitionFinished& event);
    void show(const BootstrapRoundBegun& event);
    void show(const BootstrapClassesMade& event);
    void show(const BootstrapRoundEnded& event);
    void show(const BootstrapAveraged& event);
    void show(const BootstrapEnded& event);
    // Writes row `index` (0-based) of the ideal-object grid.
    void showIdealObject(const std::string& text, double value, int32_t index);
    // The control scores the tooltips read, with the grid change count they were taken at.
    struct CachedControlScores {
        uint64_t gridChanges = ~uint64_t{0};
        std::vector<SequenceScore> scores;
    };
    CachedControlScores controlScoreCache_[2];  // control negative, control positive
    // Writes a sequence grid from a sample; false (after the error box) when a record has no
    // text or name.
    bool fillSequenceGrid(Grid& grid, SampleKind kind, int32_t count,
                          const std::vector<int32_t>& classes, const std::string& errorText,
                          const std::string& errorCaption);
    // The class numbers of one object set of the storage (empty when there is none).
    std::vector<int32_t> objectClasses(SampleKind kind) const;
    // Shows the learning negative list below the positive one, or hides it.
    void showNegativeList(bool show);
    void showPositiveControlList(bool show);
    // Selected class of the pop-up commands: the top selected row of the ideal-object grid minus
    // one; -1 when the commands must not run (a worker uses the classes, or no such class).
    int32_t selectedClass();
    // Pauses the working process through `pause` and shows `status` on the status bar; false
    // (nothing done) when no process works.
    bool pauseWorking(int (TMainManager::*pause)(), const char* status);
    // Empties the class list for `columns` columns and `items` rows of data; the selected
    // class, or -1.
    int32_t clearClassList(int32_t columns, int32_t items);
    void showMatrixView(int32_t kind);
    // Makes the Classes page, where the class-object grid is, the active page.
    void showClassListPage();
    // A scanning recognition on the worker: the commands locked (their enabled states kept)
    // and its Stop enabled at the start; each tick its progress; at its end the states given
    // back and, when it completed, the chart drawn.
    void beginScanDisplay();
    void tickScanDisplay();
    std::vector<bool> scanLockedStates_;
    std::function<void()> workerEndListener_;  // given to every workspace of the window
    // The discriminative search of the Rules page's buttons in "samples"; the tick takes its end
    // (the commands' enabled states, kept at the start, given back).
    void startContrastSearch();
    void pauseContrastSearch();
    void stopContrastSearch();
    void tickContrastSearch();
    // A new workspace: the search of the old one is gone, and the commands only it locked
    // are free again.
    void forgetContrastSearch();
    // Shows RulesList or ContrastRulesList on the Rules page as the mode says.
    void showRulesGridOfMode();
    bool contrastRunning_ = false;
    std::vector<bool> contrastLockedStates_;
    // The windows of the charted scan; empty when the chart shows no scan.
    ScanPlaces scanPlaces_;
    // The runs listed in ScanHitsList, in its row order.
    std::vector<ScanRun> scanRuns_;
    // Record boundaries and names of the charted scan for the chart.
    void markScanRecords();

    Dialogs& dialogs_;
    Clock clock_;
    Page page_ = Page::Rules;
    bool positiveAtTop_ = false;
    bool closed_ = false;
    // Set when closing the window stops a live process: its end is then reported as a stop
    // with what was kept, never as a success.
    bool stoppedByClose_ = false;
};

}  // namespace motifora
