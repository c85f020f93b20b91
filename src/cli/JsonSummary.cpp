// Building the --json summary of a batch run from the workspace and the window's lists.
#include "cli/JsonSummary.h"

#include "core/NumberFormat.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

#ifndef MOTIFORA_VERSION
#define MOTIFORA_VERSION "0"
#endif

namespace motifora {

using json = nlohmann::ordered_json;

namespace {

// A number shown by the window (with the program-wide separator, or the other one) as a JSON
// number; null for an empty or unreadable text.
json shownNumber(const NumberFormat& numbers, const std::string& text) {
    double value = 0.0;
    if (text.empty()) return nullptr;
    if (numbers.tryReadReal(text, value) || readUserReal(text, value)) return value;
    return nullptr;
}

json shownInteger(const std::string& text) {
    int32_t value = 0;
    if (NumberFormat::readInteger(text, value)) return value;
    return nullptr;
}

// A class number as the lists show it: 1-based; -1 (no class) is null.
json classOf(int32_t classNumber) {
    if (classNumber < 0) return nullptr;
    return classNumber + 1;
}

json settings(TMainForm& f) {
    const NumberFormat& n = f.numbers();
    const std::optional<IdealizationType> type = f.checkedIdealizationType();
    json s;
    s["confidence"] = shownNumber(n, f.ConfIntEdit.text());
    s["confidenceText"] = f.ConfIntEdit.text();
    s["cp"] = shownNumber(n, f.CPEdit.text());
    s["cpText"] = f.CPEdit.text();
    s["finishBufferSize"] = shownInteger(f.FinishStorSizeEdit.text());
    s["subBufferSize"] = shownInteger(f.SubBuffersSizeEdit.text());
    s["mode"] = f.btnShiftPositionsRadio.checked() ? "shift" : "fixed";
    s["frameWidth"] = shownInteger(f.FrameWidthEdit.text());
    s["objectWidth"] = f.mainManager->storage() ? json(f.mainManager->storage()->width) : json();
    s["idealization"] = type ? json(idealizationWord(*type)) : json();
    s["source"] = idealizationSourceWord(f.idealizationSource());
    s["arranged"] = f.Rec_Arranged.checked();
    s["decimalSeparator"] = std::string(1, n.separator());
    return s;
}

json sample(const TMainManager& m, SampleKind kind, int32_t count, const Grid& grid) {
    json records = json::array();
    for (int32_t i = 0; i < count; ++i) {
        const Sequence* read = m.sequence(kind, i);
        const char* text = m.sequenceText(kind, i);
        json record;
        record["number"] = i + 1;
        record["name"] = read ? read->name : "";
        // A FASTA header with more than the name, as read (the window shows it).
        if (read && !read->description.empty()) record["header"] = read->description;
        record["length"] = text ? static_cast<int64_t>(std::string(text).size()) : 0;
        const std::string shownClass = grid.cell(4, i + 1);
        record["class"] = shownClass.empty()    ? json()
                          : shownClass == "New" ? json("New")
                                                : shownInteger(shownClass);
        records.push_back(record);
    }
    return {{"count", count}, {"sequences", records}};
}

json objectSet(const ObjectSet& set, int32_t count) {
    json classes = json::array();
    for (int32_t i = 0; i < count && i < set.size(); ++i)
        classes.push_back(classOf(set[i].classNumber));
    return classes;
}

json rules(const TMainManager& m) {
    json list = json::array();
    if (!m.rules()) return list;
    const RulesStorage& store = *m.rules();
    for (int32_t i = 0; i < store.Count(); ++i) {
        const ListedRule r = listedRule(store, i);
        json conditions = json::array();
        for (const ListedRule::Condition& c : r.conditions)
            conditions.push_back({{"position", c.position},
                                  {"letter", std::string(1, c.letter)},
                                  {"negated", c.negated}});
        json prediction;
        if (r.prediction)
            prediction = {{"letter", std::string(1, r.prediction->letter)},
                          {"probability", r.prediction->probability},
                          {"excluded", r.prediction->excluded}};
        list.push_back({{"number", r.number},
                        {"fisher", r.rule->fisher},
                        {"fisherText", r.fisherText},
                        {"cp", r.rule->cp},
                        {"cpText", r.cpText},
                        {"text", r.ruleText},
                        {"target", r.target},
                        {"conditions", conditions},
                        {"prediction", prediction}});
    }
    return list;
}

json idealObjects(TMainForm& f) {
    const TMainManager& m = *f.mainManager;
    json list = json::array();
    const CCodeTable* letters = m.storage() ? &m.storage()->codeTable : nullptr;
    for (int32_t k = 0; k < m.classCount() && k < static_cast<int32_t>(m.idealObjects().size());
         ++k) {
        const CIdelObject* object = m.idealObjects()[static_cast<size_t>(k)].get();
        json entry{{"class", k + 1}};
        if (object) {
            std::string text;
            if (letters) object->ToText(text, *letters);
            entry["text"] = letters ? json(text) : json(f.IdealizObjectsList.cell(2, k + 1));
            entry["value"] = object->Value();
        }
        list.push_back(entry);
    }
    return list;
}

// Score and result cells (columns 5 and 6) of the first `count` rows of a sample list.
json scoredRows(const NumberFormat& n, const Grid& grid, int32_t count) {
    json rows = json::array();
    for (int32_t r = 1; r <= count; ++r) {
        const std::string score = grid.cell(5, r);
        if (score.empty()) continue;
        json row{{"number", r},
                 {"class", shownInteger(grid.cell(4, r))},
                 {"score", shownNumber(n, score)},
                 {"scoreText", score}};
        const std::string result = grid.cell(6, r);
        if (!result.empty()) row["recognized"] = result == "+Recognized";
        rows.push_back(row);
    }
    return rows;
}

json errors(TMainForm& f) {
    const TMainManager& m = *f.mainManager;
    const NumberFormat& n = f.numbers();
    json e;
    e["level"] = shownNumber(n, f.RecLevelEdit.text());
    e["levelText"] = f.RecLevelEdit.text();
    e["firstLevelError"] = shownNumber(n, f.FirstLErrEd.text());
    e["firstLevelErrorText"] = f.FirstLErrEd.text();
    e["firstLevelRecognized"] = f.FstErrInW.text();
    e["secondLevelError"] = shownNumber(n, f.SecondLErr.text());
    e["secondLevelErrorText"] = f.SecondLErr.text();
    e["secondLevelRecognized"] = f.SecErrInW.text();
    // With several classes the ideal-object list holds each class's level and counts.
    json perClass = json::array();
    const Grid& classes = f.IdealizObjectsList;
    if (classes.colCount() == 6) {
        for (int32_t r = 1; r < classes.rowCount(); ++r) {
            if (classes.cell(3, r).empty()) continue;
            perClass.push_back({{"class", r},
                                {"level", shownNumber(n, classes.cell(3, r))},
                                {"levelText", classes.cell(3, r)},
                                {"missedPositives", shownInteger(classes.cell(4, r))},
                                {"acceptedNegatives", shownInteger(classes.cell(5, r))}});
        }
    }
    e["perClass"] = perClass;
    e["scores"] = {
        {"learningPositive", scoredRows(n, f.SequencesList, m.learnPositiveCount())},
        {"learningNegative", scoredRows(n, f.NegSequencesList, m.learnNegativeCount())},
        {"controlNegative", scoredRows(n, f.NewSeqsList, m.controlNegativeCount())},
        {"controlPositive", scoredRows(n, f.PosCtrlSeqsList, m.controlPositiveCount())},
    };
    return e;
}

json bootstrap(TMainForm& f, const BatchOptions& o) {
    const NumberFormat& n = f.numbers();
    const TBootStrCtrl& b = f.BootStrCtrl;
    json rows = json::array();
    for (int32_t r = 1; r < b.ErrorsList.rowCount(); ++r) {
        if (b.ErrorsList.cell(0, r).empty()) continue;
        rows.push_back({{"iteration", r},
                        {"firstLevelError", shownNumber(n, b.ErrorsList.cell(0, r))},
                        {"secondLevelError", shownNumber(n, b.ErrorsList.cell(1, r))}});
    }
    return {{"percent", shownInteger(b.PositPercent.text())},
            {"iterations", shownInteger(b.IterCount.text())},
            {"wantedFirstError", shownNumber(n, o.bootstrapError)},
            {"seed", o.seed ? json(*o.seed) : json(1)},
            {"rows", rows},
            {"averages",
             {{"firstLevelError", shownNumber(n, b.Label4.text())},
              {"secondLevelError", shownNumber(n, b.Label5.text())}}}};
}

}  // namespace

void JsonSummary::captureRecognition(TMainForm& f) {
    const TMainManager& m = *f.mainManager;
    const NumberFormat& n = f.numbers();
    json objects = json::array();
    for (int32_t r = 1; r <= m.controlNegativeCount(); ++r) {
        json cells = json::array();
        for (int32_t c = 5; c < f.NewSeqsList.colCount(); ++c) {
            const std::string cell = f.NewSeqsList.cell(c, r);
            const size_t colon = cell.find(':');
            if (colon == std::string::npos) continue;
            cells.push_back({{"class", shownInteger(cell.substr(0, colon))},
                             {"score", shownNumber(n, cell.substr(colon + 1))},
                             {"text", cell}});
        }
        objects.push_back({{"number", r}, {"scores", cells}});
    }
    classScores_ = objects;
}

void JsonSummary::captureErrors(TMainForm& form) { errors_ = errors(form); }

json JsonSummary::build(TMainForm& f, const BatchOptions& options,
                        const std::array<bool, kStageCount>& ran) const {
    const TMainManager& m = *f.mainManager;
    json summary;
    summary["program"] = "motifora-cli";
    summary["version"] = MOTIFORA_VERSION;
    summary["settings"] = settings(f);
    json stages = json::array();
    for (int32_t s = 0; s < kStageCount; ++s)
        if (ran[static_cast<size_t>(s)]) stages.push_back(stageName(static_cast<Stage>(s)));
    summary["stages"] = stages;
    summary["samples"] = {
        {"learningPositive",
         sample(m, SampleKind::LearnPositive, m.learnPositiveCount(), f.SequencesList)},
        {"learningNegative",
         sample(m, SampleKind::LearnNegative, m.learnNegativeCount(), f.NegSequencesList)},
        {"controlNegative",
         sample(m, SampleKind::ControlNegative, m.controlNegativeCount(), f.NewSeqsList)},
        {"controlPositive",
         sample(m, SampleKind::ControlPositive, m.controlPositiveCount(), f.PosCtrlSeqsList)},
    };
    json objects = nullptr;
    if (m.storage()) {
        const SEQStorage& s = *m.storage();
        objects = {
            {"learning", objectSet(s.learnObjects, s.learnObjectCount)},
            {"learningNegative", objectSet(s.negativeObjects, s.negativeObjectCount)},
            {"controlNegative", objectSet(s.controlNegativeObjects, s.controlNegativeObjectCount)},
            {"controlPositive", objectSet(s.controlPositiveObjects, s.controlPositiveObjectCount)},
        };
    }
    summary["objectClasses"] = objects;
    summary["rules"] = rules(m);
    summary["classCount"] = m.classCount();
    summary["idealObjects"] = idealObjects(f);

    json recognition = nullptr;
    if (ran[static_cast<size_t>(Stage::Recognize)]) {
        if (m.searchSettings().shiftPositions() || m.longControl()) {
            recognition = {{"kind", "scan"},
                           {"class", m.lastRecognitionClass() + 1},
                           {"level", shownNumber(f.numbers(), f.RecLevelEdit.text())},
                           {"windowScores", m.windowScores()}};
        } else {
            recognition = {{"kind", "classes"}, {"controlNegative", classScores_}};
        }
    }
    summary["recognition"] = recognition;
    summary["errors"] = ran[static_cast<size_t>(Stage::Errors)] ? errors_ : json();
    summary["bootstrap"] =
        ran[static_cast<size_t>(Stage::Bootstrap)] ? bootstrap(f, options) : json();
    return summary;
}

}  // namespace motifora
