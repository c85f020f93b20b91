// The "Generate negatives..." dialog of the Rules page.
#include "ui/qt/NegativesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/model/Dialogs.h"
#include "ui/qt/Language.h"

namespace motifora {

namespace {

QSpinBox* spinBox(const char* name, int least, int most, int value) {
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(least, most);
    box->setValue(value);
    return box;
}

// A file field: the line edit and a "..." button beside it.
QWidget* fileRow(QLineEdit* edit, QPushButton* browse) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    layout->addWidget(browse);
    return row;
}

}  // namespace

NegativesDialog::NegativesDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName("GenerateNegativesDialog");
    setWindowTitle("Generate negatives");
    auto* layout = new QVBoxLayout(this);

    auto* source = new QGroupBox("Source");
    auto* sourceLayout = new QVBoxLayout(source);
    shuffled_ = new QRadioButton("Shuffled learning positives (every K-mer count kept)");
    shuffled_->setObjectName("NegShuffledRadio");
    shuffled_->setChecked(true);
    genome_ = new QRadioButton("Windows of a background genome (GC content matched)");
    genome_->setObjectName("NegGenomeRadio");
    sourceLayout->addWidget(shuffled_);
    sourceLayout->addWidget(genome_);
    layout->addWidget(source);

    auto* form = new QFormLayout;
    count_ = spinBox("NegCountEdit", 1, 10000000, 100);
    form->addRow("Number of negatives", count_);
    k_ = spinBox("NegKEdit", 1, 12, 2);
    form->addRow("K-mer length kept", k_);
    seed_ = spinBox("NegSeedEdit", 0, 2147483647, 1);
    form->addRow("Seed", seed_);
    genomePath_ = new QLineEdit;
    genomePath_->setObjectName("NegGenomeEdit");
    genomeBrowse_ = new QPushButton("...");
    genomeBrowse_->setObjectName("NegGenomeBrowse");
    form->addRow("Genome (FASTA, .fa or .fa.gz)", fileRow(genomePath_, genomeBrowse_));
    output_ = new QLineEdit;
    output_->setObjectName("NegOutputEdit");
    auto* outputBrowse = new QPushButton("...");
    outputBrowse->setObjectName("NegOutputBrowse");
    form->addRow("Save the negatives as (.seq)", fileRow(output_, outputBrowse));
    layout->addLayout(form);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons_->setObjectName("NegButtons");
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(shuffled_, &QRadioButton::toggled, this, [this] { updateState(); });
    connect(genomePath_, &QLineEdit::textChanged, this, [this] { updateState(); });
    connect(output_, &QLineEdit::textChanged, this, [this] { updateState(); });
    connect(genomeBrowse_, &QPushButton::clicked, this, [this] { chooseGenome(); });
    connect(outputBrowse, &QPushButton::clicked, this, [this] { chooseOutput(); });
    updateState();
}

TMainForm::NegativesRequest NegativesDialog::request() const {
    TMainForm::NegativesRequest r;
    r.source = shuffled_->isChecked() ? TMainForm::NegativesRequest::Source::Shuffled
                                      : TMainForm::NegativesRequest::Source::Genome;
    r.count = count_->value();
    r.k = k_->value();
    r.seed = static_cast<uint64_t>(seed_->value());
    if (!shuffled_->isChecked()) r.genomePath = genomePath_->text().toStdString();
    r.outputPath = output_->text().trimmed().toStdString();
    return r;
}

void NegativesDialog::updateState() {
    const bool shuffled = shuffled_->isChecked();
    k_->setEnabled(shuffled);
    genomePath_->setEnabled(!shuffled);
    genomeBrowse_->setEnabled(!shuffled);
    const bool ready = !output_->text().trimmed().isEmpty() &&
                       (shuffled || !genomePath_->text().trimmed().isEmpty());
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(ready);
}

void NegativesDialog::chooseGenome() {
    FileRequest open;
    open.dialog = "BackgroundGenomeDlg";
    open.filter =
        "FASTA (*.fa *.fasta *.fna *.fa.gz *.fasta.gz *.fna.gz)|*.fa;*.fasta;*.fna;"
        "*.fa.gz;*.fasta.gz;*.fna.gz";
    open.title = "Background genome";
    if (const auto path = dialogs_.openFile(open)) genomePath_->setText(qs(*path));
}

void NegativesDialog::chooseOutput() {
    FileRequest save;
    save.dialog = "GenerateNegDlg";
    save.filter = "Sequences (*.seq)|*.seq";
    save.title = "Save the generated negatives";
    save.defaultName = "negatives.seq";
    if (const auto path = dialogs_.saveFile(save)) output_->setText(qs(*path));
}

}  // namespace motifora
