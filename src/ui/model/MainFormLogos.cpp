// The sequence logos of the learning sample and of its classes.
#include "core/SEQStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

int32_t TMainForm::ShowLogos() {
    if (!mainManager || workerBusy() || !mainManager->storage) return 0;
    const TMainManager& m = *mainManager;
    const SEQStorage& s = *m.storage;
    const int32_t count = std::min(s.learnObjectCount, s.learnObjects.size());
    if (count <= 0 || s.width <= 0) return 0;
    // The alphabet as the codes spell it; codes with no letter are not counted.
    std::string alphabet;
    std::vector<int32_t> slot(static_cast<size_t>(std::max(s.alphabetSize, 0)), -1);
    for (int32_t code = 0; code < s.alphabetSize; ++code) {
        const int32_t letter = s.codeTable.letterOf(code);
        if (letter < 0) continue;
        slot[static_cast<size_t>(code)] = static_cast<int32_t>(alphabet.size());
        alphabet += static_cast<char>(letter);
    }
    using Counts = std::vector<std::vector<int32_t>>;
    const Counts empty(static_cast<size_t>(s.width), std::vector<int32_t>(alphabet.size(), 0));
    Counts sample = empty;
    const int32_t classes = std::max(m.classCount, 0);
    std::vector<Counts> perClass(static_cast<size_t>(classes), empty);
    std::vector<int32_t> members(static_cast<size_t>(classes), 0);
    for (int32_t j = 0; j < count; ++j) {
        const SEQSElem& object = s.learnObjects[j];
        const bool inClass = object.classNumber >= 0 && object.classNumber < classes;
        if (inClass) ++members[static_cast<size_t>(object.classNumber)];
        for (int32_t p = 0; p < s.width && p < object.positionCount(); ++p) {
            const int32_t code = object.codeAt(p);
            if (code < 0 || code >= s.alphabetSize || slot[static_cast<size_t>(code)] < 0) continue;
            const auto a = static_cast<size_t>(slot[static_cast<size_t>(code)]);
            ++sample[static_cast<size_t>(p)][a];
            if (inClass)
                ++perClass[static_cast<size_t>(object.classNumber)][static_cast<size_t>(p)][a];
        }
    }
    Logos shown;
    shown.logos.push_back(logoFromCounts(
        sample, alphabet, "Learning sample (" + std::to_string(count) + " sequences)"));
    std::string few;
    for (int32_t k = 0; k < classes; ++k) {
        const int32_t n = members[static_cast<size_t>(k)];
        if (n >= kLogoMembers) {
            shown.logos.push_back(logoFromCounts(
                perClass[static_cast<size_t>(k)], alphabet,
                "Class " + std::to_string(k + 1) + " (" + std::to_string(n) + " sequences)"));
        } else {
            few += (few.empty() ? "" : ", ") + std::to_string(k + 1);
        }
    }
    if (!few.empty())
        shown.note = "No logo for classes with fewer than " + std::to_string(kLogoMembers) +
                     " sequences: " + few + ".";
    const auto logos = static_cast<int32_t>(shown.logos.size());
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    SequenceLogos.setValue(std::move(shown));
    SequenceLogos.setVisible(true);
    return logos;
}

}  // namespace motifora
