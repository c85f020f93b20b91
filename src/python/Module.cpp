// The Python module `motifora`: the engine's learning, scoring, cross-validation and genome
// scan from Python, with NumPy arrays in and out. A thin layer: every figure comes from the
// engine or the workspace, exactly as the window and motifora-cli compute it.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "evaluation/ContrastScore.h"
#include "evaluation/CrossValidation.h"
#include "python/Interruptible.h"
#include "python/Model.h"
#include "python/Samples.h"
#include "python/ScanRun.h"
#include "python/Scores.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"

#ifndef MOTIFORA_VERSION
#define MOTIFORA_VERSION "0"
#endif

namespace py = pybind11;
using namespace pybind11::literals;

namespace motifora::python {

namespace {

// motifora.InputError, made when the module is imported.
py::object& inputErrorType() {
    static py::object type;
    return type;
}

// Raises motifora.InputError for a refused input, with `file`, `line` and `record` attributes
// (None where the failure does not name one).
[[noreturn]] void raiseInput(const Status& status) {
    py::object error = inputErrorType()(status.message);
    error.attr("file") = status.file.empty() ? py::object(py::none()) : py::str(status.file);
    error.attr("line") = status.line > 0 ? py::object(py::int_(status.line)) : py::none();
    error.attr("record") = status.record > 0 ? py::object(py::int_(status.record)) : py::none();
    PyErr_SetObject(inputErrorType().ptr(), error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void raiseRun(const std::string& message) { throw std::runtime_error(message); }

// A sample argument: a path (str or os.PathLike) or an iterable of letter strings.
SampleSource sampleArgument(const py::handle& value, const char* argument) {
    SampleSource sample;
    if (py::isinstance<py::str>(value) || py::hasattr(value, "__fspath__")) {
        sample.path = py::str(py::module_::import("os").attr("fspath")(value));
        return sample;
    }
    if (!py::isinstance<py::iterable>(value))
        throw py::type_error(std::string(argument) +
                             " must be a file path or a list of letter strings");
    sample.isFile = false;
    for (const py::handle item : value) {
        if (!py::isinstance<py::str>(item))
            throw py::type_error(std::string(argument) + " holds something that is not a string");
        sample.letters.push_back(item.cast<std::string>());
    }
    return sample;
}

// Letter strings (str or bytes) seen in place: the views point into the Python objects, which
// `keep` holds alive (an ASCII str keeps its UTF-8 form inside itself, so nothing is copied).
struct LetterViews {
    std::vector<py::object> keep;
    std::vector<std::string_view> views;
};

LetterViews letterViews(const py::handle& value, const char* argument) {
    LetterViews letters;
    auto add = [&](const py::handle& item) {
        if (PyUnicode_Check(item.ptr())) {
            Py_ssize_t size = 0;
            const char* data = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
            if (data == nullptr) throw py::error_already_set();
            letters.views.emplace_back(data, static_cast<size_t>(size));
        } else if (PyBytes_Check(item.ptr())) {
            letters.views.emplace_back(PyBytes_AS_STRING(item.ptr()),
                                       static_cast<size_t>(PyBytes_GET_SIZE(item.ptr())));
        } else {
            throw py::type_error(std::string(argument) +
                                 " holds something that is not a string of letters");
        }
        letters.keep.push_back(py::reinterpret_borrow<py::object>(item));
    };
    if (py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value)) {
        add(value);  // one sequence, not its letters one by one
        return letters;
    }
    if (!py::isinstance<py::iterable>(value))
        throw py::type_error(std::string(argument) + " must be a list of letter strings");
    for (const py::handle item : value) add(item);
    return letters;
}

int32_t choice(const std::string& value, const char* argument,
               std::initializer_list<const char*> allowed) {
    int32_t index = 0;
    std::string list;
    for (const char* name : allowed) {
        if (value == name) return index;
        list += (index ? ", \"" : "\"") + std::string(name) + "\"";
        ++index;
    }
    throw py::value_error(std::string(argument) + " must be one of " + list + ", not \"" + value +
                          "\"");
}

// The words of the idealization's type and source, in the order of their codes.
constexpr const char* kIdealizationWords[] = {"deleting", "inserting", "both"};
constexpr const char* kSourceWords[] = {"objects", "rules"};

// The code named `value`, `allowed` naming the codes in their order from 0.
template <typename Code>
Code choiceOf(const std::string& value, const char* argument,
              std::initializer_list<const char*> allowed) {
    return static_cast<Code>(choice(value, argument, allowed));
}

// Conditions and prediction of a rule in plain words: "T at 12 and not G at 10 => A at 5".
std::string plainWords(const Rule& rule) {
    std::string text;
    for (int32_t c = 0; c < rule.ConditionCount(); ++c) {
        const RuleCondition& condition = rule.Condition(c);
        if (c > 0) text += " and ";
        if (condition.sign < 0) text += "not ";
        text += std::string(1, rule.LetterText(condition.letter)) + " at " +
                std::to_string(condition.position + 1);
    }
    int32_t letter = -1;
    const double best = rule.BestPrediction(letter);
    text += " => ";
    if (letter >= 0 && best != 0.0)
        text += std::string(best < 0 ? "not " : "") + rule.LetterText(letter) + " at " +
                std::to_string(rule.TargetPosition() + 1);
    else
        text += "position " + std::to_string(rule.TargetPosition() + 1);
    return text;
}

py::dict proportion(const Proportion& p) {
    return py::dict("count"_a = p.count, "total"_a = p.total, "rate"_a = p.rate, "low"_a = p.low,
                    "high"_a = p.high);
}

py::object number(double value) {
    return std::isfinite(value) ? py::object(py::float_(value)) : py::object(py::none());
}

py::dict aucDict(const AucEstimate& a) {
    if (!a.defined)
        return py::dict("auc"_a = py::none(), "low"_a = py::none(), "high"_a = py::none());
    return py::dict("auc"_a = a.auc, "low"_a = a.low, "high"_a = a.high,
                    "standard_error"_a = a.standardError);
}

py::array_t<double> rocArray(const std::vector<RocPoint>& roc) {
    py::array_t<double> array({static_cast<py::ssize_t>(roc.size()), py::ssize_t{3}});
    auto view = array.mutable_unchecked<2>();
    for (size_t i = 0; i < roc.size(); ++i) {
        const auto r = static_cast<py::ssize_t>(i);
        view(r, 0) = roc[i].level;
        view(r, 1) = roc[i].falsePositiveRate;
        view(r, 2) = roc[i].truePositiveRate;
    }
    return array;
}

// The Python object of a model.
class PyModel {
  public:
    std::unique_ptr<Model> model = std::make_unique<Model>();
    int32_t threads = 1;
    // Held (without the GIL) while the classificator's scratch state is in use: Python threads
    // may share a model.
    std::mutex busy;

    Model& get() { return *model; }
    TMainManager& workspace() { return model->workspace(); }

    py::list rules() {
        py::list list;
        TMainManager& m = workspace();
        if (!m.rules()) return list;
        const RulesStorage& store = *m.rules();
        for (int32_t i = 0; i < store.Count(); ++i) {
            const ListedRule r = listedRule(store, i);
            const Rule& rule = *r.rule;
            py::list conditions;
            for (const ListedRule::Condition& c : r.conditions)
                conditions.append(py::make_tuple(c.position, std::string(1, c.letter), c.negated));
            py::dict entry("number"_a = r.number, "text"_a = r.ruleText,
                           "words"_a = plainWords(rule), "fisher"_a = rule.fisher, "cp"_a = rule.cp,
                           "fisher_text"_a = r.fisherText, "cp_text"_a = r.cpText,
                           "target"_a = r.target, "conditions"_a = conditions,
                           "condition_count"_a = rule.ConditionCount());
            if (r.prediction) {
                entry["predicted_letter"] = std::string(1, r.prediction->letter);
                entry["probability"] = r.prediction->probability;
                entry["excluded"] = r.prediction->excluded;
            } else {
                entry["predicted_letter"] = py::none();
                entry["probability"] = py::none();
                entry["excluded"] = py::none();
            }
            list.append(entry);
        }
        return list;
    }

    py::list classes() {
        py::list list;
        TMainManager& m = workspace();
        const CCodeTable* letters = m.storage() ? &m.storage()->codeTable : nullptr;
        std::vector<int32_t> members(static_cast<size_t>(std::max(m.classCount(), 0)), 0);
        if (m.storage()) {
            const SEQStorage& s = *m.storage();
            for (int32_t j = 0; j < s.learnObjectCount && j < s.learnObjects.size(); ++j) {
                const int32_t k = s.learnObjects[j].classNumber;
                if (k >= 0 && k < m.classCount()) ++members[static_cast<size_t>(k)];
            }
        }
        for (int32_t k = 0; k < m.classCount() && k < static_cast<int32_t>(m.idealObjects().size());
             ++k) {
            const CIdelObject* object = m.idealObjects()[static_cast<size_t>(k)].get();
            std::string text;
            if (object && letters) object->ToText(text, *letters);
            list.append(py::dict("class"_a = k + 1, "text"_a = text,
                                 "value"_a = object ? object->Value() : 0.0,
                                 "objects"_a = members[static_cast<size_t>(k)]));
        }
        return list;
    }

    py::list discriminativeRules() {
        py::list list;
        const auto found = workspace().contrastRules();
        if (!found) return list;
        for (const ContrastRule& rule : found->rules)
            list.append(py::dict("text"_a = found->conditionsText(rule),
                                 "words"_a = found->plainText(rule), "fisher"_a = rule.fisher,
                                 "cp"_a = rule.cp, "weight"_a = rule.weight(),
                                 "positive"_a = rule.predictsPositive(),
                                 "positives_holding"_a = rule.positivesHolding,
                                 "negatives_holding"_a = rule.negativesHolding));
        return list;
    }

    py::dict settings() {
        const ProjectSettings& h = model->header();
        return py::dict("mode"_a = h.shiftPositions() ? "shift" : "fixed", "width"_a = h.frameWidth,
                        "confidence"_a = h.confidence, "cp"_a = h.cpThreshold,
                        "finish"_a = h.finishBufferSize, "sub"_a = h.subBufferSize,
                        "idealization"_a = kIdealizationWords[codeOf(h.idealizationType)],
                        "source"_a = kSourceWords[codeOf(workspace().idealizationSource())],
                        "object_width"_a = model->width());
    }

    void save(const py::object& path) {
        const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
        Status status;
        {
            py::gil_scoped_release withoutGil;
            const std::lock_guard<std::mutex> lock(busy);
            status = model->save(file);
        }
        if (!status) raiseInput(status);
    }

    py::object score(const py::object& sequences, const std::string& kind) {
        const int32_t which = choice(kind, "score", {"class", "discriminative"});
        const LetterViews letters = letterViews(sequences, "sequences");
        const std::vector<std::string_view>& views = letters.views;
        const auto n = static_cast<py::ssize_t>(views.size());
        py::array_t<double> scores(n);
        if (which == 1) {
            const auto found = workspace().contrastRules();
            if (!found)
                raiseRun("the model has no discriminative rules (learn with discriminative=True)");
            {
                py::gil_scoped_release withoutGil;
                scoreByContrast(*found, views, scores.mutable_data());
            }
            return scores;
        }
        py::array_t<int32_t> classes(n);
        TMainManager& m = workspace();
        if (!m.classificator() || !m.storage()) raiseRun("the model has no classes");
        Status status;
        {
            py::gil_scoped_release withoutGil;
            const std::lock_guard<std::mutex> lock(busy);
            status = scoreByClasses(*m.classificator(), m.storage()->codeTable, m.classCount(),
                                    m.storage()->width, views, scores.mutable_data(),
                                    classes.mutable_data());
        }
        if (!status) {
            status.file = "sequences";
            raiseInput(status);
        }
        return py::make_tuple(scores, classes);
    }

    py::dict crossValidate(int32_t folds, uint64_t seed, const std::string& level,
                           double wantedFirstError, const std::string& kind, int32_t foldThreads,
                           const py::object& progress) {
        const int32_t which = choice(kind, "score", {"class", "discriminative"});
        const bool balanced = choice(level, "level", {"wanted", "balanced"}) == 1;
        TMainManager& m = workspace();
        if (m.searchSettings().shiftPositions())
            raiseRun(
                "cross-validation works on whole aligned sequences, not in shift-positions mode");
        // The settings motifora-cli --cross-validate takes: those of the model's search.
        CrossValidationSettings settings = m.crossValidationDefaults();
        settings.folds = folds;
        settings.seed = seed;
        settings.levelRule = balanced ? LevelRule::kBalancedAccuracy : LevelRule::kWantedFirstError;
        settings.wantedFirstError = wantedFirstError;
        settings.threads = foldThreads;
        const std::vector<Sequence> positives = model->learningPositives();
        const std::vector<Sequence> negatives = model->learningNegatives();
        const std::string refusal =
            crossValidationRefusal(settings, static_cast<int32_t>(positives.size()),
                                   static_cast<int32_t>(negatives.size()));
        if (!refusal.empty()) throw py::value_error("the cross-validation cannot run: " + refusal);

        RunControl control;
        control.setRunning(true);
        CrossValidationProgress foldProgress;
        foldProgress.reset(folds);
        CrossValidationResult result;
        ProgressHook hook{[&] {
                              return Progress{"cross-validation", foldProgress.doneCount(), folds};
                          },
                          progress,
                          {}};
        runInterruptibly(
            [&] {
                result = which == 0 ? motifora::crossValidate(positives, negatives, settings,
                                                              &control, &foldProgress)
                                    : contrastCrossValidate(positives, negatives, settings,
                                                            &control, &foldProgress);
            },
            [&] { control.setRunning(false); }, hook);
        if (!result.complete) raiseRun("the cross-validation did not end");

        py::list perFold;
        for (const FoldSummary& f : result.folds) {
            LabelledScores scores;
            for (const HeldOutSequence& h : result.sequences)
                if (h.fold == f.fold)
                    (h.positive ? scores.positives : scores.negatives).push_back(h.score.bestScore);
            perFold.append(py::dict("fold"_a = f.fold + 1, "positives"_a = f.positives,
                                    "negatives"_a = f.negatives, "rules"_a = f.rules,
                                    "classes"_a = f.classes, "auc"_a = aucDict(f.auc),
                                    "level"_a = number(f.errors.level),
                                    "first_level_errors"_a = proportion(f.errors.first),
                                    "second_level_errors"_a = proportion(f.errors.second),
                                    "roc"_a = rocArray(rocCurve(scores))));
        }
        const auto count = static_cast<py::ssize_t>(result.sequences.size());
        py::array_t<bool> positive(count);
        py::array_t<int32_t> record(count), fold(count), bestClass(count);
        py::array_t<double> bestScore(count);
        for (py::ssize_t i = 0; i < count; ++i) {
            const HeldOutSequence& h = result.sequences[static_cast<size_t>(i)];
            positive.mutable_data()[i] = h.positive;
            record.mutable_data()[i] = h.record + 1;
            fold.mutable_data()[i] = h.fold + 1;
            bestClass.mutable_data()[i] = h.score.bestClass + 1;
            bestScore.mutable_data()[i] = h.score.bestScore;
        }
        return py::dict(
            "score"_a = kind, "folds"_a = folds, "seed"_a = seed,
            "level_rule"_a = balanced ? "balanced accuracy" : "wanted first-level error",
            "wanted_first_error"_a = wantedFirstError, "auc"_a = aucDict(result.auc),
            "level"_a = number(result.level),
            "first_level_errors"_a = proportion(result.errors.first),
            "second_level_errors"_a = proportion(result.errors.second),
            "roc"_a = rocArray(result.roc), "per_fold"_a = perFold,
            "sequences"_a = py::dict("positive"_a = positive, "record"_a = record, "fold"_a = fold,
                                     "best_class"_a = bestClass, "best_score"_a = bestScore));
    }
};

// The iterator a scan returns: one dict per record, in file order.
class PyScan {
  public:
    std::unique_ptr<ScanRun> run;
    std::vector<int32_t> classes;  // 0-based, in the order of the hits' class orders
    ProgressHook hook;

    py::dict next() {
        ScanRun& r = *run;
        waitInterruptibly(
            r.mutex(), r.changed(), [&r] { return r.ready(); }, [&r] { r.stop(); }, hook);
        ScannedRecord record;
        bool taken = false;
        {
            std::lock_guard<std::mutex> lock(r.mutex());
            taken = r.take(record);
        }
        if (!taken) {
            const std::string failure = r.failure();
            if (!failure.empty()) {
                Status status = Status::failure(failure);
                raiseInput(status);
            }
            throw py::stop_iteration();
        }
        py::list hits;
        for (const ScanHit& h : record.hits)
            hits.append(py::make_tuple(h.start, h.end,
                                       classes[static_cast<size_t>(h.classOrder)] + 1,
                                       std::string(1, h.strand), h.score));
        py::dict out("record"_a = record.name, "letters"_a = record.letters, "hits"_a = hits);
        if (wantScores) {
            py::array_t<double> scores(static_cast<py::ssize_t>(record.scores.size()));
            std::copy(record.scores.begin(), record.scores.end(), scores.mutable_data());
            out["scores"] = scores;
        }
        return out;
    }

    py::dict totals() {
        const ScanTotals t = run->totals();
        return py::dict("records"_a = t.records, "letters"_a = t.letters, "windows"_a = t.windows,
                        "skipped_windows"_a = t.skippedWindows, "hits"_a = t.hits);
    }

    bool wantScores = false;
};

std::unique_ptr<PyScan> scan(PyModel& self, const py::object& genome, const py::object& classes,
                             const std::string& strand, const std::optional<double>& level,
                             bool scores, bool merge, const std::vector<std::string>& records,
                             int32_t threads, const py::object& progress) {
    TMainManager& m = self.workspace();
    if (!m.classificator() || !m.storage() || m.classCount() < 1)
        raiseRun("the model has no classes");
    ScanSettings settings;
    settings.bothStrands = choice(strand, "strand", {"+", "both"}) == 1;
    settings.hits = level.has_value();
    settings.level = level.value_or(0.0);
    settings.merge = merge;
    if (merge && !level) throw py::value_error("merge needs a level");
    settings.threads = std::max(threads, 1);
    settings.records = records;
    if (classes.is_none()) {
        for (int32_t k = 0; k < m.classCount(); ++k) settings.classes.push_back(k);
    } else if (py::isinstance<py::str>(classes)) {
        if (!parseClassList(classes.cast<std::string>(), settings.classes))
            throw py::value_error("classes: \"" + classes.cast<std::string>() +
                                  "\" is not a list of class numbers such as 1,3-5");
    } else {
        for (const py::handle item : classes) settings.classes.push_back(item.cast<int32_t>() - 1);
    }
    auto result = std::make_unique<PyScan>();
    const std::string path = py::str(py::module_::import("os").attr("fspath")(genome));
    result->run = std::make_unique<ScanRun>(path, scores);
    result->classes = settings.classes;
    ScanRun* started = result->run.get();
    result->hook.read = [started] { return Progress{"scan", started->totals().letters, 0}; };
    result->hook.callback = progress;
    result->wantScores = scores;
    std::string error;
    bool prepared = false;
    {
        py::gil_scoped_release withoutGil;
        const std::lock_guard<std::mutex> lock(self.busy);
        prepared =
            result->run->prepare(*m.classificator(), m.storage()->codeTable, settings, error);
    }
    if (!prepared) throw py::value_error(error);
    result->run->start();
    return result;
}

std::unique_ptr<PyModel> learn(const py::object& positives, const py::object& negatives,
                               const std::string& mode, const std::optional<int32_t>& width,
                               double confidence, double cp, int32_t finish, int32_t sub,
                               const std::string& idealization, const std::string& source,
                               bool discriminative, int32_t threads, const py::object& progress) {
    LearnOptions options;
    options.search.confidence = confidence;
    options.search.cpThreshold = cp;
    options.search.finishBufferSize = finish;
    options.search.subBufferSize = sub;
    options.search.workMode = choiceOf<WorkMode>(mode, "mode", {"fixed", "shift"});
    if (width) options.search.frameWidth = *width;
    options.idealizationType =
        choiceOf<IdealizationType>(idealization, "idealization", {"deleting", "inserting", "both"});
    options.idealizationSource =
        choiceOf<IdealizationSource>(source, "source", {"objects", "rules"});
    options.discriminative = discriminative;
    options.threads = threads;
    const SampleSource positiveSample = sampleArgument(positives, "positives");
    std::optional<SampleSource> negativeSample;
    if (!negatives.is_none()) negativeSample = sampleArgument(negatives, "negatives");

    auto self = std::make_unique<PyModel>();
    self->threads = threads;
    Model& model = self->get();
    Status status;
    {
        py::gil_scoped_release withoutGil;
        status = model.load(positiveSample, negativeSample ? &*negativeSample : nullptr);
    }
    if (!status) raiseInput(status);
    ProgressHook hook{
        [&model] {
            switch (model.stage()) {
                case LearnStage::Loading:
                    return Progress{"loading", 0, 0};
                case LearnStage::Searching:
                    return Progress{"search", std::max(model.searchTarget(), 0), model.width()};
                case LearnStage::Idealizing:
                    return Progress{"idealization", 0, 0};
                case LearnStage::Discriminative:
                    return Progress{"discriminative search", 0, 0};
                case LearnStage::Done:
                    break;
            }
            return Progress{"done", 0, 0};
        },
        progress,
        {}};
    runInterruptibly([&] { status = model.learn(options); }, [&model] { model.stop(); }, hook);
    if (!status) {
        if (model.stopped()) raiseRun("the learning run was stopped");
        if (status.message.find(" must be ") != std::string::npos ||
            status.message.find("not a number") != std::string::npos)
            throw py::value_error(status.message);
        raiseRun(status.message);
    }
    return self;
}

std::unique_ptr<PyModel> openModel(const py::object& path) {
    const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
    auto self = std::make_unique<PyModel>();
    Status status;
    {
        py::gil_scoped_release withoutGil;
        status = self->get().open(file);
    }
    if (!status) raiseInput(status);
    return self;
}

py::tuple readSamples(const py::object& path) {
    const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
    std::vector<Sequence> records;
    Status status;
    {
        py::gil_scoped_release withoutGil;
        status = python::readSampleFile(file, records);
    }
    if (!status) raiseInput(status);
    py::list names, letters;
    for (const Sequence& s : records) {
        names.append(s.name);
        letters.append(s.text);
    }
    return py::make_tuple(names, letters);
}

}  // namespace

}  // namespace motifora::python

PYBIND11_MODULE(motifora, module) {
    using namespace motifora::python;
    module.doc() =
        "Motifora's engine from Python: regularities in aligned DNA sequences, their classes, "
        "class and discriminative scores, cross-validation and genome scans.\n\n"
        "    names, letters = motifora.read_samples('promoters_pos.seq')\n"
        "    model = motifora.learn('promoters_pos.seq', 'promoters_neg.seq')\n"
        "    scores, classes = model.score(letters)\n"
        "    cv = model.cross_validate(k=5, seed=1)\n\n"
        "Long runs release the GIL; Ctrl-C stops them (KeyboardInterrupt) within a second. "
        "Class numbers are 1-based as the window shows them; 0 means no class. Bad input raises "
        "motifora.InputError (a ValueError) whose file, line and record attributes say where.";
    module.attr("__version__") = MOTIFORA_VERSION;

    inputErrorType() = py::reinterpret_steal<py::object>(
        PyErr_NewExceptionWithDoc("motifora.InputError",
                                  "A file or list the engine refused. `file`, `line` and `record` "
                                  "(1-based, None when not known) say where; the message says "
                                  "what is wrong.",
                                  PyExc_ValueError, nullptr));
    module.attr("InputError") = inputErrorType();

    module.def("read_samples", &readSamples, py::arg("path"),
               "read_samples(path) -> (names, letters)\n\n"
               "Reads a sample file as the window loads one: a \".seq\" file or FASTA (.fa, "
               ".fasta, .fna, .fas, each maybe gzipped). Returns two lists of strings, the "
               "records' names and their letters. Raises InputError naming the file, the record "
               "or line and what is wrong.");

    py::class_<PyModel>(module, "Model",
                        "Rules and classes learned from samples (motifora.learn) or opened from a "
                        "project (motifora.open).")
        .def_property_readonly("rules", &PyModel::rules,
                               "The regularities, ascending Fisher value: dicts with number, "
                               "text (as the rules grid shows it), words (in plain words), "
                               "fisher, cp, their texts, target position, conditions "
                               "(position, letter, negated), condition_count and the prediction "
                               "(predicted_letter, probability, excluded).")
        .def_property_readonly("classes", &PyModel::classes,
                               "The classes: dicts with class (1-based), text (the ideal "
                               "object), value and objects (learning objects in the class).")
        .def_property_readonly("discriminative_rules", &PyModel::discriminativeRules,
                               "The discriminative rules (learn with discriminative=True): dicts "
                               "with text, words, fisher, cp, weight, positive, "
                               "positives_holding and negatives_holding.")
        .def_property_readonly("settings", &PyModel::settings,
                               "The settings the model was learned with, as a project stores "
                               "them.")
        .def("save", &PyModel::save, py::arg("path"),
             "save(path)\n\nWrites the project (.dnp) byte for byte as the window saves it, and "
             "the discriminative rules beside it (PATH.contrast) when there are any. Raises "
             "InputError when it cannot be written (an earlier file stays as it was).")
        .def("score", &PyModel::score, py::arg("sequences"), py::arg("score") = "class",
             "score(sequences, score='class')\n\n"
             "score='class': returns (scores, classes), two NumPy arrays: each sequence's best "
             "score over the classes and that class (1-based; 0 and NaN for a sequence holding "
             "a letter outside the model's alphabet) -- the scores the recognition gives. "
             "Sequences must be as long as the model's objects (scan longer ones).\n"
             "score='discriminative': returns one array, the sum of the weights of the "
             "discriminative rules holding on each sequence.")
        .def("cross_validate", &PyModel::crossValidate, py::arg("k") = 5, py::arg("seed") = 1,
             py::arg("level") = "wanted", py::arg("wanted_first_error") = 0.05,
             py::arg("score") = "class", py::arg("threads") = 0, py::arg("progress") = py::none(),
             "cross_validate(k=5, seed=1, level='wanted', wanted_first_error=0.05, "
             "score='class', threads=0, progress=None) -> dict\n\n"
             "Stratified k-fold cross-validation of the model's learning positives and negatives "
             "with its settings, as motifora-cli --cross-validate K,SEED runs it (level='balanced' "
             "is its --balanced; score='discriminative' cross-validates the discriminative "
             "score). Returns the pooled AUC with its 95 % DeLong interval ('auc': auc, low, "
             "high), the chosen 'level', the 'first_level_errors' and 'second_level_errors' "
             "(count, total, rate and 95 % Wilson interval), 'roc' (an array of level, false "
             "positive rate, true positive rate), 'per_fold' (one dict per fold) and "
             "'sequences' (arrays of every held-out sequence: positive, record, fold, "
             "best_class, best_score). threads: folds at once (0 = one per core; the figures "
             "do not depend on it). progress(stage, done, total) is called as folds end.")
        .def("scan", &scan, py::arg("genome"), py::arg("classes") = py::none(),
             py::arg("strand") = "both", py::arg("level") = py::none(), py::arg("scores") = false,
             py::arg("merge") = false, py::arg("records") = std::vector<std::string>{},
             py::arg("threads") = 1, py::arg("progress") = py::none(),
             "scan(genome, classes=None, strand='both', level=None, scores=False, merge=False, "
             "records=[], threads=1, progress=None) -> iterator\n\n"
             "Scores every window of every record of a FASTA file (maybe gzipped) against the "
             "classes (None: all; a list of 1-based numbers or a text such as '1,3-5'), on "
             "strand '+' or 'both', as motifora-cli scan does. Yields one dict per record in "
             "file order: 'record', 'letters', 'hits' (tuples start, end, class, strand, "
             "score of the windows scoring at least `level`; none without a level) and, with "
             "scores=True, 'scores': a NumPy array of the best score of each window start (the "
             "values of scan --bedgraph; NaN where a window holds a letter outside the "
             "alphabet). The scan reads ahead at most two records.",
             py::keep_alive<0, 1>());

    py::class_<PyScan>(module, "Scan", "The records of a running genome scan, in file order.")
        .def("__iter__", [](PyScan& self) -> PyScan& { return self; })
        .def("__next__", &PyScan::next)
        .def("totals", &PyScan::totals,
             "totals() -> dict\n\nRecords, letters, windows scored, windows skipped and hits so "
             "far (all of them once the iteration has ended).");

    module.def("learn", &learn, py::arg("positives"), py::arg("negatives") = py::none(),
               py::arg("mode") = "fixed", py::arg("width") = py::none(),
               py::arg("confidence") = 0.05, py::arg("cp") = 0.8, py::arg("finish") = 500,
               py::arg("sub") = 50, py::arg("idealization") = "both", py::arg("source") = "objects",
               py::arg("discriminative") = false, py::arg("threads") = 1,
               py::arg("progress") = py::none(),
               "learn(positives, negatives=None, mode='fixed', width=None, confidence=0.05, "
               "cp=0.8, finish=500, sub=50, idealization='both', source='objects', "
               "discriminative=False, threads=1, progress=None) -> Model\n\n"
               "Loads the samples (file paths or lists of letter strings) and runs the rule "
               "search and the idealization as the window does (motifora-cli --mode, --width, "
               "--confidence, --cp, --finish, --sub, --idealization deleting|inserting|both, "
               "--source objects|rules), and with discriminative=True the discriminative search "
               "(--contrast). threads: search threads (results do not depend on it). "
               "progress(stage, done, total) is called as the run goes on. Raises InputError for "
               "a refused sample, ValueError for refused settings, RuntimeError when no "
               "regularity or class is found, KeyboardInterrupt on Ctrl-C.");
    module.def("open", &openModel, py::arg("path"),
               "open(path) -> Model\n\nOpens a project (.dnp) saved by the window, motifora-cli or "
               "Model.save, with its discriminative rules when their side file lies beside it. "
               "Raises InputError naming the file and what is wrong.");
}
