// Reading and checking the command line of motifora-cli with CLI11.
#include "cli/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <climits>
#include <set>

#include "cli/ExitCode.h"
#include "core/NumberFormat.h"
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

std::string trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        parts.push_back(trim(text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parts;
}

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Collects the first problem found; later checks keep the first message.
class Problems {
  public:
    void add(const std::string& text) {
        if (first_.empty()) first_ = text;
    }
    bool any() const { return !first_.empty(); }
    const std::string& first() const { return first_; }

  private:
    std::string first_;
};

void checkReal(Problems& problems, const char* option, const std::optional<std::string>& text,
               double low, double high) {
    if (!text) return;
    double value = 0.0;
    if (!readUserReal(*text, value) || value < low || value > high)
        problems.add(std::string(option) + ": \"" + *text + "\" is not a number from " +
                     NumberFormat('.').general(low) + " to " + NumberFormat('.').general(high));
}

// The buffers of the search hold one slot per rule they may keep, allocated when the search
// starts; sizes beyond this would exhaust the memory and end the program instead of a message.
constexpr int32_t kLargestBuffer = 1000000;

void checkInteger(Problems& problems, const char* option, const std::optional<std::string>& text,
                  int32_t least, const char* rule, int32_t most = INT32_MAX) {
    if (!text) return;
    int32_t value = 0;
    if (!NumberFormat::readInteger(*text, value) || value < least)
        problems.add(std::string(option) + ": \"" + *text + "\" is not " + rule);
    else if (value > most)
        problems.add(std::string(option) + ": \"" + *text + "\" is more than " +
                     std::to_string(most) + ", more rules than a buffer can hold in memory");
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

// "2-4", "2,3,4" or "3": the classes must form one run of consecutive numbers, because the
// window counts the errors of the rows selected in one block of the ideal-object list.
bool parseClasses(const std::string& text, std::pair<int32_t, int32_t>& range, std::string& error) {
    std::set<int32_t> numbers;
    for (const std::string& part : splitCommas(text)) {
        const size_t dash = part.find('-', 1);
        std::string from = trim(part.substr(0, dash));
        std::string to = dash == std::string::npos ? from : trim(part.substr(dash + 1));
        int32_t a = 0;
        int32_t b = 0;
        if (!allDigits(from) || !allDigits(to) || !NumberFormat::readInteger(from, a) ||
            !NumberFormat::readInteger(to, b) || a < 1 || b < a || b - a > 1000000) {
            error =
                "--classes: \"" + part + "\" is not a class number (1, 2, ...) or a range (2-4)";
            return false;
        }
        for (int32_t c = a; c <= b; ++c) numbers.insert(c);
    }
    if (numbers.empty()) {
        error = "--classes: no class given";
        return false;
    }
    const int32_t first = *numbers.begin();
    const int32_t last = *numbers.rbegin();
    if (static_cast<int64_t>(last) - first + 1 != static_cast<int64_t>(numbers.size())) {
        error = "--classes: \"" + text +
                "\" leaves gaps; the errors are counted over one block of consecutive classes "
                "(for example 2-5)";
        return false;
    }
    range = {first, last};
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
        if (o.positiveSide == 1 && o.controlPositive.empty())
            problems.add("--positive-side control needs --control-positive");
        if (o.negativeSide == 1 && !control)
            problems.add("--negative-side control needs --control-negative");
        if (o.negativeSide == 0 && o.negative.empty())
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

bool readUserReal(const std::string& text, double& value) {
    // Either separator, whatever the program-wide one is: the checks here must not switch it.
    return NumberFormat('.').tryReadReal(text, value) || NumberFormat(',').tryReadReal(text, value);
}

ParseOutcome parseArguments(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv;
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    return parseArguments(static_cast<int>(argv.size()), argv.data());
}

ParseOutcome parseArguments(int argc, const char* const* argv) {
    ParseOutcome outcome;
    BatchOptions& o = outcome.options;

    CLI::App app{
        "motifora-cli runs a whole Motifora analysis without a window: it loads the\n"
        "samples (or a project), runs the regularity search, idealization,\n"
        "classification, recognition, error counting and bootstrap through the same\n"
        "window model as the workbench, and writes the same project, text export and\n"
        "report files.",
        "motifora-cli"};
    app.set_version_flag("--version", "motifora-cli " + versionText(),
                         "Print the version and exit");
    app.footer(kFooter);
    app.get_formatter()->column_width(38);

    std::string mode, idealization, source, stages, classes, positiveSide, negativeSide, bootstrap,
        seed, threads;
    std::string width, confidence, cp, finish, sub, level, firstError;

    app.add_option("--positive", o.positive, "Learning positive sample (.seq)")
        ->type_name("FILE")
        ->group("Inputs");
    app.add_option("--negative", o.negative, "Learning negative sample (.seq)")
        ->type_name("FILE")
        ->group("Inputs");
    app.add_option("--control-negative", o.controlNegative, "Control negative sample (.seq)")
        ->type_name("FILE")
        ->group("Inputs");
    app.add_option("--control-positive", o.controlPositive,
                   "Control positive sample (.seq); needs --control-negative")
        ->type_name("FILE")
        ->group("Inputs");
    app.add_option("--open", o.open,
                   "Start from a saved project instead of samples; options given as well "
                   "override its settings, samples given as well replace its samples")
        ->type_name("FILE.dnp")
        ->group("Inputs");

    const std::string search = "Regularity search";
    auto* modeOption =
        app.add_option("--mode", mode, "Alignment type: fixed or shift (default fixed)")
            ->type_name("fixed|shift")
            ->check(CLI::IsMember({"fixed", "shift"}).description(""))
            ->group(search);
    auto* widthOption =
        app.add_option("--width", width, "Width of the scanning frame, shift mode (default 10)")
            ->type_name("N")
            ->group(search);
    auto* confidenceOption =
        app.add_option("--confidence", confidence,
                       "Confidence interval of the Fisher criterion, 0..1 (default 0,05)")
            ->type_name("X")
            ->group(search);
    auto* cpOption =
        app.add_option("--cp", cp, "Minimum conditional probability, 0..1 (default 0,8)")
            ->type_name("X")
            ->group(search);
    auto* finishOption =
        app.add_option("--finish", finish, "Size of the finish buffer, 2..1000000 (default 500)")
            ->type_name("N")
            ->group(search);
    auto* subOption =
        app.add_option("--sub", sub, "Size of the sub-buffers, 1..1000000 (default 50)")
            ->type_name("N")
            ->group(search);
    auto* threadsOption = app.add_option("--threads", threads,
                                         "Worker threads of the search (default: all cores); "
                                         "results do not depend on it")
                              ->type_name("N")
                              ->group(search);

    const std::string idealizationGroup = "Idealization";
    auto* idealizationOption =
        app.add_option("--idealization", idealization,
                       "Idealization type: deleting, inserting or both (default deleting)")
            ->type_name("deleting|inserting|both")
            ->check(CLI::IsMember({"deleting", "inserting", "both"}).description(""))
            ->group(idealizationGroup);
    auto* sourceOption =
        app.add_option("--source", source,
                       "Ideal objects generated from the original objects or the regularities "
                       "(default objects)")
            ->type_name("objects|rules")
            ->check(CLI::IsMember({"objects", "rules"}).description(""))
            ->group(idealizationGroup);

    const std::string evaluation = "Recognition and errors";
    bool arrangeOn = false;
    bool arrangeOff = false;
    auto* arrangeOption =
        app.add_flag("--arrange", arrangeOn, "Arrange the recognition scores of a row in order")
            ->group(evaluation);
    auto* noArrangeOption = app.add_flag("--no-arrange", arrangeOff,
                                         "Do not arrange them (a project's setting "
                                         "otherwise stays)")
                                ->group(evaluation);
    auto* stagesOption =
        app.add_option("--stages", stages,
                       "Comma-separated stages to run: search, idealize, classify, recognize, "
                       "errors, bootstrap; or none (load, then only write the outputs) "
                       "(default: every stage the inputs allow)")
            ->type_name("LIST")
            ->group("Run");
    auto* classesOption =
        app.add_option("--classes", classes,
                       "Classes (1-based) for error counting and the scanning recognition, "
                       "one block: 3, 2-5 or 2,3,4 (default: all; the scan takes the first)")
            ->type_name("LIST")
            ->group(evaluation);
    auto* levelOption = app.add_option("--level", level,
                                       "Recognition level to count the errors with (or the "
                                       "level line of a scan)")
                            ->type_name("X")
                            ->group(evaluation);
    auto* firstErrorOption =
        app.add_option("--first-error", firstError,
                       "Wanted first-level error 0..1; the level is derived from it")
            ->type_name("X")
            ->group(evaluation);
    auto* positiveSideOption =
        app.add_option("--positive-side", positiveSide,
                       "Positive objects of the error counting: learning or control")
            ->type_name("learning|control")
            ->check(CLI::IsMember({"learning", "control"}).description(""))
            ->group(evaluation);
    auto* negativeSideOption =
        app.add_option("--negative-side", negativeSide,
                       "Negative objects of the error counting: learning or control")
            ->type_name("learning|control")
            ->check(CLI::IsMember({"learning", "control"}).description(""))
            ->group(evaluation);
    auto* bootstrapOption =
        app.add_option("--bootstrap", bootstrap,
                       "Bootstrap: percentage held out, iterations and wanted first-level "
                       "error (default 10,1,0)")
            ->type_name("P,T[,E]")
            ->group("Bootstrap");
    auto* seedOption =
        app.add_option("--seed", seed, "Seed of the bootstrap draws (default 1, as the window)")
            ->type_name("N")
            ->group("Bootstrap");

    const std::string heldOut = "Held-out evaluation";
    std::string crossValidate, wantedFirstError;
    auto* crossValidateOption =
        app.add_option("--cross-validate", crossValidate,
                       "Stratified K-fold cross-validation of the learning samples with the "
                       "current settings (seed default 1); prints the held-out AUC, level and "
                       "errors")
            ->type_name("K[,SEED]")
            ->group(heldOut);
    auto* wantedFirstErrorOption =
        app.add_option("--wanted-first-error", wantedFirstError,
                       "Held-out level: the highest whose first-level error stays within "
                       "E, 0..1 (default 0,05)")
            ->type_name("E")
            ->group(heldOut);
    auto* balancedOption =
        app.add_flag("--balanced", o.balanced, "Held-out level: the best balanced accuracy instead")
            ->group(heldOut);
    auto* contrastOption =
        app.add_flag("--contrast", o.contrast,
                     "Discriminative regularities: rules that tell the learning positives from "
                     "the learning negatives, and the score they give (cross-validated beside "
                     "the class score with --cross-validate)")
            ->group(heldOut);
    auto* contrastTuneOption =
        app.add_flag("--contrast-tune", o.contrastTune,
                     "With --contrast and --cross-validate: each fold chooses the CP threshold "
                     "of its discriminative search (0,6 0,7 0,8 0,9) by an inner "
                     "cross-validation of its own training sequences")
            ->group(heldOut);
    app.add_option("--scores", o.scores,
                   "Write every scored sequence (control data, and held-out learning data "
                   "with --cross-validate) as a table")
        ->type_name("FILE.tsv")
        ->group(heldOut);
    app.add_option("--evaluation-report", o.evaluationReport,
                   "Write the evaluation report: ROC, precision-recall, histograms, logos, "
                   "folds, rules (.html is appended when missing)")
        ->type_name("FILE.html")
        ->group(heldOut);

    app.add_option("--save", o.save, "Write the project (.dnp is appended when missing)")
        ->type_name("FILE.dnp")
        ->group("Outputs");
    app.add_option("--export-text", o.exportText,
                   "Write the text export (.txt is appended when missing)")
        ->type_name("FILE.txt")
        ->group("Outputs");
    app.add_option("--report", o.report,
                   "Write the HTML report of the error counting or of the scan (.html is "
                   "appended when missing)")
        ->type_name("FILE.html")
        ->group("Outputs");
    app.add_option("--json", o.json, "Write a machine-readable summary")
        ->type_name("FILE.json")
        ->group("Outputs");
    app.add_flag("--quiet", o.quiet, "No progress and no success messages on standard error")
        ->group("Outputs");
    app.add_option("--lang", o.lang,
                   "Language of the messages on standard error: ru, the program's own words "
                   "(default), or en (English)")
        ->check(CLI::IsMember({"en", "ru"}))
        ->type_name("en|ru")
        ->group("Outputs");

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
        outcome.err = std::string("motifora-cli: ") + e.what() + "\n" + kUsageLine +
                      "\nRun 'motifora-cli --help' for the options.\n";
        return outcome;
    }

    Problems problems;
    const auto given = [](const CLI::Option* option) { return option->count() > 0; };
    if (given(arrangeOption) && given(noArrangeOption))
        problems.add("--arrange and --no-arrange exclude each other");
    if (given(levelOption) && given(firstErrorOption))
        problems.add(
            "--level and --first-error exclude each other: give the level, or the "
            "wanted first-level error it is derived from");
    if (given(modeOption)) o.shiftMode = mode == "shift";
    if (given(widthOption)) o.width = width;
    if (given(confidenceOption)) o.confidence = confidence;
    if (given(cpOption)) o.cp = cp;
    if (given(finishOption)) o.finish = finish;
    if (given(subOption)) o.sub = sub;
    if (given(levelOption)) o.level = level;
    if (given(firstErrorOption)) o.firstError = firstError;
    if (given(idealizationOption))
        o.idealizationType = idealization == "deleting" ? 0 : idealization == "inserting" ? 1 : 2;
    if (given(sourceOption)) o.source = source == "objects" ? 0 : 1;
    if (given(arrangeOption)) o.arrange = true;
    if (given(noArrangeOption)) o.arrange = false;
    if (given(positiveSideOption)) o.positiveSide = positiveSide == "learning" ? 0 : 1;
    if (given(negativeSideOption)) o.negativeSide = negativeSide == "learning" ? 0 : 1;

    checkReal(problems, "--confidence", o.confidence, 0.0, 1.0);
    checkReal(problems, "--cp", o.cp, 0.0, 1.0);
    checkInteger(problems, "--finish", o.finish, 2, "a whole number above 1", kLargestBuffer);
    checkInteger(problems, "--sub", o.sub, 1, "a whole number of at least 1", kLargestBuffer);
    checkInteger(problems, "--width", o.width, 3, "a whole number above 2");
    checkReal(problems, "--first-error", o.firstError, 0.0, 1.0);
    if (o.level) {
        double value = 0.0;
        if (!readUserReal(*o.level, value))
            problems.add("--level: \"" + *o.level + "\" is not a number");
    }
    if (given(threadsOption)) {
        int32_t value = 0;
        if (!NumberFormat::readInteger(threads, value) || value < 1)
            problems.add("--threads: \"" + threads + "\" is not a whole number of at least 1");
        else
            o.threads = value;
    }
    if (given(seedOption)) {
        const std::string text = trim(seed);
        unsigned long long value = 0;
        bool ok = allDigits(text) && text.size() <= 10;
        if (ok) {
            value = std::stoull(text);
            ok = value <= 4294967295ULL;
        }
        if (!ok)
            problems.add("--seed: \"" + seed + "\" is not a whole number from 0 to 4294967295");
        else
            o.seed = static_cast<uint32_t>(value);
    }
    if (given(crossValidateOption)) {
        const std::vector<std::string> parts = splitCommas(crossValidate);
        int32_t folds = 0;
        if (parts.size() > 2 || !NumberFormat::readInteger(parts[0], folds) || folds < 2) {
            problems.add("--cross-validate: \"" + crossValidate +
                         "\" is not K[,SEED] with K a whole number of at least 2");
        } else {
            o.crossValidateFolds = folds;
            if (parts.size() == 2) {
                if (!allDigits(parts[1]) || parts[1].size() > 19)
                    problems.add("--cross-validate: the seed \"" + parts[1] +
                                 "\" is not a whole number from 0 to 9999999999999999999");
                else
                    o.crossValidateSeed = std::stoull(parts[1]);
            }
        }
    }
    if (given(wantedFirstErrorOption)) o.wantedFirstError = wantedFirstError;
    checkReal(problems, "--wanted-first-error", o.wantedFirstError, 0.0, 1.0);
    if (given(wantedFirstErrorOption) && given(balancedOption))
        problems.add("--wanted-first-error and --balanced exclude each other");
    if ((given(wantedFirstErrorOption) || given(balancedOption)) && !given(crossValidateOption))
        problems.add(
            "--wanted-first-error and --balanced choose the level of --cross-validate; "
            "give --cross-validate K too");
    if (given(crossValidateOption) && o.open.empty() && o.negative.empty())
        problems.add("--cross-validate needs a learning negative sample (--negative)");
    if (given(contrastOption) && o.open.empty() && o.negative.empty())
        problems.add("--contrast needs a learning negative sample (--negative)");
    if (given(contrastTuneOption) && !(given(contrastOption) && given(crossValidateOption)))
        problems.add("--contrast-tune tunes the folds of --contrast --cross-validate; give both");
    std::string error;
    if (given(stagesOption)) {
        std::array<bool, kStageCount> chosen{};
        if (parseStages(stages, chosen, error))
            o.stages = chosen;
        else
            problems.add(error);
    }
    if (given(classesOption)) {
        std::pair<int32_t, int32_t> range;
        if (parseClasses(classes, range, error))
            o.classes = range;
        else
            problems.add(error);
    }
    if (given(bootstrapOption) && !parseBootstrap(bootstrap, o, error)) problems.add(error);
    if (!problems.any()) checkCombinations(o, problems);

    if (problems.any()) {
        outcome.exitCode = kExitBadArguments;
        outcome.err = "motifora-cli: " + problems.first() + "\n" + kUsageLine +
                      "\nRun 'motifora-cli --help' for the options.\n";
        return outcome;
    }
    outcome.run = true;
    return outcome;
}

}  // namespace motifora
