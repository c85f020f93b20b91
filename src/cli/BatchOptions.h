// The command line of motifora-cli: what a batch run loads, which processes it runs with which
// settings, and where it writes its results.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "classify/IdealizationType.h"
#include "cli/OptionReaders.h"
#include "workspace/SampleSide.h"

namespace motifora {

// The processes of a batch run, in the order they run.
enum class Stage : int32_t { Search = 0, Idealize, Classify, Recognize, Errors, Bootstrap };
constexpr int32_t kStageCount = 6;
// The stage's name on the command line ("search", "idealize", ...).
const char* stageName(Stage stage);
// The words of --idealization ("deleting", "inserting", "both") and --source ("objects",
// "rules"), which the JSON summary writes too.
const char* idealizationWord(IdealizationType type);
const char* idealizationSourceWord(IdealizationSource source);

// Everything the command line asked for. Settings are kept as the texts the user typed (after
// they have been checked here): the batch run types them into the window's edits exactly as a
// user would, so the window's own number reading decides what they mean, separator switch
// included. A setting that was not given is left empty, so a project's own settings stay.
struct BatchOptions {
    std::string positive;
    std::string negative;
    std::string controlNegative;
    std::string controlPositive;
    std::string open;

    std::optional<bool> shiftMode;
    std::optional<std::string> width;
    std::optional<std::string> confidence;
    std::optional<std::string> cp;
    std::optional<std::string> finish;
    std::optional<std::string> sub;
    std::optional<IdealizationType> idealizationType;
    std::optional<IdealizationSource> source;
    std::optional<bool> arrange;

    // Stages asked for with --stages; empty = every stage the inputs allow.
    std::optional<std::array<bool, kStageCount>> stages;
    // First and last class (1-based) for error counting; empty = all classes.
    std::optional<std::pair<int32_t, int32_t>> classes;
    std::optional<std::string> level;
    std::optional<std::string> firstError;
    std::optional<SampleSide> positiveSide;
    std::optional<SampleSide> negativeSide;

    // The bootstrap window's three entries, as typed.
    std::string bootstrapPercent = "10";
    std::string bootstrapIterations = "1";
    std::string bootstrapError = "0";
    std::optional<uint32_t> seed;
    std::optional<int32_t> threads;

    // Held-out evaluation: folds and seed of --cross-validate, its level rule, the score table
    // and the evaluation report.
    std::optional<int32_t> crossValidateFolds;
    uint64_t crossValidateSeed = 1;
    std::optional<std::string> wantedFirstError;
    bool balanced = false;
    std::string scores;
    std::string evaluationReport;
    // Discriminative regularities (rules that tell the learning positives from the negatives) and
    // their score, cross-validated beside the class score with --cross-validate.
    bool contrast = false;
    // Each fold of the discriminative cross-validation chooses its CP threshold on its own
    // training sequences (an inner cross-validation).
    bool contrastTune = false;
    // The discriminative score: "sum" (the sum of -ln(1 - |r|), the default), "fitted" (one
    // weight per rule and per letter at a position, and an intercept, by regularised logistic
    // regression) or "fitted-rules" (the rules only).
    std::string contrastWeights = "sum";
    // The conditions of the discriminative search: their tolerance (several with --contrast-tune:
    // the candidates each fold chooses among; empty: 0, exact positions) and word length.
    std::vector<int32_t> contrastTolerances;
    int32_t contrastWordLength = 1;
    // A learning negative sample made when there is none (--shuffled-negatives N[,K[,SEED]], or
    // --background-genome FILE with --background-count N and --background-seed S), written to
    // --generated-negatives FILE.seq and loaded from there as the window's "Generate
    // negatives..." does.
    struct NegativeGeneration {
        bool genome = false;
        int32_t count = 0;
        int32_t k = 2;
        uint64_t seed = 1;
        std::string genomePath;
        std::string out;
    };
    std::optional<NegativeGeneration> generateNegatives;

    std::string save;
    std::string exportText;
    std::string report;
    std::string json;
    bool quiet = false;
    // Language of the window's messages on standard error: "ru", the system's own words as
    // they stand (partly Russian, the default), or "en".
    std::string lang = "ru";

    // True when --stages named `stage` explicitly.
    bool stageRequested(Stage stage) const {
        return stages && (*stages)[static_cast<size_t>(stage)];
    }
    // True when the stage may run: asked for, or no --stages given.
    bool stageWanted(Stage stage) const { return !stages || stageRequested(stage); }
};

// The outcome of reading the command line: either options to run with, or an exit code with
// the texts to print (help, version, or an error with the usage line).
struct ParseOutcome {
    bool run = false;
    int exitCode = 0;
    std::string out;  // for standard output (help, version)
    std::string err;  // for standard error (what is wrong, the usage line)
    BatchOptions options;
};

// Reads the command line (argv[0] is the program). Never throws and never exits the process.
ParseOutcome parseArguments(int argc, const char* const* argv);
ParseOutcome parseArguments(const std::vector<std::string>& arguments);

// The usage line printed with every argument error.
extern const char* const kUsageLine;

}  // namespace motifora
