// The readers the options of motifora-cli and of `motifora-cli scan` share: numbers with a
// decimal point or comma, whole numbers, seeds and "K[,SEED]" (class lists: core/ClassList.h),
// each giving back the text the command line prints when the value is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace motifora {

// Reads a real number written with a decimal point or a decimal comma (blanks at either end
// allowed). Returns false when the text is neither.
bool readUserReal(const std::string& text, double& value);

// The texts of the refusals, "OPTION: " and what is wrong; empty when the value was taken.
// A real from `least` to `most`: "--cp: \"1,5\" is not a number from 0 to 1".
std::string realRefusal(const std::string& option, const std::string& text, double least,
                        double most, double& value);
// Any real: "--level: \"x\" is not a number".
std::string numberRefusal(const std::string& option, const std::string& text, double& value);
// A whole decimal number (blanks and a '+' allowed) from `least` to `most`, refused with
// "OPTION: \"TEXT\" is not " followed by `rule` ("a whole number of at least 1").
std::string wholeRefusal(const std::string& option, const std::string& text, int32_t least,
                         int32_t most, const std::string& rule, int32_t& value);

// A seed: decimal digits (blanks around them allowed) for a value from 0 to
// 9999999999999999999. Returns false when the text is not one.
bool readSeed(const std::string& text, uint64_t& seed);
// "the seed \"TEXT\" is not a whole number from 0 to 9999999999999999999", the words every seed
// refusal uses after its option.
std::string seedRefusal(const std::string& text);

// "K[,SEED]": K a whole number of at least kLeastFolds (checkCrossValidationField), the seed as
// readSeed reads it; blanks around either allowed. Returns the refusal after "OPTION: ", or ""
// with `folds` (and `seed` when given) set.
std::string foldsAndSeedRefusal(const std::string& text, int32_t& folds, uint64_t& seed);

// The texts of the command line split at its commas, blanks around each part trimmed.
std::vector<std::string> splitCommas(const std::string& text);

}  // namespace motifora
