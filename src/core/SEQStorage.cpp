// Builders of the object storage.
#include "core/SEQStorage.h"

#include <algorithm>
#include <cstring>

namespace motifora {

SEQSElem::SEQSElem(const SEQSElem& other)
    : classNumber(other.classNumber),
      score(other.score),
      reserved1(other.reserved1),
      reserved2(other.reserved2) {
    if (other.codes != nullptr) {
        allocate(other.positions_, 0);
        std::memcpy(codes, other.codes, sizeof(int32_t) * static_cast<size_t>(positions_));
    }
}

SEQSElem& SEQSElem::operator=(const SEQSElem& other) {
    if (this != &other) {
        SEQSElem copy(other);
        *this = std::move(copy);
    }
    return *this;
}

bool SEQSElem::allocate(int32_t positions, int32_t fillCode) {
    positions = std::max(positions, 0);
    owned_ = std::make_unique<int32_t[]>(static_cast<size_t>(positions));
    codes = owned_.get();
    positions_ = positions;
    std::fill(codes, codes + positions, fillCode);
    return true;
}

void SEQSElem::attach(int32_t* block, int32_t positions) {
    owned_.reset();
    codes = block;
    positions_ = positions;
}

void ObjectSet::make(int32_t count, int32_t positions, int32_t fillCode) {
    count = std::max(count, 0);
    positions = std::max(positions, 0);
    objects.clear();
    objects.resize(static_cast<size_t>(count));
    block.assign(static_cast<size_t>(count) * static_cast<size_t>(positions), fillCode);
    for (int32_t i = 0; i < count; ++i) {
        objects[static_cast<size_t>(i)].attach(
            block.data() + static_cast<size_t>(i) * static_cast<size_t>(positions), positions);
    }
}

int32_t sampleWidth(const Sequence* records, int32_t count) {
    int32_t w = 0;
    for (int32_t r = 0; r < count; ++r) {
        w = std::max(w, records[r].startPosition + records[r].length - 1);
    }
    return std::max(w, 0);
}

void SEQStorage::startTable(const Sequence* records, int32_t count) {
    codeTable.clear();
    codeTable.addLetters(records, count);
    alphabetSize = codeTable.size();
}

void SEQStorage::placeRecord(const Sequence& record, SEQSElem& object) const {
    const int32_t positions = object.positionCount();
    const int32_t n = std::min<int32_t>(record.length, static_cast<int32_t>(record.text.size()));
    for (int32_t j = 0; j < n; ++j) {
        const int32_t p = record.startPosition - 1 + j;
        if (p < 0 || p >= positions) continue;
        object.codes[p] = codeTable.codeOf(static_cast<unsigned char>(record.text[j]));
    }
}

void SEQStorage::buildWhole(const Sequence* records, int32_t count) {
    buildWholeWithNegatives(records, nullptr, count, 0);
}

void SEQStorage::buildWholeWithNegatives(const Sequence* positives, const Sequence* negatives,
                                         int32_t positiveCount, int32_t negativeCount) {
    startTable(positives, positiveCount);
    width = sampleWidth(positives, positiveCount);
    centerPosition = 0;
    learnObjectCount = positiveCount + negativeCount;
    firstPosition = 0;
    endPosition = width;
    learnObjects.make(learnObjectCount, width, alphabetSize);
    for (int32_t r = 0; r < positiveCount; ++r) placeRecord(positives[r], learnObjects[r]);
    for (int32_t r = 0; r < negativeCount; ++r) {
        placeRecord(negatives[r], learnObjects[positiveCount + r]);
    }
}

namespace {

int64_t windowCount(const Sequence* records, int32_t count, int32_t w) {
    int64_t total = 0;
    for (int32_t r = 0; r < count; ++r) total += std::max(records[r].length - w + 1, 0);
    return total;
}

}  // namespace

void SEQStorage::buildWindows(const Sequence* records, int32_t count, int32_t w) {
    startTable(records, count);
    width = w;
    centerPosition = centreOf(w);
    firstPosition = 0;
    endPosition = w;
    learnObjectCount = static_cast<int32_t>(windowCount(records, count, w));
    learnObjects.make(learnObjectCount, w, alphabetSize);
    int32_t next = 0;
    for (int32_t r = 0; r < count; ++r) {
        const Sequence& rec = records[r];
        const int32_t s = rec.startPosition;
        for (int32_t k = 0; k <= rec.length - w; ++k) {
            SEQSElem& object = learnObjects[next++];
            for (int32_t l = 0; l < w; ++l) {
                const int32_t p = s - 1 + l;
                const int32_t idx = s - 1 + l + k;
                if (p < 0 || p >= w || idx < 0 || idx >= rec.length) continue;
                object.codes[p] = codeTable.codeOf(static_cast<unsigned char>(rec.text[idx]));
            }
        }
    }
}

void SEQStorage::addSetObjects(const Sequence* records, int32_t count, int32_t kind) {
    ObjectSet* set = nullptr;
    switch (kind) {
        case 1:
            controlPositiveObjectCount = count;
            set = &controlPositiveObjects;
            break;
        case 2:
            controlNegativeObjectCount = count;
            set = &controlNegativeObjects;
            break;
        case 3:
            negativeObjectCount = count;
            set = &negativeObjects;
            break;
        default:
            return;
    }
    set->make(count, sampleWidth(records, count), alphabetSize);
    for (int32_t r = 0; r < count; ++r) placeRecord(records[r], (*set)[r]);
}

void SEQStorage::buildControlWindows(const Sequence* records, int32_t count, int32_t w) {
    controlNegativeObjectCount = static_cast<int32_t>(windowCount(records, count, w));
    controlNegativeObjects.make(controlNegativeObjectCount, width, alphabetSize);
    int32_t next = 0;
    for (int32_t r = 0; r < count; ++r) {
        const Sequence& rec = records[r];
        const int32_t s = rec.startPosition;
        for (int32_t k = 0; k <= rec.length - w; ++k) {
            SEQSElem& object = controlNegativeObjects[next++];
            for (int32_t l = 0; l < width; ++l) {
                const int32_t p = s - 1 + l;
                const int32_t idx = s - 1 + l + k;
                if (p < 0 || p >= width || idx < 0 || idx >= rec.length) continue;
                object.codes[p] = codeTable.codeOf(static_cast<unsigned char>(rec.text[idx]));
            }
        }
    }
}

void SEQStorage::releaseControlObjects(int32_t which) {
    if (which == 0) {
        controlNegativeObjects.clear();
        controlNegativeObjectCount = 0;
    } else if (which == 1) {
        controlPositiveObjects.clear();
        controlPositiveObjectCount = 0;
    }
}

bool SEQStorage::knowsAllLetters(const Sequence* records, int32_t count) const {
    for (int32_t r = 0; r < count; ++r) {
        for (char c : records[r].text) {
            if (codeTable.codeOf(static_cast<unsigned char>(c)) < 0) return false;
        }
    }
    return true;
}

}  // namespace motifora
