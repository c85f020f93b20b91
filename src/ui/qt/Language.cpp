// The language of the window's texts: the system's own words, or English from Qt's translation.
#include "ui/qt/Language.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <memory>

#include "core/Translatable.h"

namespace motifora {

namespace {

// The English translator while English is chosen; none for the original words.
std::unique_ptr<QTranslator>& english() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

bool apply(const QString& code) {
    auto& translator = english();
    if (code == "ru") {
        if (translator) QCoreApplication::removeTranslator(translator.get());
        translator.reset();
        return true;
    }
    if (code != "en") return false;
    if (translator) return true;
    auto loaded = std::make_unique<QTranslator>();
    // Built into the program as a resource (see src/ui/qt/CMakeLists.txt).
    if (!loaded->load(":/i18n/motifora_en.qm")) return false;
    QCoreApplication::installTranslator(loaded.get());
    translator = std::move(loaded);
    return true;
}

}  // namespace

bool Language::choose(const QString& code) {
    if (!apply(code)) return false;
    QSettings().setValue(kSettingsKey, code);
    return true;
}

QString Language::restore() {
    const QString stored = QSettings().value(kSettingsKey, "ru").toString();
    if (!apply(stored)) apply("ru");
    return current();
}

QString Language::current() { return english() ? "en" : "ru"; }

QString shown(const std::string& text) {
    QTranslator* translator = english().get();
    if (translator == nullptr || text.empty()) return QString::fromStdString(text);
    // Marked texts are their own ids, without a context.
    const std::string translated =
        translateText(text, [translator](const std::string& id) -> std::optional<std::string> {
            const QString found = translator->translate(nullptr, id.c_str());
            if (found.isEmpty()) return std::nullopt;
            return found.toStdString();
        });
    return QString::fromStdString(translated);
}

}  // namespace motifora
