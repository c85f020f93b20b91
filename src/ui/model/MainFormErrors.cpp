// The main window's recognition error counting: the command, the histograms and the counts, the
// level and wanted-error entries, and the class-by-class "Next"/"Total" cycle.
#include <algorithm>

#include "core/Translatable.h"
#include "evaluation/ErrorCounting.h"
#include "ui/model/RecognitionMessages.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr const char* kBadValueText =
    MOTIFORA_TR("Задано неверное значение порога условной вероятности найденных закономерностей.");

// The objects of a sample of the storage and the sample's size; none without a storage.
struct SampleObjects {
    const SEQSElem* objects = nullptr;
    int32_t available = 0;  // objects present (never more than the sample's size)
    int32_t size = 0;       // records of the sample
};

SampleObjects sampleObjects(const TMainManager& m, bool control, bool positive) {
    SampleObjects out;
    if (positive)
        out.size = control ? m.controlPositiveCount() : m.learnPositiveCount();
    else
        out.size = control ? m.controlNegativeCount() : m.learnNegativeCount();
    if (!m.storage()) return out;
    const SEQStorage& s = *m.storage();
    const ObjectSet& set = positive ? (control ? s.controlPositiveObjects : s.learnObjects)
                                    : (control ? s.controlNegativeObjects : s.negativeObjects);
    out.objects = set.data();
    out.available = std::min(out.size, set.size());
    return out;
}

// Number of grid rows 1 ... rowCount - 1 whose class cell (column 4) is `classText` and whose
// result cell (column 6) is `result`.
int32_t countRows(const Grid& grid, const std::string& classText, const std::string& result) {
    int32_t count = 0;
    for (int32_t r = 1; r < grid.rowCount(); ++r) {
        if (grid.cell(4, r) == classText && grid.cell(6, r) == result) ++count;
    }
    return count;
}

}  // namespace

// Reads a number typed into the level or wanted-error edit: empty gives 0; a failure switches the
// separator and tries again; a second failure resets the edit to "0,0", shows the message and
// gives 0.
static double readTypedNumber(TMainForm& form, Edit& edit) {
    const std::string text = edit.text();
    if (text.empty()) return 0.0;
    double value = 0.0;
    if (form.numbers().readReal(text, value)) return value;
    edit.setText("0,0");
    form.message(kBadValueText, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
    return 0.0;
}

void TMainForm::btnCountRecErrorsClick() {
    TMainManager& m = manager();
    if (m.searchSettings().shiftPositions()) return;

    // The properties window: what can be chosen, then the user's choice.
    const bool positiveEnabled = m.controlPositiveLoaded();
    ErrRecForm.PositiveGroup.setEnabled(positiveEnabled);
    if (!positiveEnabled) ErrRecForm.choosePositiveSide(SampleSide::kLearning);
    bool negativeEnabled = true;
    if (!m.controlNegativeLoaded()) {
        negativeEnabled = false;
        ErrRecForm.chooseNegativeSide(SampleSide::kLearning);
    } else if (!m.learnNegativeLoaded()) {
        negativeEnabled = false;
        ErrRecForm.chooseNegativeSide(SampleSide::kControl);
    }
    ErrRecForm.NegativeGroup.setEnabled(negativeEnabled);
    if (positiveEnabled || negativeEnabled) ErrRecForm.ShowModal();
    m.setRecognitionSources(ErrRecForm.positiveSide(), ErrRecForm.negativeSide());
    const bool controlPositive = ErrRecForm.positiveSide() == SampleSide::kControl;
    const bool controlNegative = ErrRecForm.negativeSide() == SampleSide::kControl;

    int32_t top = 0, bottom = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const auto prepare = [](Grid& chosen, Grid& other) {
            chosen.setColCount(7);
            for (int32_t r = 1; r < chosen.rowCount(); ++r) {
                chosen.setCell(5, r, "");
                chosen.setCell(6, r, "");
            }
            chosen.setCell(5, 0, "Score");
            chosen.setCell(6, 0, "Result");
            other.setColCount(5);
        };
        prepare(controlNegative ? NewSeqsList : NegSequencesList,
                controlNegative ? NegSequencesList : NewSeqsList);
        prepare(controlPositive ? PosCtrlSeqsList : SequencesList,
                controlPositive ? SequencesList : PosCtrlSeqsList);

        top = IdealizObjectsList.selectionTop();
        bottom = IdealizObjectsList.selectionBottom();
        if (top == bottom) {
            IdealizObjectsList.setColCount(3);
            btnNextClassErrCount.setEnabled(false);
            SaveRecErrBtn.setEnabled(true);
        } else {
            IdealizObjectsList.setColCount(6);
            // What "Next" writes into the three further columns, class by class.
            IdealizObjectsList.setCell(3, 0, "Recogn. Level");
            IdealizObjectsList.setCell(4, 0, "Missed positives");
            IdealizObjectsList.setCell(5, 0, "Accepted negatives");
            IdealizObjectsList.setEnabled(false);
            btnNextClassErrCount.setEnabled(true);
            SaveRecErrBtn.setEnabled(false);
            IdealizObjectsList.select(top, bottom);
        }
        // Before the worker starts: its end enables the two edits again, and must not be undone.
        Chart1.setVisible(true);
        btnHideShowChart.setEnabled(true);
        RecLevelEdit.setEnabled(false);
        FirstLErrEd.setEnabled(false);
        StatusBar1.setPanel(1, MOTIFORA_TR("Вычисление ошибок распознавания ..."));
    }
    LockCommands(CommandLock::All);
    const RecognitionStart code = m.StartRecognition(top - 1);
    if (reportRecognitionCode(*this, code)) {
        // Nothing runs that would unlock the commands: give them back now.
        btnNextClassErrCount.setEnabled(false);
        IdealizObjectsList.setEnabled(true);
        StatusBar1.setPanel(1, "");
        UnlockCommands(CommandLock::All);
    }
}

void TMainForm::CountErrors(int32_t n) {
    TMainManager& m = manager();
    const int32_t c = m.recognitionClass();
    const bool controlNegative = ErrRecForm.negativeSide() == SampleSide::kControl;
    const bool controlPositive = ErrRecForm.positiveSide() == SampleSide::kControl;
    const SampleObjects negatives = sampleObjects(m, controlNegative, false);
    const SampleObjects positives = sampleObjects(m, controlPositive, true);
    const ChartPoints negative =
        negatives.size > 0
            ? classHistogram(negatives.objects, negatives.available, c, 1.0 / negatives.size)
            : ChartPoints{};
    const ChartPoints positive =
        n > 0 ? classHistogram(positives.objects, positives.available, c, 1.0 / n) : ChartPoints{};
    const double level = proposedLevel(negative, positive);
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Chart1.clearSeries(0);
        Chart::Axis left = Chart1.yAxis();
        left.automatic = false;
        left.minimum = 0;
        left.maximum = 1.1;
        left.title = "Percentage of sampling";
        Chart1.setYAxis(left);
        Chart::Axis bottom = Chart1.xAxis();
        bottom.title = "Score";
        Chart1.setXAxis(bottom);
        for (const auto& point : negative) Chart1.addPoint(0, point.first, point.second);
        Chart1.clearSeries(1);
        for (const auto& point : positive) Chart1.addPoint(1, point.first, point.second);
        Chart1.setLevelSeries(false);
        Chart1.setMarks({});
        RecLevelEdit.setText(numberFormat.fixed(level, 2));
    }
    CountFirstLevelErrors(level);
    CountSecondLevelErrors(level);
}

void TMainForm::CountSecondLevelErrors(double level) {
    TMainManager& m = manager();
    const bool control = ErrRecForm.negativeSide() == SampleSide::kControl;
    const SampleObjects negatives = sampleObjects(m, control, false);
    const SecondLevelCount count = countSecondLevel(negatives.objects, negatives.available,
                                                    negatives.size, m.recognitionClass(), level);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Grid& grid = control ? NewSeqsList : NegSequencesList;
    for (int32_t i = 0; i < negatives.size; ++i) {
        const bool recognized = i < negatives.available && count.recognized[static_cast<size_t>(i)];
        grid.setCell(6, i + 1, recognized ? kRecognizedText : kNotRecognizedText);
    }
    SecondLErr.setText(numberFormat.fixed(count.error, 8));
    SecErrInW.setText(recognizedText(count.count, count.total));
    showUncountedNegatives();
}

void TMainForm::showUncountedNegatives() {
    TMainManager& m = manager();
    const bool control = ErrRecForm.negativeSide() == SampleSide::kControl;
    const SampleObjects negatives = sampleObjects(m, true, false);
    const int32_t uncounted = control && m.controlNegativeClassified()
                                  ? uncountedObjects(negatives.objects, negatives.available)
                                  : 0;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    UncountedNegatives.setText(
        uncounted == 0
            ? std::string()
            : MOTIFORA_TR("Контрольных последовательностей класса New (без оценки, не учтены ни в "
                          "одном классе): ") +
                  std::to_string(uncounted) + " / " + std::to_string(negatives.size) + "\n" +
                  MOTIFORA_TR("Перекрёстная проверка оценивает все последовательности."));
}

void TMainForm::CountFirstLevelErrors(double level) {
    TMainManager& m = manager();
    const bool control = ErrRecForm.positiveSide() == SampleSide::kControl;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Grid& grid = control ? PosCtrlSeqsList : SequencesList;
    const int32_t rows = control ? m.controlPositiveCount() : m.learnPositiveCount();
    std::vector<PositiveRow> shown;
    shown.reserve(static_cast<size_t>(std::max(rows, 0)));
    for (int32_t r = 1; r <= rows; ++r) shown.push_back({grid.cell(4, r), grid.cell(5, r)});
    const FirstLevelCount count =
        countFirstLevel(shown, m.recognitionClass(), level, control, numberFormat);
    for (size_t i = 0; i < count.results.size(); ++i) {
        if (count.results[i]) grid.setCell(6, static_cast<int32_t>(i) + 1, *count.results[i]);
    }
    const std::string error = numberFormat.fixed(count.error, 8);
    FirstLErrEd.setText(error);
    BootStrCtrl.FstLevelErr.setText(error);
    BootStrCtrl.requestedFirstError = count.error;
    FstErrInW.setText(recognizedText(count.count - count.misses, count.count));
}

void TMainForm::ReCount2() {
    const double level = readTypedNumber(*this, RecLevelEdit);
    TMainManager& m = manager();
    if (!m.searchSettings().shiftPositions() && !m.longControl()) {
        CountFirstLevelErrors(level);
        CountSecondLevelErrors(level);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const ChartPoints line = levelLine(Chart1.series(0), level);
    Chart1.clearSeries(1);
    for (const auto& point : line) Chart1.addPoint(1, point.first, point.second);
    fillScanHits(level);
}

void TMainForm::FstReCount2() {
    double e = readTypedNumber(*this, FirstLErrEd);
    if (e > 1 || e < 0) {
        FirstLErrEd.setText("0,0");
        e = 0;
        message(kBadValueText, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
    }
    LevelFromFirstError(e);
}

void TMainForm::LevelFromFirstError(double e) {
    std::vector<double> scores;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const int32_t rows = manager().learnPositiveCount();
        for (int32_t r = 1; r <= rows; ++r) {
            const std::string text = SequencesList.cell(5, r);
            double value = 0.0;
            if (!text.empty() && readShownNumber(numberFormat, text, value))
                scores.push_back(value);
        }
    }
    const std::optional<double> level = levelFromFirstError(std::move(scores), e);
    if (!level) return;
    RecLevelEdit.setText(numberFormat.fixed(*level, 2));
    CountFirstLevelErrors(*level);
    CountSecondLevelErrors(*level);
}

void TMainForm::btnNextClassErrCountClick() {
    TMainManager& m = manager();
    const int32_t c = m.recognitionClass();
    const std::string classText = std::to_string(int64_t{c} + 1);
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        IdealizObjectsList.setCell(
            4, c + 1, std::to_string(countRows(SequencesList, classText, kNotRecognizedText)));
        IdealizObjectsList.setCell(
            5, c + 1, std::to_string(countRows(NewSeqsList, classText, kRecognizedText)));
        IdealizObjectsList.setCell(3, c + 1, RecLevelEdit.text());
    }

    if (btnNextClassErrCount.text() != "Total") {
        // Everything the window changes comes before the start: the worker's end re-enables the
        // edits and must find them as the command leaves them.
        if (IdealizObjectsList.selectionBottom() == c + 2) btnNextClassErrCount.setText("Total");
        Chart1.setVisible(true);
        btnHideShowChart.setEnabled(true);
        RecLevelEdit.setEnabled(false);
        FirstLErrEd.setEnabled(false);
        const RecognitionStart code = m.StartRecognition(c + 1);
        if (reportRecognitionCode(*this, code)) {
            btnNextClassErrCount.setText("Next");
            btnNextClassErrCount.setEnabled(false);
            IdealizObjectsList.setEnabled(true);
            UnlockCommands(CommandLock::All);
        }
        return;
    }

    btnNextClassErrCount.setText("Next");
    btnNextClassErrCount.setEnabled(false);
    UnlockCommands(CommandLock::All);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    IdealizObjectsList.setEnabled(true);
    Chart1.setVisible(false);
    btnHideShowChart.setEnabled(false);
    RecLevelEdit.setEnabled(false);
    FirstLErrEd.setEnabled(false);
    int32_t positives = 0, misses = 0, accepted = 0;
    const int32_t top = IdealizObjectsList.selectionTop();
    const int32_t bottom = IdealizObjectsList.selectionBottom();
    for (int32_t k = top; k <= bottom; ++k) {
        for (int32_t r = 1; r < SequencesList.rowCount(); ++r) {
            int32_t shown = 0;
            if (NumberFormat::readInteger(SequencesList.cell(4, r), shown) && shown == k)
                ++positives;
        }
        int32_t value = 0;
        if (NumberFormat::readInteger(IdealizObjectsList.cell(4, k), value)) misses += value;
        value = 0;
        if (NumberFormat::readInteger(IdealizObjectsList.cell(5, k), value)) accepted += value;
    }
    const ErrorTotals totals = errorTotals(positives, misses, accepted, m.controlNegativeCount());
    FirstLErrEd.setText(numberFormat.fixed(totals.firstError, 8));
    FstErrInW.setText(recognizedText(positives - misses, positives));
    SecondLErr.setText(numberFormat.fixed(totals.secondError, 8));
    SecErrInW.setText(recognizedText(accepted, m.controlNegativeCount()));
    showUncountedNegatives();
    SaveRecErrBtn.setEnabled(true);
}

}  // namespace motifora
