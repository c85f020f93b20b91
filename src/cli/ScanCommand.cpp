// The scan command: reads the project, prepares a genome scanner for the chosen classes, opens
// every output before the work and streams the results into them; the files take their targets'
// places together when the scan has finished, or none does.
#include "cli/ScanCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

#include "classify/Classificator.h"
#include "cli/ExitCode.h"
#include "cli/Interrupt.h"
#include "cli/OptionGroup.h"
#include "cli/OptionReaders.h"
#include "cli/ScanLevel.h"
#include "core/ClassList.h"
#include "core/WorkerPool.h"
#include "evaluation/CrossValidation.h"
#include "evaluation/Pipeline.h"
#include "genome/GenomeScan.h"
#include "genome/TrackWriter.h"
#include "io/ProjectFile.h"
#include "rules/SearchSettings.h"

namespace motifora {

namespace {

// The scan's command line: file names and flags as given, the other options' texts when given.
struct ScanOptions {
    std::string model;
    std::string genome;
    std::optional<std::string> classes;
    std::optional<std::string> level;
    bool levelFromCv = false;
    std::optional<std::string> crossValidate;
    std::optional<std::string> wantedFirstError;
    bool balanced = false;
    std::optional<std::string> strand;
    std::string bed;
    bool merge = false;
    std::string bedGraph;
    std::string bigWig;
    std::optional<std::string> threads;
    std::vector<std::string> records;
    bool quiet = false;
    std::optional<std::string> score;

    bool discriminative() const { return score == "discriminative"; }
};

// The most scoring threads a scan starts.
constexpr int32_t kMostScanThreads = 256;

// Declares the scan's options, in the groups of its help.
void declareScanOptions(CLI::App& app, ScanOptions& o) {
    OptionGroup inputs(app, "Inputs");
    inputs.text("--open", o.model, "MODEL.dnp", "The project (.dnp) holding the classes")
        ->required();
    inputs.text("--genome", o.genome, "G.fa[.gz]", "FASTA file (.fa, .fasta, .fna, maybe .gz)")
        ->required();
    inputs.texts("--record", o.records, "NAME",
                 "Scan only this record (repeatable); an index (.fai) beside the file is used");

    OptionGroup scoring(app, "Scoring");
    scoring.typed("--score", o.score, "class|discriminative",
                  "class (default): the best score over the chosen classes; discriminative: "
                  "the score of the discriminative rules found on the project's learning "
                  "positives against its learning negatives (--classes does not apply)",
                  {"class", "discriminative"});
    scoring.typed("--classes", o.classes, "LIST", "Classes to score, e.g. 1,3-5 (default: all)");
    scoring.typed("--strand", o.strand, "+|both", "+ (default) or both", {"+", "both"});
    scoring.typed("--threads", o.threads, "N",
                  "Scoring threads, 1..256 (default 1); when given, also the most threads any "
                  "part of the run uses (the cross-validation of --level-from-cv included)");

    OptionGroup hits(app, "Level of the hits");
    CLI::Option* level = hits.typed("--level", o.level, "X",
                                    "Report windows scoring at least this level (BED hits)");
    CLI::Option* fromCv = hits.flag(
        "--level-from-cv", o.levelFromCv,
        "Take the level from a cross-validation of the project's learning positives and "
        "negatives with its settings (as motifora-cli --open MODEL.dnp --cross-validate K,SEED)");
    level->excludes(fromCv);
    CLI::Option* folds = hits.typed("--cross-validate", o.crossValidate, "K[,SEED]",
                                    "Folds and seed of --level-from-cv (default 5,1)");
    CLI::Option* wanted = hits.typed("--wanted-first-error", o.wantedFirstError, "E",
                                     "--level-from-cv: the highest level whose held-out "
                                     "first-level error stays within E (default 0,05)");
    CLI::Option* balanced = hits.flag(
        "--balanced", o.balanced, "--level-from-cv: the level of best balanced accuracy instead");
    folds->needs(fromCv);
    wanted->needs(fromCv);
    balanced->needs(fromCv);
    wanted->excludes(balanced);

    OptionGroup outputs(app, "Outputs");
    outputs.text("--bed", o.bed, "FILE.bed", "BED6 file of the hits (needs a level)");
    outputs.flag("--merge", o.merge,
                 "Merge overlapping hits of a class on a strand, keeping the best score");
    outputs.text("--bedgraph", o.bedGraph, "FILE.bedGraph",
                 "bedGraph of the best score per window start");
    outputs.text("--bigwig", o.bigWig, "FILE.bw",
                 "bigWig (indexed, binary) of the same values as --bedgraph, as single-precision "
                 "numbers");
    outputs.flag("--quiet", o.quiet, "No progress on standard error");
}

// Checks the texts of `o` with the readers the main options use and fills what the scan and the
// level's cross-validation run with. Returns the first problem, or "" when the options hold.
std::string readScanOptions(const ScanOptions& o, ScanSettings& settings,
                            std::vector<ClassRange>& classes, CvLevelRequest& cvRequest) {
    if (o.threads) {
        const std::string refused = wholeRefusal(
            "--threads", *o.threads, 1, kMostScanThreads,
            "a whole number from 1 to " + std::to_string(kMostScanThreads), settings.threads);
        if (!refused.empty()) return refused;
    }
    // An empty list is no list: every class is scored.
    const bool classesGiven = o.classes && !o.classes->empty();
    if (o.discriminative() && classesGiven)
        return "--classes chooses classes of the class score; --score discriminative has one "
               "score and no classes";
    cvRequest.balanced = o.balanced;
    cvRequest.score = o.discriminative() ? ScoreKind::kDiscriminative : ScoreKind::kClass;
    if (o.crossValidate) {
        const std::string refused =
            foldsAndSeedRefusal(*o.crossValidate, cvRequest.folds, cvRequest.seed);
        if (!refused.empty()) return "--cross-validate: " + refused;
    }
    if (o.wantedFirstError) {
        const SearchBounds bounds = crossValidationBounds(CrossValidationField::WantedFirstError);
        double wanted = 0.0;
        const std::string refused = realRefusal("--wanted-first-error", *o.wantedFirstError,
                                                bounds.least, bounds.most, wanted);
        if (!refused.empty()) return refused;
        cvRequest.wantedFirstError = wanted;
    }
    settings.bothStrands = o.strand == "both";
    settings.records = o.records;
    if (o.level) {
        const std::string refused = numberRefusal("--level", *o.level, settings.level);
        if (!refused.empty()) return refused;
        settings.hits = true;
    }
    if (!o.bed.empty() && !settings.hits && !o.levelFromCv)
        return "--bed needs --level or --level-from-cv (the score a hit must reach)";
    if (o.merge && o.bed.empty()) return "--merge needs --bed";
    settings.merge = o.merge;
    if (classesGiven && !readClassList(*o.classes, classes))
        return "--classes: \"" + *o.classes + "\" is not a list of class numbers such as 1,3-5";
    return {};
}

// "positive" or "negative" when the project lacks that learning sample; empty when it has both.
std::string missingLearningSample(const ProjectData& project) {
    if (project.learnPositive.empty()) return "positive";
    if (project.learnNegative.empty()) return "negative";
    return {};
}

// The discriminative rules of the project's learning samples, found with its search settings
// as `motifora-cli --open PROJECT --contrast` finds them. False with `error` saying why not, or
// with `interrupted` set when Ctrl-C stopped the search.
bool learnDiscriminative(const ProjectData& project, const std::string& path,
                         std::shared_ptr<const ContrastScorer>& scorer, std::string& error,
                         bool& interrupted) {
    interrupted = false;
    CrossValidationSettings search = crossValidationSettingsOf(
        project.settings, project.settings.idealizationType, IdealizationSource::kObjects, 0);
    if (const std::string refused = searchSettingsRefusal(search.search.inFixedPositions());
        !refused.empty()) {
        error = path + ": the discriminative search cannot run: " + refused;
        return false;
    }
    LearningSettings learning = learningSettingsOf(search);
    learning.score = ScoreKind::kDiscriminative;
    RunControl control;
    control.setRunning(true);
    LearnedModel model;
    {
        const InterruptWatch watch(control);
        model = learnModel(project.learnPositive, project.learnNegative, learning, {&control});
    }
    if (!model.complete || interruptRequested()) {
        interrupted = true;
        return false;
    }
    scorer = std::make_shared<const ContrastScorer>(std::move(model.contrast));
    return true;
}

}  // namespace

int runScanCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    ScanOptions options;
    CLI::App app{"Scores every window of a FASTA genome against classes of a Motifora project.",
                 "motifora-cli scan"};
    declareScanOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitSuccess;
    } catch (const CLI::ParseError& error) {
        err << "motifora-cli scan: " << error.what() << "\n"
            << "Usage: motifora-cli scan --open MODEL.dnp --genome G.fa[.gz] [options]; see "
               "motifora-cli scan --help\n";
        return kExitBadArguments;
    }
    const auto refuse = [&err](const std::string& what, int code) {
        err << "motifora-cli scan: " << what << "\n";
        return code;
    };
    ScanSettings settings;
    settings.threads = 1;
    std::vector<ClassRange> classes;
    CvLevelRequest cvRequest;
    const std::string problem = readScanOptions(options, settings, classes, cvRequest);
    if (!problem.empty()) return refuse(problem, kExitBadArguments);
    // A given --threads bounds the whole run; without it the level's cross-validation keeps
    // using every core, as the scoring keeps its one thread.
    std::optional<WorkerPool::ThreadLimit> threadLimit;
    if (options.threads) threadLimit.emplace(settings.threads);
    const bool discriminative = options.discriminative();

    ProjectData project;
    const Status read = ReadProject(options.model, project);
    if (!read) return refuse(read.message, kExitInputRefused);
    std::atomic<bool> stop{false};
    settings.stop = &stop;
    // Ctrl-C reaches the scoring threads between the classes of a piece.
    settings.onScoringStep = [&stop] {
        if (interruptRequested()) stop.store(true);
    };
    GenomeScanner scanner;
    std::string error;
    Classificator classificator;
    std::shared_ptr<const ContrastScorer> contrast;
    const auto prepare = [&] {
        return discriminative
                   ? scanner.PrepareDiscriminative(contrast, settings, error)
                   : scanner.Prepare(classificator, project.storage->codeTable, settings, error);
    };
    if (discriminative) {
        if (const std::string missing = missingLearningSample(project); !missing.empty())
            return refuse("--score discriminative: " + options.model + " holds no learning " +
                              missing +
                              " sample; the discriminative score is learned from the learning "
                              "positives against the learning negatives",
                          kExitProcessFailed);
    } else {
        if (!project.storage || !project.rules || project.classCount <= 0) {
            return refuse(options.model +
                              ": the project holds no classes (search for regularities "
                              "and idealize first)",
                          kExitProcessFailed);
        }
        if (classes.empty()) classes.push_back({1, project.classCount});
        // A class the project does not hold ends the list; the scanner names it.
        settings.classes = classIndexes(classes, project.classCount);
        classificator.Setup(project.storage.get(), project.rules.get(), &project.idealObjects,
                            IdealizationType::kDeletingBegin);
        classificator.idealObjectCount = project.classCount;
        if (!prepare()) return refuse(options.model + ": " + error, kExitBadArguments);
    }
    // Every output is opened (so checked) before the discriminative search, a cross-validation
    // or the scan takes its time.
    TrackWriter tracks;
    const Status opened = tracks.Open({options.bed, options.bedGraph, options.bigWig});
    if (!opened) return refuse(opened.message, kExitOutputFailed);
    if (discriminative) {
        bool interrupted = false;
        if (!learnDiscriminative(project, options.model, contrast, error, interrupted)) {
            if (interrupted) return refuse("interrupted; no output was written", kExitInterrupted);
            return refuse("--score discriminative: " + error, kExitProcessFailed);
        }
        settings.discriminative = true;
        settings.classes = {0};
        if (!prepare()) return refuse(options.model + ": " + error, kExitBadArguments);
        out << "Discriminative score: " << contrast->rules.rules.size()
            << " rules found on the project's " << project.learnPositive.size()
            << " learning positives and " << project.learnNegative.size()
            << " learning negatives\n";
    }
    // The classes and strands are checked before a cross-validation takes its time.
    if (options.levelFromCv) {
        CvLevel cv;
        bool interrupted = false;
        std::string failure;
        if (!crossValidatedLevel(options.model, cvRequest, options.quiet ? nullptr : &err, cv,
                                 failure, interrupted)) {
            if (interrupted) return refuse("interrupted; no output was written", kExitInterrupted);
            return refuse("--level-from-cv: no level can be had from " + options.model + ": " +
                              failure + "; give --level instead",
                          kExitProcessFailed);
        }
        // Held out, a sequence scoring above the level is taken for a positive; a window is a
        // hit on the same terms (--level takes windows that reach it).
        settings.level = std::nextafter(cv.level, std::numeric_limits<double>::infinity());
        settings.hits = true;
        // The shortest text that reads back as this level.
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, cv.level).ptr;
        out << "Cross-validated level: " << std::string(text, end) << " (hits score above it; "
            << cvRequest.folds << " folds, seed " << cvRequest.seed << ", " << cv.positives
            << " positives and " << cv.negatives << " negatives held out";
        if (cv.auc.defined) {
            char auc[96];
            std::snprintf(auc, sizeof auc, "; AUC %.3f, 95 %% %.3f-%.3f", cv.auc.auc, cv.auc.low,
                          cv.auc.high);
            out << auc;
        }
        out << ")\n";
        if (!prepare()) return refuse(options.model + ": " + error, kExitBadArguments);
    }

    tracks.Begin(std::filesystem::path(options.model).filename().string(), settings);
    tracks.onNotice = [&err](const std::string& text) {
        err << "motifora-cli scan: note: " << text << "\n" << std::flush;
    };
    const auto started = std::chrono::steady_clock::now();
    auto shown = started;
    auto showProgress = [&](const ScanTotals& totals) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const double rate = seconds > 0 ? static_cast<double>(totals.letters) / seconds : 0.0;
        err << "scan: " << totals.records << " records, " << totals.letters << " letters, "
            << static_cast<int64_t>(rate) << " letters/s\n"
            << std::flush;
    };
    tracks.onProgress = [&](const ScanTotals& totals) {
        if (interruptRequested()) stop.store(true);
        const auto now = std::chrono::steady_clock::now();
        if (options.quiet || now - shown < std::chrono::seconds(1)) return;
        shown = now;
        showProgress(totals);
    };
    if (!scanner.Scan(options.genome, tracks, error)) {
        const std::string failure = tracks.Failure();
        const Status abandoned = tracks.Abandon(Status::failure(failure.empty() ? error : failure));
        if (!failure.empty()) return refuse(abandoned.message, kExitOutputFailed);
        if (interruptRequested())
            return refuse("interrupted; no output was written", kExitInterrupted);
        return refuse(abandoned.message, kExitInputRefused);
    }
    if (!options.quiet) showProgress(scanner.Totals());
    const Status written = tracks.Finish();
    if (!written) return refuse(written.message, kExitOutputFailed);
    const ScanTotals& totals = scanner.Totals();
    out << "Scanned " << totals.records << " records, " << totals.letters
        << " letters: " << totals.windows << " windows scored, " << totals.skippedWindows
        << " skipped (a letter outside the model's alphabet)";
    if (settings.hits) out << ", " << totals.hits << " hits";
    out << "\n";
    return kExitSuccess;
}

}  // namespace motifora
