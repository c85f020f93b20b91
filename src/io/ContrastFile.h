// The side file of a project that keeps its discriminative rules ("PROJECT.dnp.contrast"), so
// that the project file itself stays exactly as every reader of it expects. A text file:
//
//   motifora discriminative rules 1
//   positives P negatives N width W letters ACGT
//   rule FISHER CP R POSITIVES NEGATIVES T11 T12 T21 T22 COUNT (POSITION SIGN LETTER){COUNT}
//
// one "rule" line per rule in the list's order; reals are written with 17 significant digits so
// that they read back bit for bit; positions are 0-based, letters are codes of the letters line.
#pragma once

#include <cstddef>
#include <string>

#include "core/Status.h"
#include "rules/ContrastSearch.h"

namespace motifora {

// The side file's name for a project file name.
std::string ContrastSideFileName(const std::string& projectFileName);

std::string ContrastRulesText(const ContrastRules& rules);
// Reads the text of a side file. On a failure `rules` is left as it was and the message names
// `fileName`, the line and what is wrong.
Status ParseContrastRules(const std::string& text, const std::string& fileName,
                          ContrastRules& rules);

// The largest side file read; a larger one is refused before anything is allocated.
inline constexpr size_t kContrastMaxFileBytes = size_t{1} << 30;

Status WriteContrastRules(const std::string& fileName, const ContrastRules& rules);
// Reads a side file: a regular file (a pipe is refused without waiting for a writer) of at most
// kContrastMaxFileBytes bytes. A failure names the file and what is wrong.
Status ReadContrastRules(const std::string& fileName, ContrastRules& rules);

}  // namespace motifora
