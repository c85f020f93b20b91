// Writing and reading the discriminative rules' side file.
#include "io/ContrastFile.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/Sequence.h"
#include "io/SafeFile.h"

namespace motifora {

namespace {

constexpr const char* kHeader = "motifora discriminative rules 1";
constexpr int32_t kMaxConditions = 100000;

std::string real(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace

std::string ContrastSideFileName(const std::string& projectFileName) {
    return WithExtension(projectFileName, ".dnp") + ".contrast";
}

std::string ContrastRulesText(const ContrastRules& rules) {
    std::string text = std::string(kHeader) + "\n";
    std::string letters;
    for (int32_t code = 0; code < rules.letters.size(); ++code)
        letters += static_cast<char>(rules.letters.letterOf(code));
    text += "positives " + std::to_string(rules.positives) + " negatives " +
            std::to_string(rules.negatives) + " width " + std::to_string(rules.width) +
            " letters " + letters + "\n";
    for (const ContrastRule& r : rules.rules) {
        text += "rule " + real(r.fisher) + " " + real(r.cp) + " " + real(r.r) + " " +
                std::to_string(r.positivesHolding) + " " + std::to_string(r.negativesHolding) +
                " " + std::to_string(r.table.t11) + " " + std::to_string(r.table.t12) + " " +
                std::to_string(r.table.t21) + " " + std::to_string(r.table.t22) + " " +
                std::to_string(r.conditions.size());
        for (const RuleCondition& c : r.conditions)
            text += " " + std::to_string(c.position) + " " + std::to_string(c.sign) + " " +
                    std::to_string(c.letter);
        text += "\n";
    }
    return text;
}

Status ParseContrastRules(const std::string& text, const std::string& fileName,
                          ContrastRules& rules) {
    std::istringstream lines(text);
    std::string line;
    int32_t number = 0;
    auto failure = [&](const std::string& what) {
        return Status::failure(fileName + ", line " + std::to_string(number) + ": " + what,
                               fileName, number);
    };
    ++number;
    if (!std::getline(lines, line) || line != kHeader)
        return failure("not a discriminative rules file (the first line must be \"" +
                       std::string(kHeader) + "\")");
    ++number;
    ContrastRules read;
    {
        if (!std::getline(lines, line)) return failure("the sample line is missing");
        std::istringstream in(line);
        std::string w1, w2, w3, w4, letters;
        if (!(in >> w1 >> read.positives >> w2 >> read.negatives >> w3 >> read.width >> w4 >>
              letters) ||
            w1 != "positives" || w2 != "negatives" || w3 != "width" || w4 != "letters" ||
            read.positives < 0 || read.negatives < 0 || read.width < 0)
            return failure("expected \"positives P negatives N width W letters L\"");
        // The rules' map and scores are sized by the width: no more than a record may hold.
        if (read.width > kMaxRecordText)
            return failure("the width " + std::to_string(read.width) + " is more than the " +
                           std::to_string(kMaxRecordText) + " positions a sequence may have");
        for (char c : letters) {
            const auto letter = static_cast<unsigned char>(c);
            if (read.letters.codeOf(letter) >= 0 || !read.letters.addLetter(letter))
                return failure("the letters repeat or are too many");
        }
    }
    const int32_t alphabet = read.letters.size();
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty()) continue;
        std::istringstream in(line);
        std::string word;
        ContrastRule r;
        int64_t count = -1;
        if (!(in >> word >> r.fisher >> r.cp >> r.r >> r.positivesHolding >> r.negativesHolding >>
              r.table.t11 >> r.table.t12 >> r.table.t21 >> r.table.t22 >> count) ||
            word != "rule")
            return failure(
                "expected a rule: \"rule FISHER CP R POSITIVES NEGATIVES T11 T12 T21 "
                "T22 COUNT\" and its conditions");
        if (!(std::isfinite(r.fisher) && std::isfinite(r.cp) && std::fabs(r.r) < 1.0))
            return failure("Fisher, CP and R must be numbers and |R| below 1");
        if (count < 0 || count > kMaxConditions || count > read.width)
            return failure("the condition count " + std::to_string(count) +
                           " is not between 0 and the width");
        for (int64_t i = 0; i < count; ++i) {
            RuleCondition c;
            int32_t sign = 0;
            if (!(in >> c.position >> sign >> c.letter))
                return failure("condition " + std::to_string(i + 1) + " is missing");
            if (c.position < 0 || c.position >= read.width || (sign != 1 && sign != -1) ||
                c.letter < 0 || c.letter >= alphabet)
                return failure("condition " + std::to_string(i + 1) +
                               " has a position, sign or letter out of range");
            c.sign = static_cast<int16_t>(sign);
            c.kept = true;
            r.conditions.push_back(c);
        }
        if (in >> word) return failure("unexpected text after the conditions");
        read.rules.push_back(std::move(r));
    }
    read.complete = true;
    rules = std::move(read);
    return Status::success();
}

Status WriteContrastRules(const std::string& fileName, const ContrastRules& rules) {
    return WriteFileAtomically(fileName, ContrastRulesText(rules));
}

Status ReadContrastRules(const std::string& fileName, ContrastRules& rules) {
    std::string text;
    Status status =
        ReadWholeFile(fileName, text, kContrastMaxFileBytes, "a discriminative rules file");
    if (!status) return status;
    return ParseContrastRules(text, fileName, rules);
}

}  // namespace motifora
