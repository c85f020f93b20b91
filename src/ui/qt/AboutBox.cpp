// The about box: the program's name, version and purpose, and a "Close" button.
#include "ui/qt/AboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Translatable.h"
#include "ui/qt/Language.h"
#include "version/Version.h"

namespace motifora {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutFrm");
    // The original caption, corrected in English.
    setWindowTitle(shown(MOTIFORA_TR("AboutFrm")));
    setModal(true);

    auto* title = new QLabel("<h2>Motifora</h2>", this);
    title->setAlignment(Qt::AlignCenter);
    auto* version =
        new QLabel(QString("Version %1").arg(QString::fromStdString(versionText())), this);
    version->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(
        "A workbench for regularity search in aligned DNA sequences: rules, ideal objects "
        "and classes, classification, recognition, error counting and bootstrap.",
        this);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);

    close_ = new QPushButton("Close", this);
    close_->setObjectName("CloseBtn");
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(text);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

}  // namespace motifora
