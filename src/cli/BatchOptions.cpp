// Reading and checking the command line of motifora-cli with CLI11.
#include "cli/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <climits>

#include "cli/ExitCode.h"
#include "cli/OptionGroup.h"
#include "cli/OptionReaders.h"
#include "core/ClassList.h"
#include "core/NumberFormat.h"
#include "evaluation/CrossValidation.h"
#include "rules/ContrastSearch.h"
#include "rules/SearchSettings.h"
#include "version/Version.h"

namespace motifora {

const char* const kUsageLine = "Usage: motifora-cli [OPTIONS]";

namespace {

const char* const kStageNames[kStageCount] = {"search",    "idealize", "classify",
                                              "recognize", "errors",   "bootstrap"};

const char* const kFooter =
    R"(Stages run in this order: search (regularity search), idealize (ideal objects,
classes), classify (control samples), recognize (scores of the control data), errors
(recognition error counting), bootstrap. Without --stages every stage the inputs allow
runs; --stages none only loads and writes the outputs.

Numbers are accepted with a decimal point or a decimal comma (0.05 or 0,05); they are
typed into the window's fields as given, so the program-wide decimal separator switches
exactly as it does in the window.

Every message the window would show is printed on standard error; progress of the long
processes goes there too (not with --quiet). A summary is printed on standard output.
Ctrl-C stops the running process as its stop button does; no output is written then.

Exit codes: 0 success; 2 bad arguments; 3 an input file was refused; 4 a process could
not run (for example no regularities, so no classes); 5 an output file could not be
written (an earlier file of that name is left untouched); 130 interrupted.)";

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Collects the first problem found; later checks keep the first message.
class Problems {
  public:
    // An empty text is no problem.
    void add(const std::string& text) {
        if (first_.empty()) first_ = text;
    }
    bool any() const { return !first_.empty(); }
    const std::string& first() const { return first_; }

  private:
    std::string first_;
};

void checkReal(Problems& problems, const char* option, const std::optional<std::string>& text,
               SearchBounds bounds) {
    if (!text) return;
    double value = 0.0;
    problems.add(realRefusal(option, *text, bounds.least, bounds.most, value));
}

// The buffers of the search hold one slot per rule they may keep, allocated when the search
// starts; sizes beyond this would exhaust the memory and end the program instead of a message.
constexpr int32_t kLargestBuffer = 1000000;

// The search settings given on the command line, read and checked as the window checks them
// (with the buffer limit above); the message names the option as typed.
void checkSearchSettings(Problems& problems, const BatchOptions& o) {
    const SearchSettingsText typed{o.confidence, o.cp, o.finish, o.sub, o.width};
    SearchSettings read;
    const std::optional<SearchProblem> problem =
        readSearchSettings(typed, readUserReal, read, kLargestBuffer);
    if (!problem) return;
    const struct {
        const char* option;
        const std::optional<std::string>& text;
        const char* rule;  // what a whole number must be; null for the reals
    } kinds[] = {
        {"--confidence", o.confidence, nullptr},
        {"--cp", o.cp, nullptr},
        {"--finish", o.finish, "a whole number above 1"},
        {"--sub", o.sub, "a whole number of at least 1"},
        {"--width", o.width, "a whole number above 2"},
    };
    const auto& field = kinds[static_cast<size_t>(problem->field)];
    const std::string what = std::string(field.option) + ": \"" + *field.text + "\" is ";
    if (field.rule == nullptr) {
        const SearchBounds bounds = searchBounds(problem->field);
        double value = 0.0;
        problems.add(realRefusal(field.option, *field.text, bounds.least, bounds.most, value));
    } else if (problem->fault == SearchFault::AboveMost) {
        problems.add(what + "more than " + std::to_string(static_cast<int32_t>(problem->bound)) +
                     ", more rules than a buffer can hold in memory");
    } else {
        problems.add(what + "not " + field.rule);
    }
}

bool parseStages(const std::string& text, std::array<bool, kStageCount>& stages,
                 std::string& error) {
    stages.fill(false);
    const std::vector<std::string> names = splitCommas(text);
    if (names.size() == 1 && names[0] == "none") return true;
    if (names.size() == 1 && names[0] == "all") {
        stages.fill(true);
        return true;
    }
    for (const std::string& name : names) {
        const auto* found = std::find(std::begin(kStageNames), std::end(kStageNames), name);
        if (found == std::end(kStageNames)) {
            error = "--stages: \"" + name +
                    "\" is not a stage (search, idealize, classify, recognize, errors, "
                    "bootstrap, or none alone)";
            return false;
        }
        stages[static_cast<size_t>(found - std::begin(kStageNames))] = true;
    }
    return true;
}

// "2-4", "2,3,4" or "3" (readClassList): the classes must form one run of consecutive numbers,
// because the window counts the errors of the rows selected in one block of the ideal-object
// list.
bool parseClasses(const std::string& text, std::pair<int32_t, int32_t>& range, std::string& error) {
    std::vector<ClassRange> ranges;
    std::string bad;
    if (!readClassList(text, ranges, &bad)) {
        error = "--classes: \"" + bad + "\" is not a class number (1, 2, ...) or a range (2-4)";
        return false;
    }
    const std::optional<ClassRange> block = classBlock(ranges);
    if (!block) {
        error = "--classes: \"" + text +
                "\" leaves gaps; the errors are counted over one block of consecutive classes "
                "(for example 2-5)";
        return false;
    }
    range = {block->first, block->last};
    return true;
}

// PERCENT,ITERATIONS[,ERROR], where ERROR may itself hold a decimal comma ("10,5,0,05").
bool parseBootstrap(const std::string& text, BatchOptions& options, std::string& error) {
    std::vector<std::string> parts = splitCommas(text);
    if (parts.size() == 4 && allDigits(parts[2]) && allDigits(parts[3])) {
        parts[2] += "," + parts[3];
        parts.pop_back();
    }
    const std::string what = "--bootstrap: \"" + text + "\"";
    if (parts.size() < 2 || parts.size() > 3) {
        error = what + " is not PERCENT,ITERATIONS[,ERROR]";
        return false;
    }
    int32_t percent = 0;
    if (!NumberFormat::readInteger(parts[0], percent) || percent < 1 || percent > 99) {
        error = what + ": the percentage must be a whole number from 1 to 99";
        return false;
    }
    int32_t iterations = 0;
    if (!NumberFormat::readInteger(parts[1], iterations) || iterations < 1) {
        error = what + ": the number of iterations must be a whole number of at least 1";
        return false;
    }
    options.bootstrapPercent = parts[0];
    options.bootstrapIterations = parts[1];
    if (parts.size() == 3) {
        double wanted = 0.0;
        if (!readUserReal(parts[2], wanted) || wanted < 0.0 || wanted > 1.0) {
            error = what + ": the first-level error must be a number from 0 to 1";
            return false;
        }
        options.bootstrapError = parts[2];
    }
    return true;
}

// Checks that need several options together; the first problem found is reported.
void checkCombinations(const BatchOptions& o, Problems& problems) {
    const bool fromProject = !o.open.empty();
    if (fromProject && !o.positive.empty())
        problems.add(
            "--open starts from a saved project and --positive starts a new one; give "
            "only one of them");
    if (!fromProject && o.positive.empty())
        problems.add(
            "nothing to work on: give --positive FILE.seq (a new analysis) or --open "
            "FILE.dnp (a saved project)");
    if (!fromProject && !o.controlPositive.empty() && o.controlNegative.empty())
        problems.add(
            "--control-positive needs --control-negative: the window loads the "
            "control negative sample first");
    const bool shift = o.shiftMode.value_or(false);
    if (shift && !o.controlPositive.empty())
        problems.add("--control-positive is not accessible in shift-positions mode");
    if (!fromProject) {
        const bool control = !o.controlNegative.empty();
        for (Stage s : {Stage::Classify, Stage::Recognize, Stage::Errors, Stage::Bootstrap})
            if (o.stageRequested(s) && !control)
                problems.add(std::string("stage ") + stageName(s) +
                             " needs a control negative sample (--control-negative)");
        if (o.stageRequested(Stage::Bootstrap) && o.negative.empty())
            problems.add("stage bootstrap needs a learning negative sample (--negative)");
        if (o.positiveSide == SampleSide::kControl && o.controlPositive.empty())
            problems.add("--positive-side control needs --control-positive");
        if (o.negativeSide == SampleSide::kControl && !control)
            problems.add("--negative-side control needs --control-negative");
        if (o.negativeSide == SampleSide::kLearning && o.negative.empty())
            problems.add("--negative-side learning needs --negative");
    }
    if (shift && o.stageRequested(Stage::Errors))
        problems.add(
            "stage errors is not available in shift-positions mode (the window counts "
            "errors of whole aligned sequences only)");
    if (shift && o.stageRequested(Stage::Bootstrap))
        problems.add("stage bootstrap is not available in shift-positions mode");
}

}  // namespace

const char* stageName(Stage stage) { return kStageNames[static_cast<size_t>(stage)]; }

const char* idealizationWord(IdealizationType type) {
    switch (type) {
        case IdealizationType::kDeletingBegin:
            return "deleting";
        case IdealizationType::kInsertingBegin:
            return "inserting";
        case IdealizationType::kDeletingInserting:
            return "both";
    }
    return "";  // not reached: every type has its case above
}

const char* idealizationSourceWord(IdealizationSource source) {
    switch (source) {
        case IdealizationSource::kObjects:
            return "objects";
        case IdealizationSource::kRules:
            return "rules";
    }
    return "";  // not reached: every source has its case above
}

ParseOutcome parseArguments(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    return parseArguments(static_cast<int>(argv.size()), argv.data());
}

namespace {

// The command line as typed, where BatchOptions keeps something else: the text of every such
// option that was given (an option not given stays empty) and whether each flag that takes part
// in a check was given.
struct TypedArguments {
    std::optional<std::string> mode, threads, idealization, source, stages, classes;
    std::optional<std::string> positiveSide, negativeSide, bootstrap, seed, crossValidate;
    std::optional<std::string> contrastWeights, contrastTolerance, contrastWord;
    std::optional<std::string> shuffledNegatives, backgroundGenome, backgroundCount, backgroundSeed,
        generatedNegatives;
    bool arrange = false;
    bool noArrange = false;
    bool balanced = false;
    bool contrast = false;
    bool contrastTune = false;
};

// The flags whose presence the checks need (a flag given as --flag=false is given all the same).
struct CheckedFlags {
    CLI::Option* arrange = nullptr;
    CLI::Option* noArrange = nullptr;
    CLI::Option* balanced = nullptr;
    CLI::Option* contrast = nullptr;
    CLI::Option* contrastTune = nullptr;

    void readInto(TypedArguments& typed) const {
        typed.arrange = arrange->count() > 0;
        typed.noArrange = noArrange->count() > 0;
        typed.balanced = balanced->count() > 0;
        typed.contrast = contrast->count() > 0;
        typed.contrastTune = contrastTune->count() > 0;
    }
};

const char* const kDescription =
    "motifora-cli runs a whole Motifora analysis without a window: it loads the\n"
    "samples (or a project), runs the regularity search, idealization,\n"
    "classification, recognition, error counting and bootstrap through the same\n"
    "window model as the workbench, and writes the same project, text export and\n"
    "report files.";

// Declares every option of motifora-cli: file names and output switches go straight into `o`,
// the texts that become something else into `typed`.
CheckedFlags declareOptions(CLI::App& app, BatchOptions& o, TypedArguments& typed) {
    app.set_version_flag("--version", "motifora-cli " + versionText(),
                         "Print the version and exit");
    app.footer(kFooter);
    app.get_formatter()->column_width(38);
    CheckedFlags flags;

    OptionGroup inputs(app, "Inputs");
    inputs.text("--positive", o.positive, "FILE", "Learning positive sample (.seq)");
    inputs.text("--negative", o.negative, "FILE", "Learning negative sample (.seq)");
    inputs.text("--control-negative", o.controlNegative, "FILE", "Control negative sample (.seq)");
    inputs.text("--control-positive", o.controlPositive, "FILE",
                "Control positive sample (.seq); needs --control-negative");
    inputs.text("--open", o.open, "FILE.dnp",
                "Start from a saved project instead of samples; options given as well "
                "override its settings, samples given as well replace its samples");

    OptionGroup search(app, "Regularity search");
    search.typed("--mode", typed.mode, "fixed|shift",
                 "Alignment type: fixed or shift (default fixed)", {"fixed", "shift"});
    search.typed("--width", o.width, "N", "Width of the scanning frame, shift mode (default 10)");
    search.typed("--confidence", o.confidence, "X",
                 "Confidence interval of the Fisher criterion, 0..1 (default 0,05)");
    search.typed("--cp", o.cp, "X", "Minimum conditional probability, 0..1 (default 0,8)");
    search.typed("--finish", o.finish, "N", "Size of the finish buffer, 2..1000000 (default 500)");
    search.typed("--sub", o.sub, "N", "Size of the sub-buffers, 1..1000000 (default 50)");
    search.typed("--threads", typed.threads, "N",
                 "Threads of the whole run: the search, the idealization, the folds of a "
                 "cross-validation and their searches together use at most N (default: every "
                 "core the program may run on); results do not depend on it");

    OptionGroup idealization(app, "Idealization");
    idealization.typed("--idealization", typed.idealization, "deleting|inserting|both",
                       "Idealization type: deleting, inserting or both (default deleting)",
                       {"deleting", "inserting", "both"});
    idealization.typed("--source", typed.source, "objects|rules",
                       "Ideal objects generated from the original objects or the regularities "
                       "(default objects)",
                       {"objects", "rules"});

    OptionGroup evaluation(app, "Recognition and errors");
    flags.arrange = evaluation.flag("--arrange", typed.arrange,
                                    "Arrange the recognition scores of a row in order");
    flags.noArrange = evaluation.flag("--no-arrange", typed.noArrange,
                                      "Do not arrange them (a project's setting otherwise stays)");
    OptionGroup(app, "Run")
        .typed("--stages", typed.stages, "LIST",
               "Comma-separated stages to run: search, idealize, classify, "
               "recognize, errors, bootstrap; or none (load, then only write "
               "the outputs) (default: every stage the inputs allow)");
    evaluation.typed("--classes", typed.classes, "LIST",
                     "Classes (1-based) for error counting and the scanning recognition, one "
                     "block: 3, 2-5 or 2,3,4 (default: all; the scan takes the first)");
    evaluation.typed("--level", o.level, "X",
                     "Recognition level to count the errors with (or the level line of a scan)");
    evaluation.typed("--first-error", o.firstError, "X",
                     "Wanted first-level error 0..1; the level is derived from it");
    evaluation.typed("--positive-side", typed.positiveSide, "learning|control",
                     "Positive objects of the error counting: learning or control",
                     {"learning", "control"});
    evaluation.typed("--negative-side", typed.negativeSide, "learning|control",
                     "Negative objects of the error counting: learning or control",
                     {"learning", "control"});

    OptionGroup bootstrap(app, "Bootstrap");
    bootstrap.typed("--bootstrap", typed.bootstrap, "P,T[,E]",
                    "Bootstrap: percentage held out, iterations and wanted first-level error "
                    "(default 10,1,0)");
    bootstrap.typed("--seed", typed.seed, "N",
                    "Seed of the bootstrap draws (default 1, as the window)");

    OptionGroup heldOut(app, "Held-out evaluation");
    heldOut.typed("--cross-validate", typed.crossValidate, "K[,SEED]",
                  "Stratified K-fold cross-validation of the learning samples with the current "
                  "settings (seed default 1); prints the held-out AUC, level and errors");
    heldOut.typed("--wanted-first-error", o.wantedFirstError, "E",
                  "Held-out level: the highest whose first-level error stays within E, 0..1 "
                  "(default 0,05)");
    flags.balanced = heldOut.flag("--balanced", o.balanced,
                                  "Held-out level: the best balanced accuracy instead");
    flags.contrast = heldOut.flag(
        "--contrast", o.contrast,
        "Discriminative regularities: rules that tell the learning positives from the learning "
        "negatives, and the score they give (cross-validated beside the class score with "
        "--cross-validate)");
    flags.contrastTune =
        heldOut.flag("--contrast-tune", o.contrastTune,
                     "With --contrast and --cross-validate: each fold chooses the CP threshold "
                     "(0,6 0,7 0,8 0,9) and sub-buffer size (50 200) of its discriminative "
                     "search by an inner cross-validation of its own training sequences, and "
                     "calibrates its scores to probabilities on that inner cross-validation");
    heldOut.typed("--contrast-weights", typed.contrastWeights, "sum|fitted|fitted-rules",
                  "With --contrast: the score is the sum of -ln(1 - |r|) (sum, the default), or "
                  "a log-odds fitted by L2-regularised logistic regression over the rules and "
                  "the single letters at their positions (fitted) or over the rules only "
                  "(fitted-rules), the regularisation chosen by an inner cross-validation",
                  {"sum", "fitted", "fitted-rules"});
    heldOut.typed("--contrast-tolerance", typed.contrastTolerance, "T[,T...]",
                  "With --contrast: a condition holds when its letter (or word) begins anywhere "
                  "within T positions of its place (default 0, the place itself); several values "
                  "with --contrast-tune or fitted weights: each fold chooses among them by its "
                  "inner cross-validation");
    heldOut.typed("--contrast-word", typed.contrastWord, "K",
                  "With --contrast: conditions on words of K letters instead of single letters "
                  "(1 to 3, default 1; at most 64 different words)");
    OptionGroup background(app, "Negatives made when there are none");
    background.typed("--shuffled-negatives", typed.shuffledNegatives, "N[,K[,SEED]]",
                     "A learning negative sample of N shuffles of the learning positives that "
                     "keep every K-mer count (K default 2, seed default 1)");
    background.typed("--background-genome", typed.backgroundGenome, "FILE.fa[.gz]",
                     "A learning negative sample of windows of this genome, of the positives' "
                     "width, matched to their GC content, without N (with --background-count)");
    background.typed("--background-count", typed.backgroundCount, "N",
                     "Windows drawn from --background-genome");
    background.typed("--background-seed", typed.backgroundSeed, "SEED",
                     "Seed of the genome windows (default 1)");
    background.typed("--generated-negatives", typed.generatedNegatives, "FILE.seq",
                     "Where the made negatives are written (an ordinary sample, then loaded as "
                     "the learning negative sample)");
    heldOut.text("--scores", o.scores, "FILE.tsv",
                 "Write every scored sequence (control data, and held-out learning data with "
                 "--cross-validate) as a table");
    heldOut.text("--evaluation-report", o.evaluationReport, "FILE.html",
                 "Write the evaluation report: ROC, precision-recall, histograms, logos, folds, "
                 "rules (.html is appended when missing)");

    OptionGroup outputs(app, "Outputs");
    outputs.text("--save", o.save, "FILE.dnp", "Write the project (.dnp is appended when missing)");
    outputs.text("--export-text", o.exportText, "FILE.txt",
                 "Write the text export (.txt is appended when missing)");
    outputs.text("--report", o.report, "FILE.html",
                 "Write the HTML report of the error counting or of the scan (.html is appended "
                 "when missing)");
    outputs.text("--json", o.json, "FILE.json", "Write a machine-readable summary");
    outputs.flag("--quiet", o.quiet, "No progress and no success messages on standard error");
    app.add_option("--lang", o.lang,
                   "Language of the messages on standard error: ru, the program's own words "
                   "(default), or en (English)")
        ->check(CLI::IsMember({"en", "ru"}))
        ->type_name("en|ru")
        ->group("Outputs");
    return flags;
}

// The side named by --positive-side or --negative-side: "learning", or "control", the other
// word the parser lets through.
SampleSide sideOf(const std::string& text) {
    return text == "learning" ? SampleSide::kLearning : SampleSide::kControl;
}

// "K[,SEED]" of --cross-validate.
void checkCrossValidate(Problems& problems, const std::string& text, BatchOptions& o) {
    int32_t folds = 0;
    const std::string refused = foldsAndSeedRefusal(text, folds, o.crossValidateSeed);
    if (!refused.empty())
        problems.add("--cross-validate: " + refused);
    else
        o.crossValidateFolds = folds;
}

// A whole number from `least` to 999999999 from `text`, or a problem naming `option`.
std::optional<int64_t> wholeAtLeast(Problems& problems, const std::string& option,
                                    const std::string& text, int32_t least) {
    int32_t value = 0;
    const std::string refused =
        wholeRefusal(option, text, least, 999999999,
                     "a whole number of at least " + std::to_string(least), value);
    problems.add(refused);
    if (!refused.empty()) return std::nullopt;
    return value;
}

// --contrast-tolerance T[,T...] and --contrast-word K.
void checkContrastShape(Problems& problems, const TypedArguments& t, BatchOptions& o) {
    if ((t.contrastTolerance || t.contrastWord) && !t.contrast)
        problems.add(
            "--contrast-tolerance and --contrast-word shape the rules of --contrast; give it");
    if (t.contrastTolerance) {
        for (const std::string& part : splitCommas(*t.contrastTolerance)) {
            int32_t value = 0;
            const std::string refused = wholeRefusal("--contrast-tolerance", part, 0, 50,
                                                     "a whole number from 0 to 50", value);
            problems.add(refused);
            if (refused.empty()) o.contrastTolerances.push_back(value);
        }
        if (o.contrastTolerances.size() > 1 && !t.contrastTune &&
            (!t.contrastWeights || *t.contrastWeights == "sum"))
            problems.add(
                "--contrast-tolerance: several values are candidates of an inner "
                "cross-validation; give --contrast-tune, fitted weights or one value");
    }
    if (t.contrastWord) {
        int32_t value = 1;
        const std::string refused = wholeRefusal(
            "--contrast-word", *t.contrastWord, 1, kContrastMaxWordLength,
            "a whole number from 1 to " + std::to_string(kContrastMaxWordLength), value);
        problems.add(refused);
        if (refused.empty()) o.contrastWordLength = value;
    }
}

// --shuffled-negatives N[,K[,SEED]], --background-genome/-count/-seed, --generated-negatives.
void checkNegativeGeneration(Problems& problems, const TypedArguments& t, BatchOptions& o) {
    const bool shuffled = t.shuffledNegatives.has_value();
    const bool genome = t.backgroundGenome.has_value() || t.backgroundCount.has_value();
    if (!shuffled && !genome) {
        if (t.generatedNegatives || t.backgroundSeed)
            problems.add(
                "--generated-negatives and --background-seed go with --shuffled-negatives or "
                "--background-genome");
        return;
    }
    BatchOptions::NegativeGeneration g;
    if (shuffled && genome)
        problems.add("--shuffled-negatives and --background-genome exclude each other");
    if (!o.negative.empty() || !o.open.empty())
        problems.add(
            "--shuffled-negatives and --background-genome make the learning negative sample; "
            "give no --negative or --open");
    if (o.positive.empty())
        problems.add("--shuffled-negatives and --background-genome need --positive");
    if (!t.generatedNegatives || t.generatedNegatives->empty())
        problems.add("the made negatives need a file: give --generated-negatives FILE.seq");
    else
        g.out = *t.generatedNegatives;
    if (shuffled) {
        const std::vector<std::string> parts = splitCommas(*t.shuffledNegatives);
        if (parts.size() > 3) {
            problems.add("--shuffled-negatives: \"" + *t.shuffledNegatives +
                         "\" is not N[,K[,SEED]]");
        } else {
            if (auto n = wholeAtLeast(problems, "--shuffled-negatives", parts[0], 1))
                g.count = static_cast<int32_t>(*n);
            if (parts.size() > 1)
                if (auto k = wholeAtLeast(problems, "--shuffled-negatives K", parts[1], 1))
                    g.k = static_cast<int32_t>(*k);
            if (parts.size() > 2 && !readSeed(parts[2], g.seed))
                problems.add("--shuffled-negatives: " + seedRefusal(parts[2]));
        }
    } else {
        g.genome = true;
        if (!t.backgroundGenome || t.backgroundGenome->empty())
            problems.add("--background-count needs --background-genome FILE.fa[.gz]");
        else
            g.genomePath = *t.backgroundGenome;
        if (!t.backgroundCount)
            problems.add("--background-genome needs --background-count N");
        else if (auto n = wholeAtLeast(problems, "--background-count", *t.backgroundCount, 1))
            g.count = static_cast<int32_t>(*n);
        if (t.backgroundSeed && !readSeed(*t.backgroundSeed, g.seed))
            problems.add("--background-seed: \"" + *t.backgroundSeed +
                         "\" is not a whole number from 0 to 9999999999999999999");
    }
    o.generateNegatives = g;
}

// The seed of --seed: a whole number from 0 to 4294967295.
void checkSeed(Problems& problems, const std::string& seed, BatchOptions& o) {
    uint64_t value = 0;
    if (!readSeed(seed, value) || value > 4294967295ULL)
        problems.add("--seed: \"" + seed + "\" is not a whole number from 0 to 4294967295");
    else
        o.seed = static_cast<uint32_t>(value);
}

// Adds `error` when `parsed` failed.
void keepError(Problems& problems, bool parsed, const std::string& error) {
    if (!parsed) problems.add(error);
}

// Checks what was typed and stores it in `o`. Returns the first problem found, or an empty
// text when the command line can run.
std::string validate(const TypedArguments& t, BatchOptions& o) {
    Problems problems;
    if (t.arrange && t.noArrange) problems.add("--arrange and --no-arrange exclude each other");
    if (o.level && o.firstError)
        problems.add(
            "--level and --first-error exclude each other: give the level, or the "
            "wanted first-level error it is derived from");
    if (t.mode) o.shiftMode = *t.mode == "shift";
    if (t.idealization) {
        for (const IdealizationType type : kIdealizationTypes)
            if (*t.idealization == idealizationWord(type)) o.idealizationType = type;
    }
    if (t.source) {
        o.source = *t.source == idealizationSourceWord(IdealizationSource::kRules)
                       ? IdealizationSource::kRules
                       : IdealizationSource::kObjects;
    }
    if (t.arrange) o.arrange = true;
    if (t.noArrange) o.arrange = false;
    if (t.positiveSide) o.positiveSide = sideOf(*t.positiveSide);
    if (t.negativeSide) o.negativeSide = sideOf(*t.negativeSide);

    checkSearchSettings(problems, o);
    checkReal(problems, "--first-error", o.firstError, {0.0, 1.0});
    double level = 0.0;
    if (o.level) problems.add(numberRefusal("--level", *o.level, level));
    int32_t threads = 0;
    if (t.threads) {
        const std::string refused = wholeRefusal("--threads", *t.threads, 1, INT32_MAX,
                                                 "a whole number of at least 1", threads);
        problems.add(refused);
        if (refused.empty()) o.threads = threads;
    }
    if (t.seed) checkSeed(problems, *t.seed, o);
    if (t.crossValidate) checkCrossValidate(problems, *t.crossValidate, o);
    checkReal(problems, "--wanted-first-error", o.wantedFirstError,
              crossValidationBounds(CrossValidationField::WantedFirstError));
    if (o.wantedFirstError && t.balanced)
        problems.add("--wanted-first-error and --balanced exclude each other");
    if ((o.wantedFirstError || t.balanced) && !t.crossValidate)
        problems.add(
            "--wanted-first-error and --balanced choose the level of --cross-validate; "
            "give --cross-validate K too");
    const bool noNegative = o.open.empty() && o.negative.empty() && !t.shuffledNegatives &&
                            !t.backgroundGenome && !t.backgroundCount;
    if (t.crossValidate && noNegative)
        problems.add("--cross-validate needs a learning negative sample (--negative)");
    if (t.contrast && noNegative)
        problems.add("--contrast needs a learning negative sample (--negative)");
    if (t.contrastTune && !(t.contrast && t.crossValidate))
        problems.add("--contrast-tune tunes the folds of --contrast --cross-validate; give both");
    checkNegativeGeneration(problems, t, o);
    if (t.contrastWeights) {
        o.contrastWeights = *t.contrastWeights;
        if (!t.contrast) problems.add("--contrast-weights weighs the rules of --contrast; give it");
    }
    checkContrastShape(problems, t, o);
    std::string error;
    if (t.stages) {
        std::array<bool, kStageCount> chosen{};
        const bool parsed = parseStages(*t.stages, chosen, error);
        if (parsed) o.stages = chosen;
        keepError(problems, parsed, error);
    }
    if (t.classes) {
        std::pair<int32_t, int32_t> range;
        const bool parsed = parseClasses(*t.classes, range, error);
        if (parsed) o.classes = range;
        keepError(problems, parsed, error);
    }
    if (t.bootstrap) keepError(problems, parseBootstrap(*t.bootstrap, o, error), error);
    if (!problems.any()) checkCombinations(o, problems);
    return problems.first();
}

// The text printed on standard error for an argument error.
std::string argumentError(const std::string& problem) {
    return "motifora-cli: " + problem + "\n" + kUsageLine +
           "\nRun 'motifora-cli --help' for the options.\n";
}

}  // namespace

ParseOutcome parseArguments(int argc, const char* const* argv) {
    ParseOutcome outcome;
    CLI::App app{kDescription, "motifora-cli"};
    TypedArguments typed;
    const CheckedFlags flags = declareOptions(app, outcome.options, typed);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        outcome.out = app.help();
        return outcome;
    } catch (const CLI::CallForAllHelp&) {
        outcome.out = app.help("", CLI::AppFormatMode::All);
        return outcome;
    } catch (const CLI::CallForVersion& e) {
        outcome.out = std::string(e.what()) + "\n";
        return outcome;
    } catch (const CLI::ParseError& e) {
        outcome.exitCode = kExitBadArguments;
        outcome.err = argumentError(e.what());
        return outcome;
    }
    flags.readInto(typed);
    const std::string problem = validate(typed, outcome.options);
    if (!problem.empty()) {
        outcome.exitCode = kExitBadArguments;
        outcome.err = argumentError(problem);
        return outcome;
    }
    outcome.run = true;
    return outcome;
}

}  // namespace motifora
