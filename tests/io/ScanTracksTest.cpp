// The scan's track lines: byte for byte the text of the former formatting (std::to_chars per
// number), over edge values and millions of generated ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "io/ScanTracks.h"
#include "support/FormerTrackLines.h"

namespace motifora {
namespace {

double fromBits(uint64_t bits) {
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Values where the fixed and scientific forms trade places, the ends of the range, integers
// around 2^53, and scores of the kind rule sums give.
std::vector<double> edgeValues() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.1,
                                  0.5,
                                  1.5,
                                  100.0,
                                  1200.0,
                                  1e5,
                                  123456.0,
                                  1e15,
                                  1e16,
                                  1e17,
                                  1e21,
                                  1e22,
                                  1e23,
                                  1e-4,
                                  1e-5,
                                  0.000123,
                                  1.2e-7,
                                  5e-324,
                                  -5e-324,
                                  2.2250738585072014e-308,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::lowest(),
                                  std::numeric_limits<double>::epsilon(),
                                  0x1p53,
                                  0x1p53 - 1,
                                  0x1p53 + 2,
                                  0x1p63,
                                  140.37185779221906,
                                  -3.9999999999999996,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int e = -330; e <= 310; ++e) {
        for (const double m : {1.0, 9.5, 1.25, 3.0000000000000004}) {
            values.push_back(m * std::pow(10.0, e));
            values.push_back(-m * std::pow(2.0, e));
        }
    }
    return values;
}

TEST(ScanTracks, NumbersAreWrittenAsTheFormerFormattingWroteThem) {
    std::vector<double> values = edgeValues();
    std::mt19937_64 random(20261208u);
    std::uniform_real_distribution<double> score(-500.0, 500.0);
    for (int i = 0; i < 1'000'000; ++i) {
        values.push_back(fromBits(random()));  // every exponent, NaNs and subnormals included
        values.push_back(score(random));
        values.push_back(std::round(score(random) * 1e6));
    }
    size_t differing = 0;
    for (const double value : values) {
        const std::string former = test::formerTrackNumber(value);
        const std::string now = formatTrackNumber(value);
        if (now == former) continue;
        if (++differing <= 10) ADD_FAILURE() << former << " became " << now;
    }
    EXPECT_EQ(differing, 0u) << "of " << values.size();
}

TEST(ScanTracks, LinesAreTheFormerLinesAsTheBufferGrows) {
    std::mt19937_64 random(7u);
    std::string former;
    TrackText bedGraph;
    TrackText bed;
    std::string formerBed;
    const std::string longName(300, 'x');  // longer than the room a line first reserves
    for (int i = 0; i < 50'000; ++i) {
        const std::string chrom = i % 1000 == 0 ? longName : "chr" + std::to_string(i % 7);
        const auto start = static_cast<int64_t>(random() >> (random() % 64));
        const double value = fromBits(random());
        test::formerBedGraphLine(former, chrom, start, start + 1, value);
        bedGraph.BedGraphLine(chrom, start, start + 1, value);
        test::formerBedLine(formerBed, chrom, start, start + 12, "class17", value,
                            i % 2 ? '+' : '-');
        bed.BedLine(chrom, start, start + 12, "class17", value, i % 2 ? '+' : '-');
    }
    EXPECT_EQ(bedGraph.View(), former);
    EXPECT_EQ(bed.View(), formerBed);

    // Runs of window starts, with gaps, across every carry of the counted positions.
    std::vector<double> values(3000);
    std::vector<uint8_t> valid(values.size());
    for (size_t j = 0; j < values.size(); ++j) {
        values[j] = fromBits(random());
        valid[j] = random() % 5 != 0 ? 1 : 0;
    }
    for (const int64_t first : {int64_t{0}, int64_t{9}, int64_t{998}, int64_t{99'999'500},
                                int64_t{-5}, std::numeric_limits<int64_t>::max() / 10 * 9}) {
        std::string expected;
        for (size_t j = 0; j < values.size(); ++j) {
            const int64_t start = first + static_cast<int64_t>(j);
            if (valid[j] != 0)
                test::formerBedGraphLine(expected, "chrM", start, start + 1, values[j]);
        }
        TrackText run;
        run.BedGraphLines("chrM", first, values.data(), valid.data(), values.size());
        EXPECT_EQ(run.View(), expected) << "from " << first;
    }
    bed.Clear();
    bed.Append("track\n");
    EXPECT_EQ(bed.View(), "track\n");
}

}  // namespace
}  // namespace motifora
