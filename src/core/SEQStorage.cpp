// Builders of the object storage.
#include "core/SEQStorage.h"

#include <algorithm>
#include <cstring>
#include <limits>

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
    // Release the former set before the new one is made, so that both never coexist.
    clear();
    block.assign(static_cast<size_t>(count) * static_cast<size_t>(positions), fillCode);
    objects.reserve(static_cast<size_t>(count));
    int32_t* codes = block.data();
    for (int32_t i = 0; i < count; ++i, codes += positions) objects.emplace_back(codes, positions);
}

namespace {

// The number of records a builder may read: none without an array or for a negative count.
int32_t usable(const Sequence* records, int32_t count) {
    return records == nullptr ? 0 : std::max(count, 0);
}

}  // namespace

int32_t sampleWidth(const Sequence* records, int32_t count) {
    count = usable(records, count);
    int64_t w = 0;
    for (int32_t r = 0; r < count; ++r) {
        w = std::max<int64_t>(w, int64_t{records[r].startPosition} + records[r].length - 1);
    }
    return static_cast<int32_t>(std::min<int64_t>(w, std::numeric_limits<int32_t>::max()));
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
        const int64_t p = int64_t{record.startPosition} - 1 + j;  // no overflow for any start
        if (p < 0 || p >= positions) continue;
        object.codes[p] = codeTable.codeOf(static_cast<unsigned char>(record.text[j]));
    }
}

void SEQStorage::buildWhole(const Sequence* records, int32_t count) {
    buildWholeWithNegatives(records, nullptr, count, 0);
}

void SEQStorage::buildWholeWithNegatives(const Sequence* positives, const Sequence* negatives,
                                         int32_t positiveCount, int32_t negativeCount) {
    positiveCount = usable(positives, positiveCount);
    negativeCount = usable(negatives, negativeCount);
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

// Sum over the records of length - w + 1, a record shorter than w counting 0 (it has no
// window; a negative share would make the count smaller than the windows cut).
int32_t windowCount(const Sequence* records, int32_t count, int32_t w) {
    count = usable(records, count);
    int64_t total = 0;
    for (int32_t r = 0; r < count; ++r) {
        total += std::max<int64_t>(int64_t{records[r].length} - w + 1, 0);
    }
    return static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void SEQStorage::buildWindows(const Sequence* records, int32_t count, int32_t w) {
    count = usable(records, count);
    startTable(records, count);
    width = w;
    centerPosition = centreOf(w);
    firstPosition = 0;
    endPosition = w;
    learnObjectCount = windowCount(records, count, w);
    learnObjects.make(learnObjectCount, w, alphabetSize);
    cutWindows(records, count, w, learnObjects, learnObjectCount);
}

void SEQStorage::cutWindows(const Sequence* records, int32_t count, int32_t offsetWidth,
                            ObjectSet& set, int32_t objectCount) const {
    int32_t next = 0;
    for (int32_t r = 0; r < count; ++r) {
        const int64_t lastOffset = int64_t{records[r].length} - offsetWidth;
        for (int64_t k = 0; k <= lastOffset && next < objectCount; ++k)
            cutWindow(records[r], k, set[next++]);
    }
}

void SEQStorage::cutWindow(const Sequence& record, int64_t offset, SEQSElem& object) const {
    const int64_t s = record.startPosition;
    const int32_t letters =
        std::min<int32_t>(record.length, static_cast<int32_t>(record.text.size()));
    const int32_t positions = object.positionCount();
    for (int32_t l = 0; l < positions; ++l) {
        const int64_t p = s - 1 + l;
        const int64_t idx = s - 1 + l + offset;
        if (p < 0 || p >= positions || idx < 0 || idx >= letters) continue;
        object.codes[p] = codeTable.codeOf(static_cast<unsigned char>(record.text[idx]));
    }
}

void SEQStorage::addSetObjects(const Sequence* records, int32_t count, ObjectSetKind kind) {
    count = usable(records, count);
    ObjectSet* set = nullptr;
    switch (kind) {
        case ObjectSetKind::ControlPositive:
            controlPositiveObjectCount = count;
            set = &controlPositiveObjects;
            break;
        case ObjectSetKind::ControlNegative:
            controlNegativeObjectCount = count;
            set = &controlNegativeObjects;
            break;
        case ObjectSetKind::LearnNegative:
            negativeObjectCount = count;
            set = &negativeObjects;
            break;
        default:
            return;
    }
    codeSet(records, count, *set);
}

void SEQStorage::codeSet(const Sequence* records, int32_t count, ObjectSet& set) const {
    count = usable(records, count);
    set.make(count, sampleWidth(records, count), alphabetSize);
    for (int32_t r = 0; r < count; ++r) placeRecord(records[r], set[r]);
}

void SEQStorage::buildControlWindows(const Sequence* records, int32_t count, int32_t w) {
    count = usable(records, count);
    controlNegativeObjectCount = windowCount(records, count, w);
    // Counted and cut with the same w: every counted window holds letters p ... p + w - 1,
    // also when the storage's width is another (whole sequences after a shift-mode search
    // with learning negatives).
    controlNegativeObjects.make(controlNegativeObjectCount, std::max(w, 0), alphabetSize);
    cutWindows(records, count, w, controlNegativeObjects, controlNegativeObjectCount);
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
    return findUnknownLetter(codeTable, records, count).record < 0;
}

UnknownLetter findUnknownLetter(const CCodeTable& table, const Sequence* records, int32_t count) {
    UnknownLetter found;
    if (records == nullptr) return found;
    for (int32_t r = 0; r < count; ++r) {
        const std::string& text = records[r].text;
        for (size_t j = 0; j < text.size(); ++j) {
            const auto letter = static_cast<unsigned char>(text[j]);
            if (table.codeOf(letter) < 0) {
                found.record = r;
                found.position = static_cast<int32_t>(j);
                found.letter = letter;
                return found;
            }
        }
    }
    return found;
}

bool recordsFitReference(const Sequence* reference, int32_t referenceCount, const Sequence* records,
                         int32_t count, std::string& why) {
    why.clear();
    if (records == nullptr || count <= 0) return true;
    const int32_t width = sampleWidth(reference, referenceCount);
    CCodeTable table;
    if (reference != nullptr) table.addLetters(reference, referenceCount);
    for (int32_t r = 0; r < count; ++r) {
        const Sequence& rec = records[r];
        const int64_t end = int64_t{rec.startPosition} + rec.length - 1;
        if (end > width) {
            why = "record " + std::to_string(r + 1) + " (\"" + rec.name + "\") is " +
                  std::to_string(rec.length) + " letters long; the positive sequences are " +
                  std::to_string(width) + " long";
            return false;
        }
        const UnknownLetter u = findUnknownLetter(table, &rec, 1);
        if (u.record >= 0) {
            why = "record " + std::to_string(r + 1) + " (\"" + rec.name + "\") has the letter \"" +
                  std::string(1, static_cast<char>(u.letter)) + "\" at position " +
                  std::to_string(u.position + 1) + ", which no positive sequence uses";
            return false;
        }
    }
    return true;
}

}  // namespace motifora
