// Every Russian text in the program's sources is marked MOTIFORA_TR, so that lupdate lists it
// and it has an English version (the Qt front end's own language menu names are the exception:
// "Русский" is the name of the language in itself).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// True when `text` holds a Cyrillic letter (UTF-8 lead bytes 0xD0 to 0xD3).
bool hasCyrillic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xD0 && lead <= 0xD3 && next >= 0x80 && next <= 0xBF) return true;
    }
    return false;
}

// The places (line numbers) in `source` where a run of adjacent string literals holds Cyrillic
// letters and is not the argument of MOTIFORA_TR. Comments and character literals are skipped.
std::vector<int> unmarkedTexts(const std::string& source) {
    std::vector<int> lines;
    int line = 1;
    size_t i = 0;
    const auto skipBlank = [&](size_t from) {
        while (from < source.size() && std::isspace(static_cast<unsigned char>(source[from])))
            ++from;
        return from;
    };
    while (i < source.size()) {
        const char c = source[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (source.compare(i, 2, "//") == 0) {
            while (i < source.size() && source[i] != '\n') ++i;
        } else if (source.compare(i, 2, "/*") == 0) {
            const size_t end = source.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? source.size() : end + 2;
            for (; i < stop; ++i)
                if (source[i] == '\n') ++line;
        } else if (c == '\'') {
            for (++i; i < source.size() && source[i] != '\''; ++i)
                if (source[i] == '\\') ++i;
            ++i;
        } else if (c == '"') {
            // A run of literals: "a" "b" ... separated by blanks only.
            const size_t start = i;
            const int startLine = line;
            bool cyrillic = false;
            size_t next = i;
            while (next < source.size() && source[next] == '"') {
                size_t j = next + 1;
                for (; j < source.size() && source[j] != '"'; ++j) {
                    if (source[j] == '\\') ++j;
                }
                cyrillic = cyrillic || hasCyrillic(source.substr(next, j - next));
                for (size_t k = i; k <= j && k < source.size(); ++k)
                    if (source[k] == '\n') ++line;
                i = j + 1;
                next = skipBlank(i);
            }
            if (cyrillic) {
                size_t before = start;
                while (before > 0 && std::isspace(static_cast<unsigned char>(source[before - 1])))
                    --before;
                const std::string marker = "MOTIFORA_TR(";
                const bool marked =
                    before >= marker.size() &&
                    source.compare(before - marker.size(), marker.size(), marker) == 0;
                if (!marked) lines.push_back(startLine);
            }
        } else {
            ++i;
        }
    }
    return lines;
}

TEST(MarkedTexts, TheScannerFindsUnmarkedRussianTextsOnly) {
    const std::string source =
        "// Комментарий\n"
        "const char* a = MOTIFORA_TR(\"Пуск\");\n"
        "const char* b = \"Стоп\";\n"
        "/* Пауза */ const char* c = MOTIFORA_TR(\"Не \"\n    \"совпадает\");\n"
        "const char* d = \"English\" \"only\";\n"
        "message(\"Ошибка: \" + path, MOTIFORA_TR(\"Ошибка\"));\n"
        "char q = '\"'; const char* e = \"x\";\n";
    EXPECT_EQ(unmarkedTexts(source), (std::vector<int>{3, 7}));
}

TEST(MarkedTexts, EveryRussianTextOfTheProgramIsMarked) {
    const fs::path root = fs::path(MOTIFORA_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(root)) << root;
    int files = 0;
    std::ostringstream unmarked;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        if (!entry.is_regular_file()) continue;
        if (path.extension() != ".cpp" && path.extension() != ".h") continue;
        if (path.string().find("/ui/qt/") != std::string::npos) continue;
        std::ifstream in(path, std::ios::binary);
        const std::string source{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
        ++files;
        for (int line : unmarkedTexts(source))
            unmarked << fs::relative(path, root).string() << ":" << line << "\n";
    }
    EXPECT_GT(files, 50);
    EXPECT_EQ(unmarked.str(), "")
        << "mark these texts MOTIFORA_TR(\"...\") and run scripts/translations.sh";
}

}  // namespace
