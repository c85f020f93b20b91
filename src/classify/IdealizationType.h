// What an idealization does: the strategy that turns a start into an ideal object, and what
// the starts are. A project's header, the window's controls and the command line hold them as
// numbers or words; codeOf and fromCode convert at those places only.
#pragma once

#include <cstdint>

#include "core/SampleCodes.h"

namespace motifora {

// The strategy of the idealization.
enum class IdealizationType : int32_t {
    kDeletingBegin = 0,      // "Deleting begin": deletions first, insertions when none gains
    kInsertingBegin = 1,     // "Inserting begin": insertions first, deletions when none gains
    kDeletingInserting = 2,  // "Deleting/Inserting": a deletion and an insertion each pass
};

// Every type, in the order of their numbers (and of the Objects page's buttons).
constexpr IdealizationType kIdealizationTypes[] = {IdealizationType::kDeletingBegin,
                                                   IdealizationType::kInsertingBegin,
                                                   IdealizationType::kDeletingInserting};

// The caption of `type` on the Objects page.
constexpr const char* idealizationTypeCaption(IdealizationType type) {
    switch (type) {
        case IdealizationType::kDeletingBegin:
            return "Deleting begin";
        case IdealizationType::kInsertingBegin:
            return "Inserting begin";
        case IdealizationType::kDeletingInserting:
            return "Deleting/Inserting";
    }
    return "";  // not reached: every type has its case above
}

// What each ideal object starts from.
enum class IdealizationSource : int32_t {
    kObjects = 0,  // a learning object
    kRules = 1,    // a regularity (its conditions and most probable prediction)
};

}  // namespace motifora
