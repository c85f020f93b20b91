// The file steps of the "File" commands: reading and writing projects, the text export and the
// HTML reports, between the window's controls and the workspace.
#include <algorithm>
#include <utility>

#include "io/HtmlReports.h"
#include "io/RecognitionGrid.h"
#include "io/TextExport.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// The texts of rows 0 .. rows - 1 of a grid (fewer when the grid has fewer), as the writers
// take them.
GridText snapshot(const Grid& grid, int32_t rows) {
    GridText text;
    text.columnCount = grid.colCount();
    const int32_t n = std::clamp(rows, 0, grid.rowCount());
    text.rows.reserve(static_cast<size_t>(n));
    for (int32_t r = 0; r < n; ++r) text.rows.push_back(grid.row(r));
    return text;
}

GridText snapshot(const Grid& grid) { return snapshot(grid, grid.rowCount()); }

// The reports name each record as a project keeps it: where a row of `grid` (which lists sample
// `kind`) shows its record's header as read, the name takes its place.
GridText withStoredNames(GridText grid, const TMainManager& m, SampleKind kind) {
    for (int32_t r = 1; r < grid.rowCount(); ++r) {
        const Sequence* record = m.sequence(kind, r - 1);
        std::vector<std::string>& row = grid.rows[static_cast<size_t>(r)];
        if (record && row.size() > 2 && row[2] == record->shownName()) row[2] = record->name;
    }
    return grid;
}

// `"Confidence interval" is not a number: "x"`, for a refused save.
std::string notANumber(const char* edit, const std::string& text) {
    return std::string("\"") + edit + "\" is not a number: \"" + text + "\"";
}

// The header of a project as the settings controls hold it. A real number is read as typed
// numbers are (the separator is switched when it does not convert); a failure names the edit
// that does not hold a number.
Status settingsFromControls(TMainForm& form, ProjectSettings& s) {
    const std::string confidence = form.ConfIntEdit.text();
    if (!form.numberFormat.readReal(confidence, s.confidence))
        return Status::failure(notANumber("Confidence interval", confidence));
    const std::string cp = form.CPEdit.text();
    if (!form.numberFormat.readReal(cp, s.cpThreshold))
        return Status::failure(notANumber("Min. level of CP", cp));
    const struct {
        const Edit& edit;
        const char* caption;
        int32_t& value;
    } integers[] = {
        {form.FinishStorSizeEdit, "Size of Finish Buffer", s.finishBufferSize},
        {form.SubBuffersSizeEdit, "Size of Sub Buffers", s.subBufferSize},
        {form.FrameWidthEdit, "Width of scaning frame", s.frameWidth},
    };
    for (const auto& item : integers) {
        const std::string text = item.edit.text();
        if (!NumberFormat::readInteger(text, item.value))
            return Status::failure(notANumber(item.caption, text));
    }
    s.workMode = form.btnFixedPositionsRadio.checked() ? WorkMode::kFixed : WorkMode::kShift;
    // With no idealization type checked the header says "Deleting begin", the default.
    s.idealizationType = form.checkedIdealizationType().value_or(IdealizationType::kDeletingBegin);
    s.arranged = form.Rec_Arranged.checked() ? 1 : 0;
    return Status::success();
}

}  // namespace

Status TMainForm::readProjectFile(const std::string& path) {
    // Read everything before anything is replaced: a refused file leaves the work on screen.
    ProjectData data;
    Status status = ReadProject(path, data);
    if (!status) return status;
    newWorkspace();
    OpenedProject opened;
    TMainManager& m = *mainManager;
    m.takeOverProject(std::move(data), opened);

    const ProjectSettings& s = opened.settings;
    ConfIntEdit.setText(numberFormat.general(s.confidence));
    CPEdit.setText(numberFormat.general(s.cpThreshold));
    FinishStorSizeEdit.setText(std::to_string(s.finishBufferSize));
    SubBuffersSizeEdit.setText(std::to_string(s.subBufferSize));
    FrameWidthEdit.setText(std::to_string(s.frameWidth));
    chooseAlignment(s.shiftPositions());
    chooseIdealizationType(s.idealizationType);
    Rec_Arranged.setChecked(s.arranged != 0);

    if (m.learnPositiveLoaded()) {
        refillLearnPositive();
        btnStartSearchRules.setEnabled(true);
        btnStopSearchRules.setEnabled(true);
        btnPauseSearchRules.setEnabled(true);
    }
    if (m.controlNegativeLoaded()) {
        refillControlNegative();
        // Sequences longer than the objects are scanned, never classified (as after their load).
        btnStartSearchClass.setEnabled(!m.longControl());
        btnStartRecognition.setEnabled(true);
        btnCountRecErrors.setEnabled(m.controlNegativeClassified());
        Control1.setEnabled(true);
        if (opened.recognitionPresent) {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            const int32_t rows = m.controlNegativeCount();
            const int32_t classes = m.classCount();
            NewSeqsList.setColCount(classes + 5);
            NewSeqsList.setRowCount(rows + 1);
            for (int32_t c = 0; c < classes; ++c)
                NewSeqsList.setCell(5 + c, 0, std::to_string(c + 1));
            for (int32_t r = 0; r < rows && static_cast<size_t>(r) < opened.recognition.size();
                 ++r) {
                const auto& cells = opened.recognition[static_cast<size_t>(r)];
                for (int32_t c = 0; c < classes && static_cast<size_t>(c) < cells.size(); ++c) {
                    NewSeqsList.setCell(
                        5 + c, r + 1,
                        RecognitionCellText(cells[static_cast<size_t>(c)], numberFormat));
                }
            }
        }
    }
    if (m.controlPositiveLoaded()) {
        refillControlPositive();
        if (!mmbtnVisiblePositiveControl.checked()) mmbtnVisiblePositiveControlClick();
    }
    if (m.learnNegativeLoaded()) {
        if (!mmbtnNegativeSequecies.checked()) mmbtnNegativeSequeciesClick();
        refillLearnNegative();
        btnCountRecErrors.setEnabled(true);
    }
    if (m.learnNegativeLoaded() && m.controlNegativeLoaded()) btnStartBootstrap.setEnabled(true);
    if (m.rules()) {
        refillRules();
        if (m.rules()->Count() > 0) {
            btnStartIdealization.setEnabled(true);
            btnStopIdealization.setEnabled(true);
            btnPauseIdealization.setEnabled(true);
        }
    }
    if (m.idealObjectsPresent()) {
        Control1.setEnabled(true);
        refillIdealObjects();
    }
    // The discriminative rules beside the project: one that cannot be used costs only them.
    const Status contrast = m.readContrastSideFile(path);
    refillContrastRules();
    if (!contrast)
        message("The discriminative rules saved beside the project cannot be used: " +
                    contrast.message +
                    ".\nThe project itself has been opened; it has no discriminative rules now.",
                "Message", MessageIcon::Warning);
    return status;
}

Status TMainForm::writeProjectFile(const std::string& path) {
    ProjectSettings settings;
    Status status = settingsFromControls(*this, settings);
    if (!status) return status;
    TMainManager& m = *mainManager;
    RecognitionTable recognition;
    bool withRecognition = false;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const GridText grid = snapshot(NewSeqsList);
        if (GridHoldsRecognitionResults(grid)) {
            recognition = RecognitionTableFromGrid(grid, m.controlNegativeCount(), m.classCount(),
                                                   numberFormat);
            withRecognition = true;
        }
    }
    status = m.saveProject(path, settings, withRecognition ? &recognition : nullptr);
    if (!status) return status;
    // The project's own bytes are written; the discriminative rules go beside them.
    status = m.writeContrastSideFile(path);
    if (!status) {
        status.message =
            "The project has been saved, but not its discriminative rules: " + status.message;
    } else if (!status.message.empty()) {
        message(status.message, "Message", MessageIcon::Warning);
        status = Status::success();
    }
    return status;
}

Status TMainForm::writeTextExport(const std::string& path) {
    TMainManager& m = *mainManager;
    // A running search replaces the object table and the rule store that the export reads.
    if (m.workerActive()) {
        if (m.workerLive()) {
            return Status::failure(
                "\"" + path +
                    "\": a process is running; stop it (or let it end) before saving the results",
                path);
        }
        m.shutdownWorker();  // a stopped worker finishing its last item
    }
    TextExportSource source;
    source.learnPositive = {m.learnPositive().data(),
                            std::min(m.learnPositive().size(),
                                     static_cast<size_t>(std::max(m.learnPositiveCount(), 0)))};
    source.learnPositiveLoaded = m.learnPositiveLoaded();
    source.storage = m.storage();
    source.rulesPresent = m.rules() != nullptr;
    source.ruleCount = m.rules() ? m.rules()->Count() : 0;
    source.idealObjectsPresent = m.idealObjectsPresent();
    source.classCount = m.classCount();
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        source.rulesGrid = snapshot(RulesList, source.ruleCount + 1);
        source.idealGrid = snapshot(IdealizObjectsList, source.classCount + 1);
    }
    return WriteTextExport(path, source);
}

Status TMainForm::writeResultsReport(const std::string& path) {
    TMainManager& m = *mainManager;
    Status status;
    if (ChooseReport(m.searchSettings().workMode, m.longControl()) == ReportKind::kLongSequence) {
        LongSeqReportSource source;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            source.recognitionLevel = RecLevelEdit.text();
            source.controlNegative =
                withStoredNames(snapshot(NewSeqsList, 2), m, SampleKind::ControlNegative);
            for (const auto& point : Chart1.series(0)) source.scores.push_back(point.second);
        }
        status = WriteLongSeqReport(path, source, numberFormat);
    } else {
        ErrorReportSource source;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            source.recognitionLevel = RecLevelEdit.text();
            source.firstLevelError = FirstLErrEd.text();
            source.firstErrorCount = FstErrInW.text();
            source.secondLevelError = SecondLErr.text();
            source.secondErrorCount = SecErrInW.text();
            source.idealObjects = snapshot(IdealizObjectsList);
            source.controlNegative =
                withStoredNames(snapshot(NewSeqsList), m, SampleKind::ControlNegative);
            source.learnPositive =
                withStoredNames(snapshot(SequencesList), m, SampleKind::LearnPositive);
            source.controlPositive =
                withStoredNames(snapshot(PosCtrlSeqsList), m, SampleKind::ControlPositive);
        }
        status = WriteErrorReport(path, source, numberFormat);
    }
    return status;
}

}  // namespace motifora
