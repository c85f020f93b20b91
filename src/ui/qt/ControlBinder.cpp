// Ties window-model controls to widgets.
#include "ui/qt/ControlBinder.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include "ui/qt/Language.h"

namespace motifora {

void ControlBinder::bind(const Control& control, std::function<void()> apply) {
    // The counter can never reach this value, so the first sync always paints.
    bindings_.push_back({&control, std::move(apply), ~uint64_t{0}});
}

void ControlBinder::invalidate() {
    for (Binding& b : bindings_) b.seen = ~uint64_t{0};
}

int ControlBinder::sync() {
    int painted = 0;
    for (Binding& b : bindings_) {
        const uint64_t changes = b.control->changes();
        if (changes == b.seen) continue;
        b.seen = changes;
        b.apply();
        ++painted;
    }
    return painted;
}

void ControlBinder::bindState(const Control& control, QWidget* widget) {
    bind(control, [&control, widget] {
        widget->setVisible(control.visible());
        widget->setEnabled(control.enabled());
    });
}

void ControlBinder::bindVisible(const Control& control, QWidget* widget) {
    bind(control, [&control, widget] { widget->setVisible(control.visible()); });
}

void ControlBinder::bindLabel(const TextControl& control, QLabel* label) {
    bind(control, [&control, label] {
        label->setText(shown(control.text()));
        label->setVisible(control.visible());
        label->setEnabled(control.enabled());
    });
}

void ControlBinder::bindButton(const TextControl& control, QAbstractButton* button) {
    bind(control, [&control, button] {
        const std::string text = control.text();
        if (!text.empty()) button->setText(shown(text));
        button->setVisible(control.visible());
        button->setEnabled(control.enabled());
    });
}

void ControlBinder::bindCheck(const CheckControl& control, QAbstractButton* button) {
    bind(control, [&control, button] {
        const QSignalBlocker block(button);
        button->setText(shown(control.text()));
        button->setChecked(control.checked());
        button->setVisible(control.visible());
        button->setEnabled(control.enabled());
    });
}

void ControlBinder::bindEdit(const TextControl& control, QLineEdit* edit) {
    bind(control, [&control, edit] {
        const QString text = qs(control.text());
        // Rewriting the same text would move the cursor under the user's fingers.
        if (edit->text() != text) {
            const QSignalBlocker block(edit);
            edit->setText(text);
        }
        edit->setVisible(control.visible());
        edit->setEnabled(control.enabled());
    });
}

void ControlBinder::bindAction(const CheckControl& control, QAction* action) {
    bind(control, [&control, action] {
        const QSignalBlocker block(action);
        // The item's words in the current language.
        if (const std::string text = control.text(); !text.empty()) action->setText(shown(text));
        action->setEnabled(control.enabled());
        if (action->isCheckable()) action->setChecked(control.checked());
        action->setVisible(control.visible());
    });
}

void ControlBinder::bindAction(const Control& control, QAction* action) {
    bind(control, [&control, action] {
        action->setEnabled(control.enabled());
        action->setVisible(control.visible());
    });
}

void ControlBinder::bindMenu(const Control& control, QMenu* menu) {
    bind(control, [&control, menu] { menu->menuAction()->setEnabled(control.enabled()); });
}

void ControlBinder::bindWindow(const Control& control, QWidget* window) {
    bind(control, [&control, window] {
        if (control.visible() == window->isVisible()) return;
        if (control.visible()) {
            window->show();
            window->raise();
        } else {
            window->hide();
        }
    });
}

QLabel* boundLabel(const TextControl& control, ControlBinder& binder, const char* name) {
    auto* label = new QLabel(qs(control.text()));
    label->setObjectName(name);
    binder.bindLabel(control, label);
    return label;
}

QLineEdit* boundEdit(Edit& control, ControlBinder& binder, const char* name, QWidget* owner) {
    auto* edit = new QLineEdit(qs(control.text()));
    edit->setObjectName(name);
    QObject::connect(edit, &QLineEdit::textEdited, owner,
                     [&control](const QString& text) { control.setText(text.toStdString()); });
    binder.bindEdit(control, edit);
    return edit;
}

}  // namespace motifora
