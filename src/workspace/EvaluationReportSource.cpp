// The evaluation report's data read from a workspace.
#include "workspace/EvaluationReportSource.h"

#include <algorithm>
#include <ctime>
#include <numeric>

#include "core/NumberFormat.h"
#include "io/Sha256.h"
#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr int32_t kLogoCount = 6;
constexpr int32_t kRulesListed = 200;

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

std::vector<double> bestScores(const std::vector<SequenceScore>& scores) {
    std::vector<double> best;
    best.reserve(scores.size());
    for (const SequenceScore& s : scores) best.push_back(s.bestScore);
    return best;
}

}  // namespace

ControlScores controlScores(TMainManager& manager) {
    return {manager.controlSequenceScores(SampleKind::ControlNegative),
            manager.controlSequenceScores(SampleKind::ControlPositive)};
}

LevelErrors controlErrors(const ControlScores& scores, double level) {
    return errorsAtLevel({bestScores(scores.positives), bestScores(scores.negatives)}, level);
}

std::vector<ClassLogo> largestClassLogos(const TMainManager& manager, int32_t count,
                                         int32_t* leftOut) {
    std::vector<ClassLogo> logos;
    if (leftOut != nullptr) *leftOut = 0;
    const SEQStorage* storage = manager.storage();
    if (storage == nullptr || manager.classCount() < 1 || manager.searchSettings().shiftPositions())
        return logos;
    const int32_t objects = std::min(storage->learnObjectCount, storage->learnObjects.size());
    std::vector<int32_t> members(static_cast<size_t>(manager.classCount()), 0);
    for (int32_t j = 0; j < objects; ++j) {
        const int32_t c = storage->learnObjects[j].classNumber;
        if (c >= 0 && c < manager.classCount()) ++members[static_cast<size_t>(c)];
    }
    if (leftOut != nullptr)
        *leftOut =
            static_cast<int32_t>(std::count_if(members.begin(), members.end(), [](int32_t n) {
                return n > 0 && n < kLogoMinimumMembers;
            }));
    std::vector<int32_t> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return members[static_cast<size_t>(a)] > members[static_cast<size_t>(b)];
    });
    const int32_t letters = storage->alphabetSize;
    for (int32_t c : order) {
        if (static_cast<int32_t>(logos.size()) >= count ||
            members[static_cast<size_t>(c)] < kLogoMinimumMembers)
            break;
        ClassLogo logo;
        logo.classNumber = c + 1;
        logo.members = members[static_cast<size_t>(c)];
        for (int32_t l = 0; l < letters; ++l)
            logo.letters += static_cast<char>(storage->codeTable.letterOf(l));
        logo.freq.assign(static_cast<size_t>(storage->width),
                         std::vector<double>(static_cast<size_t>(letters), 0.0));
        for (int32_t p = 0; p < storage->width; ++p) {
            int32_t total = 0;
            std::vector<double>& row = logo.freq[static_cast<size_t>(p)];
            for (int32_t j = 0; j < objects; ++j) {
                const SEQSElem& object = storage->learnObjects[j];
                if (object.classNumber != c || p >= object.positionCount()) continue;
                const int32_t code = object.codeAt(p);
                if (code < 0 || code >= letters) continue;
                row[static_cast<size_t>(code)] += 1;
                ++total;
            }
            for (double& f : row) f = total > 0 ? f / total : 0.0;
        }
        logos.push_back(std::move(logo));
    }
    return logos;
}

EvaluationReportData evaluationReportData(TMainManager& manager, const SamplePaths& paths,
                                          const CrossValidationResult* cv,
                                          const std::optional<ControlDecision>& decision,
                                          const std::string& version) {
    EvaluationReportData data;
    data.date = utcNow();
    data.version = version;
    const TMainManager& m = manager;
    auto input = [&](const char* role, const std::string& path, int32_t records) {
        if (path.empty() || records <= 0) return;
        ReportInputFile file{role, path, records, {}};
        Sha256OfFile(path, file.sha256);  // a file gone since its load shows as unreadable
        data.inputs.push_back(std::move(file));
    };
    input("learning positive", paths.learnPositive, m.learnPositiveCount());
    input("learning negative", paths.learnNegative, m.learnNegativeCount());
    input("control negative", paths.controlNegative, m.controlNegativeCount());
    input("control positive", paths.controlPositive, m.controlPositiveCount());

    const CrossValidationSettings search = cv ? cv->settings : m.crossValidationDefaults();
    auto& s = data.settings;
    s.emplace_back("alignment",
                   m.searchSettings().shiftPositions() ? "shift positions" : "fixed positions");
    s.emplace_back("confidence interval (Fisher)", printfGeneral(search.search.confidence));
    s.emplace_back("minimum conditional probability", printfGeneral(search.search.cpThreshold));
    s.emplace_back("finish buffer", std::to_string(search.search.finishBufferSize));
    s.emplace_back("sub-buffers", std::to_string(search.search.subBufferSize));
    s.emplace_back("idealization", idealizationTypeCaption(search.idealizationType));
    s.emplace_back("ideal objects from",
                   search.idealizationSource == IdealizationSource::kObjects ? "objects" : "rules");
    if (cv != nullptr) {
        s.emplace_back("folds", std::to_string(cv->settings.folds));
        s.emplace_back("fold seed", std::to_string(cv->settings.seed));
        s.emplace_back("level rule", cv->settings.levelRule == LevelRule::kBalancedAccuracy
                                         ? "best balanced accuracy"
                                         : "wanted first-level error " +
                                               printfGeneral(cv->settings.wantedFirstError));
    }
    s.emplace_back("classes", std::to_string(m.classCount()));

    data.crossValidation = cv;
    if (decision) {
        data.hasControlDecision = true;
        data.control = *decision;
    }
    data.logos = largestClassLogos(m, kLogoCount, &data.classesWithoutLogo);
    if (m.rules()) {
        data.ruleCount = m.rules()->Count();
        for (int32_t i = 0; i < data.ruleCount && i < kRulesListed; ++i) {
            const Rule* rule = m.rules()->Get(i);
            if (rule == nullptr) continue;
            std::string fisher, cp, text;
            m.rules()->GetTexts(i, fisher, cp, text);
            data.rules.push_back({rule->fisher, rule->cp, text});
        }
    }
    return data;
}

}  // namespace motifora
