// Text of BED6 and bedGraph tracks: the lines a genome scan writes, with scores written so that
// they read back as the same doubles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace motifora {

// The shortest decimal text that reads back as exactly `value` ("inf", "-inf", "nan" for the
// special values).
std::string formatTrackNumber(double value);

// Appends "chrom\tstart\tend\tname\tscore\tstrand\n" (0-based, half-open coordinates).
void appendBedLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                   std::string_view name, double score, char strand);
// Appends "chrom\tstart\tend\tvalue\n".
void appendBedGraphLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                        double value);
// Track lines naming the model; double quotes in the texts become single quotes.
std::string bedTrackLine(std::string_view name, std::string_view description);
std::string bedGraphTrackLine(std::string_view name, std::string_view description);

}  // namespace motifora
