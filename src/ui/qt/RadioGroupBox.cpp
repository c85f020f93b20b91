// A titled group of radio buttons mirroring one radio group of the window model.
#include "ui/qt/RadioGroupBox.h"

#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/qt/ControlBinder.h"

namespace motifora {

RadioGroupBox::RadioGroupBox(const RadioGroup& group, ControlBinder& binder, const char* name,
                             std::function<void(int32_t)> choose, QWidget* parent)
    : QGroupBox(QString::fromStdString(group.caption()), parent) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    const std::vector<std::string> items = group.items();
    for (size_t i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(QString::fromStdString(items[i]), this);
        button->setObjectName(QString("%1Item%2").arg(name).arg(i));
        // Qt's own exclusivity would fight the repaint: the model decides.
        button->setAutoExclusive(false);
        const int32_t index = static_cast<int32_t>(i);
        connect(button, &QRadioButton::clicked, this, [choose, index] { choose(index); });
        layout->addWidget(button);
        items_.push_back(button);
    }
    binder.bind(group, [this, &group] {
        const int32_t selected = group.itemIndex();
        for (size_t i = 0; i < items_.size(); ++i) {
            const QSignalBlocker block(items_[i]);
            items_[i]->setChecked(static_cast<int32_t>(i) == selected);
        }
        setEnabled(group.enabled());
        setVisible(group.visible());
    });
}

QRadioButton* RadioGroupBox::item(int index) const {
    return index >= 0 && index < static_cast<int>(items_.size())
               ? items_[static_cast<size_t>(index)]
               : nullptr;
}

}  // namespace motifora
