// The headlines of the sample loads: what was done to the data, said when it is done (records
// cut at 1023 letters, samples of mixed lengths in fixed positions).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/Sequence.h"
#include "genome/SampleFile.h"

namespace motifora {

// Appends `line` (when not empty) to a headline of several lines.
void addHeadlineLine(std::string& headline, const std::string& line);

// How many of the `recordCount` records the ".seq" reader cut at 1023 letters, how long the
// longest was, and that FASTA keeps whole records; empty when none was cut.
std::string cutRecordsHeadline(const SampleRead& read, size_t recordCount);

// For a learning positive sample in fixed positions: how many records are shorter than the
// longest, the lengths it holds and what the search does with them; empty when all are as long.
std::string shorterPositivesHeadline(const std::vector<Sequence>& records);

// The same for learning negatives against the positives' width.
std::string shorterNegativesHeadline(const std::vector<Sequence>& positives,
                                     const std::vector<Sequence>& negatives);

}  // namespace motifora
