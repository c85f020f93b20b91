// The "Error Recognition Properties" window: which samples the error counting reads.
#include "ui/qt/ErrRecDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/model/ErrRecForm.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/RadioGroupBox.h"

namespace motifora {

ErrRecDialog::ErrRecDialog(TErrRecForm& model, ControlBinder& binder, std::function<void()> repaint,
                           QWidget* parent)
    : QDialog(parent), model_(model), repaint_(std::move(repaint)) {
    setObjectName("ErrRecForm");
    setModal(true);
    binder.bind(model.Caption,
                [this, &model] { setWindowTitle(QString::fromStdString(model.Caption.text())); });
    auto choose = [this](RadioGroup& group) {
        return [this, &group](int32_t index) {
            group.setItemIndex(index);
            repaint_();
        };
    };
    positive_ = new RadioGroupBox(model.PositiveGroup, binder, "PositiveGroup",
                                  choose(model.PositiveGroup), this);
    negative_ = new RadioGroupBox(model.NegativeGroup, binder, "NegativeGroup",
                                  choose(model.NegativeGroup), this);
    ok_ = new QPushButton(QString::fromStdString(model.OKBtn.text()), this);
    ok_->setObjectName("OKBtn");
    ok_->setDefault(true);
    binder.bindButton(model.OKBtn, ok_);
    connect(ok_, &QPushButton::clicked, this, [this] {
        model_.OKBtnClick();
        accept();
    });

    auto* groups = new QHBoxLayout;
    groups->addWidget(positive_);
    groups->addWidget(negative_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    model_.modalLoop = [this](TErrRecForm&) {
        repaint_();
        exec();
    };
}

ErrRecDialog::~ErrRecDialog() { model_.modalLoop = nullptr; }

void ErrRecDialog::closeEvent(QCloseEvent* event) {
    // The close box closes the window as "OK" does: the choices made so far stand.
    model_.OKBtnClick();
    QDialog::closeEvent(event);
}

}  // namespace motifora
