// The readers both commands of motifora-cli share.
#include "cli/OptionReaders.h"

#include <algorithm>
#include <cctype>

#include "core/NumberFormat.h"
#include "core/TextItems.h"
#include "evaluation/CrossValidation.h"

namespace motifora {

namespace {

std::string plain(double value) { return NumberFormat('.').general(value); }

}  // namespace

bool readUserReal(const std::string& text, double& value) {
    // Either separator, whatever the program-wide one is: the checks here must not switch it.
    return NumberFormat::readEitherSeparator(text, value);
}

std::string realRefusal(const std::string& option, const std::string& text, double least,
                        double most, double& value) {
    double read = 0.0;
    if (readUserReal(text, read) && read >= least && read <= most) {
        value = read;
        return {};
    }
    return option + ": \"" + text + "\" is not a number from " + plain(least) + " to " +
           plain(most);
}

std::string numberRefusal(const std::string& option, const std::string& text, double& value) {
    if (readUserReal(text, value)) return {};
    return option + ": \"" + text + "\" is not a number";
}

std::string wholeRefusal(const std::string& option, const std::string& text, int32_t least,
                         int32_t most, const std::string& rule, int32_t& value) {
    int32_t read = 0;
    if (NumberFormat::readInteger(text, read) && read >= least && read <= most) {
        value = read;
        return {};
    }
    return option + ": \"" + text + "\" is not " + rule;
}

bool readSeed(const std::string& text, uint64_t& seed) {
    std::string digits(trimBlanks(text));
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (digits.size() > 19) return false;
    seed = std::stoull(digits);
    return true;
}

std::string seedRefusal(const std::string& text) {
    return "the seed \"" + text + "\" is not a whole number from 0 to 9999999999999999999";
}

std::string foldsAndSeedRefusal(const std::string& text, int32_t& folds, uint64_t& seed) {
    const std::vector<std::string> parts = splitCommas(text);
    int32_t k = 0;
    if (parts.size() > 2 || !NumberFormat::readInteger(parts[0], k) ||
        checkCrossValidationField(CrossValidationField::Folds, k))
        return "\"" + text + "\" is not K[,SEED] with K a whole number of at least " +
               std::to_string(kLeastFolds);
    uint64_t read = seed;
    if (parts.size() == 2 && !readSeed(parts[1], read)) return seedRefusal(parts[1]);
    folds = k;
    seed = read;
    return {};
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    for (const std::string_view item : commaItems(text)) parts.emplace_back(item);
    return parts;
}

}  // namespace motifora
