// The rule by which a shown text finds its translation: whole lines, marked starts before a
// file name or a reason, and everything else left alone.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "core/Translatable.h"

namespace motifora {
namespace {

TEST(TranslateText, WholeLinesAndMarkedStartsLineByLine) {
    const std::map<std::string, std::string> english = {
        {"Ошибка", "Error"},
        {"Ошибка чтения из файла: ", "Error reading from file: "},
        {"Ошибка записи в файл:", "Error writing to file:"},
        {"Пуск", "Start"},
    };
    const TextLookup lookup = [&english](const std::string& text) -> std::optional<std::string> {
        const auto found = english.find(text);
        if (found == english.end()) return std::nullopt;
        return found->second;
    };
    // Each text with its translation.
    const std::pair<const char*, const char*> cases[] = {
        {"Пуск", "Start"},
        {"Ошибка", "Error"},
        {"Ошибка чтения из файла: /data/a.seq", "Error reading from file: /data/a.seq"},
        {"Ошибка записи в файл:/data/p.dnp", "Error writing to file:/data/p.dnp"},
        // The reason below the first line is the reader's own and passes through.
        {"Ошибка чтения из файла: a.seq\nline 3: no \";\" after the name",
         "Error reading from file: a.seq\nline 3: no \";\" after the name"},
        {"Пуск\nПуск", "Start\nStart"},
        {"Fisher: 1.5e-12", "Fisher: 1.5e-12"},
        {"Ошибка: something else", "Ошибка: something else"},
        {"Нет перевода", "Нет перевода"},
        {"", ""},
        {"\n", "\n"},
        {"Пуск\n", "Start\n"},
        {"12:34", "12:34"},
    };
    for (const auto& [text, translated] : cases)
        EXPECT_EQ(translateText(text, lookup), translated) << text;
    EXPECT_EQ(translateText("Пуск", TextLookup()), "Пуск") << "no lookup, no change";
}

TEST(TranslateText, TheMarkerLeavesTheTextAsWritten) {
    constexpr const char* marked = MOTIFORA_TR("Сохранить текущий проект?");
    EXPECT_STREQ(marked, "Сохранить текущий проект?");
    EXPECT_STREQ(MOTIFORA_TR("a "
                             "b"),
                 "a b");
}

}  // namespace
}  // namespace motifora
