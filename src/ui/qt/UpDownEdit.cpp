// An edit with an up-down control that keeps whatever the user types.
#include "ui/qt/UpDownEdit.h"

#include <QLineEdit>
#include <algorithm>
#include <charconv>

#include "ui/qt/ControlBinder.h"

namespace motifora {

namespace {

// The whole number held by `text` (surrounding blanks allowed), or nothing.
bool parseWhole(const std::string& text, long long& value) {
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos) return false;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+') ++first;
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

}  // namespace

std::string stepUpDownText(const std::string& text, int32_t minimum, int32_t maximum,
                           int32_t position, int steps) {
    long long value = position;
    long long typed = 0;
    if (parseWhole(text, typed)) value = typed;
    // Clamp first, so that a huge typed number cannot overflow the step.
    value = std::clamp<long long>(value, minimum, maximum);
    value = std::clamp<long long>(value + steps, minimum, std::max(minimum, maximum));
    return std::to_string(value);
}

UpDownEdit::UpDownEdit(TextControl& edit, const UpDown& upDown, QWidget* parent)
    : QAbstractSpinBox(parent), model_(edit), upDown_(upDown) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    lineEdit()->setText(QString::fromStdString(edit.text()));
    connect(lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setText(text.toStdString()); });
}

QValidator::State UpDownEdit::validate(QString&, int&) const { return QValidator::Acceptable; }

void UpDownEdit::fixup(QString&) const {}

void UpDownEdit::stepBy(int steps) {
    if (!upDown_.enabled()) return;
    const std::string text = stepUpDownText(model_.text(), upDown_.minimum(), upDown_.maximum(),
                                            upDown_.position(), steps);
    model_.setText(text);
    lineEdit()->setText(QString::fromStdString(text));
}

QAbstractSpinBox::StepEnabled UpDownEdit::stepEnabled() const {
    if (!isEnabled() || !upDown_.enabled()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

UpDownEdit* boundUpDownEdit(TextControl& edit, const UpDown& upDown, ControlBinder& binder,
                            const char* name) {
    auto* widget = new UpDownEdit(edit, upDown);
    widget->setObjectName(name);
    binder.bindEdit(edit, widget->edit());
    binder.bindState(edit, widget);
    return widget;
}

}  // namespace motifora
