// The language of the window's texts: the system's own words, or English from Qt's translation.
#pragma once

#include <QString>
#include <string>

namespace motifora {

// The window shows the marked texts of the window model (messages, captions, buttons, status
// texts) either as they stand ("ru", the default: the system's own words, partly Russian) or in
// English ("en"), translated at display time through a QTranslator loaded from the translation
// file built by lrelease from translations/motifora_en.ts.
class Language final {
  public:
    static constexpr const char* kSettingsKey = "language";

    // Switches to "en" or "ru" and remembers the choice (QSettings). Returns false, changing
    // nothing, for any other code or when the English translation cannot be loaded.
    static bool choose(const QString& code);
    // The language of the last run (or "ru"), made current; returns its code.
    static QString restore();
    // "en" or "ru".
    static QString current();
};

// `text` (UTF-8) as it stands, untranslated: names, figures, file paths.
inline QString qs(const std::string& text) { return QString::fromStdString(text); }

// `text` in the current language (see translateText: a marked text, or a marked start before a
// file name or reason; anything else unchanged).
QString shown(const std::string& text);

}  // namespace motifora
