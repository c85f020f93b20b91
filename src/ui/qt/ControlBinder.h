// Ties window-model controls to widgets: each binding repaints its widget when its control changed.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/model/Controls.h"

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QWidget;

namespace motifora {

// A list of (control, repaint) pairs. `sync()` calls a pair's repaint only when the control's
// change counter moved since the last call, so a tick costs one counter read per control when
// nothing happened. The helpers below bind the common kinds of widget.
class ControlBinder {
  public:
    // Calls `apply` at the next sync and again after every change of `control`.
    void bind(const Control& control, std::function<void()> apply);
    // Repaints what changed; returns the number of bindings repainted.
    int sync();
    // Makes the next sync repaint every binding (after a change of language).
    void invalidate();

    // Visibility and enabled state of any widget.
    void bindState(const Control& control, QWidget* widget);
    // Only the visibility.
    void bindVisible(const Control& control, QWidget* widget);
    // The texts below are shown in the current language (Language.h).
    // Text, visibility and enabled state of a label.
    void bindLabel(const TextControl& control, QLabel* label);
    // Caption, visibility and enabled state of a push button.
    void bindButton(const TextControl& control, QAbstractButton* button);
    // Check mark, caption, enabled state and visibility of a radio button or check box.
    void bindCheck(const CheckControl& control, QAbstractButton* button);
    // Text (unless the user is typing into it), visibility and enabled state of an edit.
    void bindEdit(const TextControl& control, QLineEdit* edit);
    // Enabled state, check mark and visibility of a menu item or tool-bar action.
    void bindAction(const CheckControl& control, QAction* action);
    void bindAction(const Control& control, QAction* action);
    // Enabled state of a whole menu.
    void bindMenu(const Control& control, QMenu* menu);
    // Shows and raises, or hides, a top-level window as the control's visibility says.
    void bindWindow(const Control& control, QWidget* window);

  private:
    struct Binding {
        const Control* control;
        std::function<void()> apply;
        uint64_t seen;
    };
    std::vector<Binding> bindings_;
};

// A label named `name` (for tests and style sheets) bound to `control`.
QLabel* boundLabel(const TextControl& control, ControlBinder& binder, const char* name);
// An edit named `name` bound to `control`; what the user types goes back into the control.
// `owner` holds the connection.
QLineEdit* boundEdit(Edit& control, ControlBinder& binder, const char* name, QWidget* owner);

}  // namespace motifora
