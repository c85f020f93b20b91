// Deleting a class: the class numbers of the objects are renumbered and the prototype removed.
#pragma once

#include <cstdint>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"

namespace motifora {

// Which object sets hold class numbers that are current (and are therefore renumbered).
struct ClassifiedSets {
    bool controlNegativeClassified = false;
    bool controlPositiveClassified = false;
    bool learnNegativeLoaded = false;
};

// In objects 0 .. count-1 of `objects` (at most its size): class k becomes -1 and every class
// above k drops by one.
void renumberAfterDeletion(ObjectSet& objects, int32_t count, int32_t k);

// Deletes class k: renumbers the learning positive objects, then the control negative, control
// positive and learning negative objects when `sets` says their numbers are current, and removes
// the prototype from the classificator's array (Classificator::RemoveIdealObject). Returns 1 when
// there are no classes, 0 when k is not a class (nothing changes), -1 when deleted. The caller
// then takes `classCount` from the classificator's `idealObjectCount` and marks the work modified.
int32_t deleteIdealObject(Classificator& classificator, SEQStorage* storage, int32_t k,
                          const ClassifiedSets& sets);

}  // namespace motifora
