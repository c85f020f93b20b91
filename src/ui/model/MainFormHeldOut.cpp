// The held-out evaluation's menu commands: the cross-validation window and the evaluation report.
#include "core/Status.h"
#include "io/SafeFile.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

#ifndef MOTIFORA_VERSION
#define MOTIFORA_VERSION "0"
#endif

namespace motifora {

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
    std::optional<ControlDecision> decision;
    if (cv) {
        const ControlScores control = controlScores(m);
        if (!control.negatives.empty())
            decision = ControlDecision{cv->level, "the cross-validated level",
                                       controlErrors(control, cv->level)};
    }
    const EvaluationReportData data =
        evaluationReportData(m, samplePaths, cv.get(), decision, MOTIFORA_VERSION);
    const Status status = WriteEvaluationReport(path, data);
    if (!status.ok)
        message(
            std::string(MOTIFORA_TR("Ошибка записи в файл:")) + "\n" + path + "\n" + status.message,
            MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

}  // namespace motifora
