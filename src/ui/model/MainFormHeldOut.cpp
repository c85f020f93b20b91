// The held-out evaluation's menu commands: the cross-validation window and the evaluation report.
#include "core/Status.h"
#include "io/EvaluationReport.h"
#include "io/SafeFile.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

#ifndef MOTIFORA_VERSION
#define MOTIFORA_VERSION "0"
#endif

namespace motifora {

namespace {

constexpr size_t kReportedContrastRules = 20;  // as motifora-cli's report lists them

}  // namespace

void TMainForm::mmbtnCrossValidationClick() { CrossValForm.Show(); }

void TMainForm::mmbtnSaveEvaluationReportClick() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    if (m.workerLive()) {
        message("The evaluation report can be saved when no process runs.", "Error",
                MessageIcon::Error);
        return;
    }
    FileRequest request{"SaveEvaluationReportDlg", "HTML files (*.html)|*.html",
                        "Save Evaluation Report", "evaluation.html", ""};
    const auto chosen = dialogs_.saveFile(request);
    if (!chosen) return;
    const std::string path = WithExtension(*chosen, ".html");
    const auto cv = CrossValForm.shownResult();
    // A cross-validation of the discriminative score is reported in the discriminative section,
    // beside the rules the Rules page found (when it did); the classes' decision on the control
    // data does not take its level.
    const bool discriminative = cv && CrossValForm.shownScore() == ScoreKind::kDiscriminative;
    std::optional<ControlDecision> decision;
    if (cv && !discriminative) {
        const ControlScores control = controlScores(m);
        if (!control.negatives.empty())
            decision = ControlDecision{cv->level, "the cross-validated level",
                                       controlErrors(control, cv->level)};
    }
    EvaluationReportData data = evaluationReportData(
        m, samplePaths, discriminative ? nullptr : cv.get(), decision, MOTIFORA_VERSION);
    ContrastReport contrast;
    if (discriminative) {
        const auto rules = m.contrastRules();
        const auto choices = CrossValForm.shownChoices();
        contrast = contrastReportOf(rules.get(), kReportedContrastRules, cv.get(),
                                    choices ? *choices : std::vector<ContrastChoice>{},
                                    choices != nullptr, false);
        data.contrast = &contrast;
    }
    const Status status = WriteEvaluationReport(path, data);
    if (!status.ok)
        message(
            std::string(MOTIFORA_TR("Ошибка записи в файл:")) + "\n" + path + "\n" + status.message,
            MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

}  // namespace motifora
