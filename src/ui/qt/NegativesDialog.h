// "Generate negatives...": where a learning negative sample made for the learning positives comes
// from (shuffles of the positives, or windows of a background genome), how many, and the file it
// is written to.
#pragma once

#include <QDialog>

#include "ui/model/TMainForm.h"

class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace motifora {

// The dialog only gathers the request; the main window hands it to the model's
// generateNegatives, which refuses with a message box or says what it made. "OK" is enabled once
// the request names its output file (and, for a genome, the genome). Both file fields can be
// typed or chosen through the model's file choosers ("GenerateNegDlg", "BackgroundGenomeDlg").
class NegativesDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit NegativesDialog(Dialogs& dialogs, QWidget* parent = nullptr);

    TMainForm::NegativesRequest request() const;

  private:
    void updateState();
    void chooseGenome();
    void chooseOutput();

    Dialogs& dialogs_;
    QRadioButton* shuffled_;
    QRadioButton* genome_;
    QSpinBox* count_;
    QSpinBox* k_;
    QSpinBox* seed_;
    QLineEdit* genomePath_;
    QPushButton* genomeBrowse_;
    QLineEdit* output_;
    QDialogButtonBox* buttons_;
};

}  // namespace motifora
