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
#include "cli/ScanLevel.h"
#include "core/WorkerPool.h"
#include "evaluation/Pipeline.h"
#include "genome/GenomeScan.h"
#include "genome/TrackWriter.h"
#include "io/ProjectFile.h"
#include "rules/SearchSettings.h"

namespace motifora {

namespace {

struct ScanOptions {
    std::string model;
    std::string genome;
    std::string classes;
    std::string level;
    bool levelFromCv = false;
    std::string crossValidate;
    std::string wantedFirstError;
    bool balanced = false;
    std::string strand = "+";
    std::string bed;
    bool merge = false;
    std::string bedGraph;
    std::string bigWig;
    int32_t threads = 1;
    std::vector<std::string> records;
    bool quiet = false;
    std::string score = "class";
};

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
    CrossValidationSettings search =
        crossValidationSettingsOf(project.settings, project.settings.idealizationType, 0, 0);
    const SearchSettings used{search.confidenceLevel,
                              search.cpThreshold,
                              search.finishBufferSize,
                              search.subBufferSize,
                              0,
                              0};
    if (const std::string refused = searchSettingsRefusal(used); !refused.empty()) {
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
    app.add_option("--open", options.model, "The project (.dnp) holding the classes")->required();
    app.add_option("--genome", options.genome, "FASTA file (.fa, .fasta, .fna, maybe .gz)")
        ->required();
    app.add_option("--classes", options.classes, "Classes to score, e.g. 1,3-5 (default: all)");
    auto* level = app.add_option("--level", options.level,
                                 "Report windows scoring at least this level (BED hits)");
    auto* fromCv = app.add_flag(
        "--level-from-cv", options.levelFromCv,
        "Take the level from a cross-validation of the project's learning positives and "
        "negatives with its settings (as motifora-cli --open MODEL.dnp --cross-validate K,SEED)");
    level->excludes(fromCv);
    auto* folds = app.add_option("--cross-validate", options.crossValidate,
                                 "Folds and seed of --level-from-cv (default 5,1)")
                      ->type_name("K[,SEED]");
    auto* wanted =
        app.add_option("--wanted-first-error", options.wantedFirstError,
                       "--level-from-cv: the highest level whose held-out first-level error "
                       "stays within E (default 0,05)")
            ->type_name("E");
    auto* balanced = app.add_flag("--balanced", options.balanced,
                                  "--level-from-cv: the level of best balanced accuracy instead");
    folds->needs(fromCv);
    wanted->needs(fromCv);
    balanced->needs(fromCv);
    wanted->excludes(balanced);
    app.add_option("--strand", options.strand, "+ (default) or both")
        ->check(CLI::IsMember({"+", "both"}));
    app.add_option("--bed", options.bed, "BED6 file of the hits (needs a level)");
    app.add_flag("--merge", options.merge,
                 "Merge overlapping hits of a class on a strand, keeping the best score");
    app.add_option("--bedgraph", options.bedGraph, "bedGraph of the best score per window start");
    app.add_option("--bigwig", options.bigWig,
                   "bigWig (indexed, binary) of the same values as --bedgraph, as single-precision "
                   "numbers");
    app.add_option("--threads", options.threads,
                   "Scoring threads (default 1); when given, also the most threads any part of "
                   "the run uses (the cross-validation of --level-from-cv included)")
        ->check(CLI::Range(1, 256));
    app.add_option("--record", options.records,
                   "Scan only this record (repeatable); an index (.fai) beside the file is used");
    app.add_option("--score", options.score,
                   "class (default): the best score over the chosen classes; discriminative: "
                   "the score of the discriminative rules found on the project's learning "
                   "positives against its learning negatives (--classes does not apply)")
        ->check(CLI::IsMember({"class", "discriminative"}));
    app.add_flag("--quiet", options.quiet, "No progress on standard error");
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
    // A given --threads bounds the whole run; without it the level's cross-validation keeps
    // using every core, as the scoring keeps its one thread.
    std::optional<WorkerPool::ThreadLimit> threadLimit;
    if (app.count("--threads") > 0) threadLimit.emplace(options.threads);
    const bool discriminative = options.score == "discriminative";
    if (discriminative && !options.classes.empty())
        return refuse(
            "--classes chooses classes of the class score; --score discriminative has "
            "one score and no classes",
            kExitBadArguments);
    CvLevelRequest cvRequest;
    cvRequest.balanced = options.balanced;
    cvRequest.score = discriminative ? ScoreKind::kDiscriminative : ScoreKind::kClass;
    std::string problem;
    if (!options.crossValidate.empty() &&
        !parseFoldsAndSeed(options.crossValidate, cvRequest, problem))
        return refuse("--cross-validate: " + problem, kExitBadArguments);
    if (!options.wantedFirstError.empty()) {
        double wantedError = 0.0;
        if (!parseScanLevel(options.wantedFirstError, wantedError) || !(wantedError >= 0.0) ||
            wantedError > 1.0)
            return refuse("--wanted-first-error: \"" + options.wantedFirstError +
                              "\" is not a number from 0 to 1",
                          kExitBadArguments);
        cvRequest.wantedFirstError = wantedError;
    }
    ScanSettings settings;
    settings.bothStrands = options.strand == "both";
    settings.threads = options.threads;
    settings.records = options.records;
    if (!options.level.empty()) {
        if (!parseScanLevel(options.level, settings.level))
            return refuse("--level: \"" + options.level + "\" is not a number", kExitBadArguments);
        settings.hits = true;
    }
    if (!options.bed.empty() && !settings.hits && !options.levelFromCv)
        return refuse("--bed needs --level or --level-from-cv (the score a hit must reach)",
                      kExitBadArguments);
    if (options.merge && options.bed.empty())
        return refuse("--merge needs --bed", kExitBadArguments);
    settings.merge = options.merge;
    if (!options.classes.empty() && !parseClassList(options.classes, settings.classes)) {
        return refuse(
            "--classes: \"" + options.classes + "\" is not a list of class numbers such as 1,3-5",
            kExitBadArguments);
    }

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
        if (settings.classes.empty()) {
            for (int32_t k = 0; k < project.classCount; ++k) settings.classes.push_back(k);
        }
        classificator.Setup(project.storage.get(), project.rules.get(), &project.idealObjects,
                            kDeletingBegin);
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
        if (!crossValidatedLevel(options.model, cvRequest, options.quiet ? nullptr : &err, cv,
                                 problem, interrupted)) {
            if (interrupted) return refuse("interrupted; no output was written", kExitInterrupted);
            return refuse("--level-from-cv: no level can be had from " + options.model + ": " +
                              problem + "; give --level instead",
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
