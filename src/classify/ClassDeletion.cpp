// Deleting a class: renumbering the objects' class numbers, then removing the prototype.
#include "classify/ClassDeletion.h"

#include <algorithm>

namespace motifora {

void renumberAfterDeletion(ObjectSet& objects, int32_t count, int32_t k) {
    const int32_t n = std::min(count, objects.size());
    for (int32_t i = 0; i < n; ++i) {
        int32_t& number = objects[i].classNumber;
        if (number == k) {
            number = -1;
        } else if (number > k) {
            --number;
        }
    }
}

int32_t deleteIdealObject(Classificator& classificator, SEQStorage* storage, int32_t k,
                          const ClassifiedSets& sets) {
    if (classificator.idealObjects == nullptr || classificator.idealObjectCount <= 0) return 1;
    const int32_t held = std::min<int32_t>(
        classificator.idealObjectCount, static_cast<int32_t>(classificator.idealObjects->size()));
    if (k < 0 || k >= held) return 0;
    if (storage != nullptr) {
        renumberAfterDeletion(storage->learnObjects, storage->learnObjectCount, k);
        if (sets.controlNegativeClassified) {
            renumberAfterDeletion(storage->controlNegativeObjects,
                                  storage->controlNegativeObjectCount, k);
        }
        if (sets.controlPositiveClassified) {
            renumberAfterDeletion(storage->controlPositiveObjects,
                                  storage->controlPositiveObjectCount, k);
        }
        if (sets.learnNegativeLoaded) {
            renumberAfterDeletion(storage->negativeObjects, storage->negativeObjectCount, k);
        }
    }
    return classificator.RemoveIdealObject(k);
}

}  // namespace motifora
