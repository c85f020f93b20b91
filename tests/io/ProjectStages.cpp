// Projects at each stage of the work, built with the storage, the generator and the classificator.
#include "ProjectStages.h"

#include <stdexcept>
#include <utility>

#include "classify/Classificator.h"
#include "core/FileManager.h"
#include "rules/RegGenerator.h"

namespace motifora::testing {

namespace {

// Every stage in the order of the work, with the name the tests print for it.
const std::pair<Stage, const char*> kStages[] = {
    {Stage::kSamplesOnly, "SamplesOnly"},
    {Stage::kAfterSearch, "AfterSearch"},
    {Stage::kAfterIdealization, "AfterIdealization"},
    {Stage::kAfterClassification, "AfterClassification"},
    {Stage::kWithRecognition, "WithRecognition"},
    {Stage::kWithControlPositive, "WithControlPositive"},
    {Stage::kWithLearnNegative, "WithLearnNegative"},
    {Stage::kShiftMode, "ShiftMode"},
};

}  // namespace

const std::vector<Stage>& allStages() {
    static const std::vector<Stage> stages = [] {
        std::vector<Stage> all;
        for (const auto& [stage, name] : kStages) all.push_back(stage);
        return all;
    }();
    return stages;
}

std::string stageName(Stage stage) {
    for (const auto& [known, name] : kStages) {
        if (known == stage) return name;
    }
    return "Unknown";
}

std::vector<Sequence> exampleRecords(const std::string& file, int32_t count) {
    std::vector<Sequence> records;
    const Status read = readSeqFile(std::string(MOTIFORA_EXAMPLES_DIR) + "/" + file, records);
    if (!read) throw std::runtime_error(read.message);
    if (static_cast<int32_t>(records.size()) > count) records.resize(static_cast<size_t>(count));
    return records;
}

namespace {

void search(ProjectData& data) {
    data.rules =
        std::make_unique<RulesStorage>(data.settings.finishBufferSize, data.storage->width);
    RegGenerator generator;
    generator.SetThreadCount(1);
    generator.Init(data.storage.get(), data.rules.get(), data.settings.subBufferSize,
                   data.settings.confidence, data.settings.cpThreshold);
    generator.RunSearch(nullptr);
}

// Every learning object is idealized into a class; `classifier` stays set up for the control
// data.
void idealize(ProjectData& data, Classificator& classifier) {
    SEQStorage& storage = *data.storage;
    data.idealObjectsPresent = true;
    classifier.Setup(&storage, data.rules.get(), &data.idealObjects,
                     data.settings.idealizationType);
    for (int32_t i = 0; i < storage.learnObjectCount; ++i) {
        storage.learnObjects[i].classNumber =
            classifier.IdealizeAndRegister(&storage.learnObjects[i], -1);
    }
    data.classCount = classifier.idealObjectCount;
    data.idealObjects.resize(static_cast<size_t>(data.classCount));
}

void classify(Classificator& classifier, ObjectSet& set, int32_t count, ObjectSetKind kind) {
    for (int32_t i = 0; i < count; ++i)
        set[i].classNumber = classifier.ClassifyObject(set[i], i + 1, kind);
}

}  // namespace

ProjectData buildStage(Stage stage, int32_t sequences) {
    ProjectData data;
    data.settings = {0.05, 0.8, 40, 20, WorkMode::kFixed, 10, IdealizationType::kDeletingBegin, 1};
    data.learnPositive = exampleRecords("promoters_pos.seq", sequences);
    data.learnPositivePresent = true;
    if (stage == Stage::kSamplesOnly) return data;

    const auto n = static_cast<int32_t>(data.learnPositive.size());
    data.storage = std::make_unique<SEQStorage>();
    if (stage == Stage::kShiftMode) {
        data.settings.workMode = WorkMode::kShift;
        data.settings.idealizationType = IdealizationType::kDeletingInserting;
        data.storage->buildWindows(data.learnPositive.data(), n, data.settings.frameWidth);
    } else {
        data.storage->buildWhole(data.learnPositive.data(), n);
        data.settings.frameWidth = data.storage->width;
    }
    search(data);
    if (stage == Stage::kAfterSearch) return data;

    Classificator classifier;
    idealize(data, classifier);
    if (stage == Stage::kAfterIdealization || stage == Stage::kShiftMode) return data;

    // Control data: the negative examples as control negatives; the learning positives that
    // follow the learning sample as control positives.
    SEQStorage& storage = *data.storage;
    data.controlNegative = exampleRecords("promoters_neg.seq", sequences);
    const auto cn = static_cast<int32_t>(data.controlNegative.size());
    storage.addSetObjects(data.controlNegative.data(), cn, ObjectSetKind::ControlNegative);
    if (stage == Stage::kWithControlPositive || stage == Stage::kWithLearnNegative) {
        auto more = exampleRecords("promoters_pos.seq", 2 * sequences);
        data.controlPositive.assign(
            more.begin() + std::min<size_t>(more.size(), static_cast<size_t>(sequences)),
            more.end());
        data.controlPositive.push_back(data.learnPositive.front());  // one that falls into class 1
        const auto cp = static_cast<int32_t>(data.controlPositive.size());
        storage.addSetObjects(data.controlPositive.data(), cp, ObjectSetKind::ControlPositive);
        classify(classifier, storage.controlPositiveObjects, cp, ObjectSetKind::ControlPositive);
    }
    classify(classifier, storage.controlNegativeObjects, cn, ObjectSetKind::ControlNegative);
    if (stage == Stage::kAfterClassification) return data;

    // Recognition: every control negative sequence against every class, with scores of two
    // decimals as the grid shows them.
    data.recognitionPresent = true;
    data.recognition.assign(static_cast<size_t>(cn),
                            std::vector<RecognitionCell>(static_cast<size_t>(data.classCount)));
    for (int32_t r = 0; r < cn; ++r) {
        for (int32_t c = 0; c < data.classCount; ++c) {
            data.recognition[static_cast<size_t>(r)][static_cast<size_t>(c)] = {
                c + 1, ((r * 37 + c * 11) % 2000) / 100.0};
        }
    }
    if (stage != Stage::kWithLearnNegative) return data;

    data.learnNegative = exampleRecords("promoters_neg.seq", sequences + 3);
    const auto ln = static_cast<int32_t>(data.learnNegative.size());
    storage.addSetObjects(data.learnNegative.data(), ln, ObjectSetKind::LearnNegative);
    classify(classifier, storage.negativeObjects, ln, ObjectSetKind::LearnNegative);
    return data;
}

std::string encode(const ProjectData& data) {
    std::string bytes;
    const Status status = EncodeProject(viewOf(data), bytes);
    if (!status.ok) throw std::runtime_error(status.message);
    return bytes;
}

std::span<const unsigned char> bytesOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

ProjectData decode(const std::string& bytes, const std::string& name) {
    ProjectData data;
    const Status status = DecodeProject(bytesOf(bytes), name, data);
    if (!status.ok) throw std::runtime_error(status.message);
    return data;
}

}  // namespace motifora::testing
