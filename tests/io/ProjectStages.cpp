// Projects at each stage of the work, built with the storage, the generator and ideal objects.
#include "ProjectStages.h"

#include <stdexcept>

#include "core/FileManager.h"
#include "rules/RegGenerator.h"

namespace motifora::testing {

std::string stageName(Stage stage) {
    switch (stage) {
        case Stage::kSamplesOnly: return "SamplesOnly";
        case Stage::kAfterSearch: return "AfterSearch";
        case Stage::kAfterIdealization: return "AfterIdealization";
        case Stage::kAfterClassification: return "AfterClassification";
        case Stage::kWithRecognition: return "WithRecognition";
        case Stage::kWithControlPositive: return "WithControlPositive";
        case Stage::kWithLearnNegative: return "WithLearnNegative";
        case Stage::kShiftMode: return "ShiftMode";
    }
    return "Unknown";
}

std::vector<Sequence> exampleRecords(const std::string& file, int32_t count) {
    std::vector<Sequence> records;
    std::string error;
    if (!readSeqFile(std::string(MOTIFORA_EXAMPLES_DIR) + "/" + file, records, error)) {
        throw std::runtime_error(error);
    }
    if (static_cast<int32_t>(records.size()) > count) records.resize(static_cast<size_t>(count));
    return records;
}

namespace {

// The class of an object: the index of the ideal object equal to the object's own, or -1.
int32_t classOf(const ProjectData& data, const SEQSElem& object) {
    const SEQStorage& storage = *data.storage;
    CIdelObject candidate;
    candidate.InitFromObject(storage.width, storage.alphabetSize, object);
    candidate.ClearFullPositions();
    for (int32_t k = 0; k < data.classCount; ++k) {
        if (*data.idealObjects[static_cast<size_t>(k)] == candidate) return k;
    }
    return -1;
}

void search(ProjectData& data) {
    data.rules = std::make_unique<RulesStorage>(data.settings.finishBufferSize, data.storage->width);
    RegGenerator generator;
    generator.SetThreadCount(1);
    generator.Init(data.storage.get(), data.rules.get(), data.settings.subBufferSize,
                   data.settings.confidence, data.settings.cpThreshold);
    generator.RunSearch(nullptr);
}

// Every learning object becomes a prototype; equal prototypes form one class.
void idealize(ProjectData& data) {
    SEQStorage& storage = *data.storage;
    data.idealObjectsPresent = true;
    for (int32_t i = 0; i < storage.learnObjectCount; ++i) {
        int32_t k = classOf(data, storage.learnObjects[i]);
        if (k < 0) {
            auto object = std::make_unique<CIdelObject>();
            object->InitFromObject(storage.width, storage.alphabetSize, storage.learnObjects[i]);
            object->ClearFullPositions();
            data.idealObjects.push_back(std::move(object));
            k = data.classCount++;
        }
        storage.learnObjects[i].classNumber = k;
    }
}

void classify(ProjectData& data, ObjectSet& set, int32_t count) {
    for (int32_t i = 0; i < count; ++i) set[i].classNumber = classOf(data, set[i]);
}

}  // namespace

ProjectData buildStage(Stage stage, int32_t sequences) {
    ProjectData data;
    data.settings = {0.05, 0.8, 40, 20, 0, 10, 0, 1};
    data.learnPositive = exampleRecords("promoters_pos.seq", sequences);
    data.learnPositivePresent = true;
    if (stage == Stage::kSamplesOnly) return data;

    const auto n = static_cast<int32_t>(data.learnPositive.size());
    data.storage = std::make_unique<SEQStorage>();
    if (stage == Stage::kShiftMode) {
        data.settings.workMode = 1;
        data.settings.idealizationType = 2;
        data.storage->buildWindows(data.learnPositive.data(), n, data.settings.frameWidth);
    } else {
        data.storage->buildWhole(data.learnPositive.data(), n);
        data.settings.frameWidth = data.storage->width;
    }
    search(data);
    if (stage == Stage::kAfterSearch) return data;

    idealize(data);
    if (stage == Stage::kAfterIdealization || stage == Stage::kShiftMode) return data;

    // Control data: the negative examples as control negatives; the learning positives that
    // follow the learning sample as control positives.
    SEQStorage& storage = *data.storage;
    data.controlNegative = exampleRecords("promoters_neg.seq", sequences);
    const auto cn = static_cast<int32_t>(data.controlNegative.size());
    storage.addSetObjects(data.controlNegative.data(), cn, 2);
    if (stage == Stage::kWithControlPositive || stage == Stage::kWithLearnNegative) {
        auto more = exampleRecords("promoters_pos.seq", 2 * sequences);
        data.controlPositive.assign(more.begin() + std::min<size_t>(more.size(), static_cast<size_t>(sequences)),
                                    more.end());
        data.controlPositive.push_back(data.learnPositive.front());  // one that falls into class 1
        const auto cp = static_cast<int32_t>(data.controlPositive.size());
        storage.addSetObjects(data.controlPositive.data(), cp, 1);
        classify(data, storage.controlPositiveObjects, cp);
    }
    classify(data, storage.controlNegativeObjects, cn);
    if (stage == Stage::kAfterClassification) return data;

    // Recognition: every control negative sequence against every class, with scores of two
    // decimals as the grid shows them.
    data.recognitionPresent = true;
    data.recognition.assign(static_cast<size_t>(cn), std::vector<RecognitionCell>(static_cast<size_t>(data.classCount)));
    for (int32_t r = 0; r < cn; ++r) {
        for (int32_t c = 0; c < data.classCount; ++c) {
            data.recognition[static_cast<size_t>(r)][static_cast<size_t>(c)] = {c + 1, ((r * 37 + c * 11) % 2000) / 100.0};
        }
    }
    if (stage != Stage::kWithLearnNegative) return data;

    data.learnNegative = exampleRecords("promoters_neg.seq", sequences + 3);
    const auto ln = static_cast<int32_t>(data.learnNegative.size());
    storage.addSetObjects(data.learnNegative.data(), ln, 3);
    classify(data, storage.negativeObjects, ln);
    return data;
}

std::string encode(const ProjectData& data) {
    std::string bytes;
    const IoStatus status = EncodeProject(viewOf(data), bytes);
    if (!status.ok) throw std::runtime_error(status.message);
    return bytes;
}

}  // namespace motifora::testing
