// Projects at the stages of a piece of work, built from the bundled example data with the
// engines themselves; shared by the project tests, the benchmark and the fuzz corpus writer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Sequence.h"
#include "io/ProjectFile.h"

namespace motifora::testing {

enum class Stage {
    kSamplesOnly,          // learning positive sample loaded, nothing computed
    kAfterSearch,          // + object table and rules (fixed positions)
    kAfterIdealization,    // + ideal objects, learning objects classed
    kAfterClassification,  // + control negative sample, classed control negative objects
    kWithRecognition,      // + recognition table of the control negative grid
    kWithControlPositive,  // + control positive sample and its classed objects
    kWithLearnNegative,    // + learning negative sample and its objects
    kShiftMode,            // window storage (frame 10), rules and classes
};

// Every stage, in the order of the work.
const std::vector<Stage>& allStages();
// The stage's name as the tests print it.
std::string stageName(Stage stage);

// The first `count` records of an example file ("promoters_pos.seq", "promoters_neg.seq").
std::vector<Sequence> exampleRecords(const std::string& file, int32_t count);

// A project at `stage` over the first `sequences` records of each example sample.
ProjectData buildStage(Stage stage, int32_t sequences = 12);

// The bytes the writer makes of `data`; throws std::runtime_error with its message when it
// refuses (a test that meets it fails).
std::string encode(const ProjectData& data);

// The bytes of a project file held in a string, as the reader takes them.
std::span<const unsigned char> bytesOf(const std::string& bytes);

// The project the reader makes of `bytes`, named `name` in its messages; throws
// std::runtime_error with its message when it refuses (a test that meets it fails).
ProjectData decode(const std::string& bytes, const std::string& name = "test.dnp");

}  // namespace motifora::testing
