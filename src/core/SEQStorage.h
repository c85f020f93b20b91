// The object storage: fixed-width rows of letter codes cut from the samples, in four sets.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/CCodeTable.h"
#include "core/SampleCodes.h"
#include "core/Sequence.h"

namespace motifora {

// One object: a row of letter codes with a class number and a score. The codes either live in a
// block owned by the storage (the builders fill a whole set in one allocation) or in a buffer
// the object owns (`allocate`).
class SEQSElem {
  public:
    SEQSElem() = default;
    // An object whose `positions` codes live in an external block (already filled).
    SEQSElem(int32_t* block, int32_t positions) : codes(block), positions_(positions) {}
    virtual ~SEQSElem() = default;
    SEQSElem(const SEQSElem& other);
    SEQSElem& operator=(const SEQSElem& other);
    SEQSElem(SEQSElem&&) noexcept = default;
    SEQSElem& operator=(SEQSElem&&) noexcept = default;

    // Gives the object `positions` positions of its own, all set to `fillCode`. Returns true.
    bool allocate(int32_t positions, int32_t fillCode);
    // Points the object at `positions` codes of an external block (already filled).
    void attach(int32_t* block, int32_t positions);
    // Position access; a position outside 0..positionCount()-1 is a caller's bug.
    void setCode(int32_t code, int32_t position) {
        assert(position >= 0 && position < positions_);
        codes[position] = code;
    }
    int32_t& codeAt(int32_t position) {
        assert(position >= 0 && position < positions_);
        return codes[position];
    }
    int32_t codeAt(int32_t position) const {
        assert(position >= 0 && position < positions_);
        return codes[position];
    }
    int32_t positionCount() const { return positions_; }

    int32_t* codes = nullptr;  // one code per position
    int32_t classNumber = -1;  // class (ideal object) index, -1 = none
    double score = 0.0;        // score against a class, written by recognition
    int32_t reserved1 = 0;     // kept by the project file only
    int32_t reserved2 = 0;

  private:
    std::unique_ptr<int32_t[]> owned_;
    int32_t positions_ = 0;
};

// One set of objects and the block that holds their codes.
struct ObjectSet {
    std::vector<SEQSElem> objects;
    std::vector<int32_t> block;

    void clear() {
        objects.clear();
        objects.shrink_to_fit();
        block.clear();
        block.shrink_to_fit();
    }
    // Makes `count` objects of `positions` positions each, all set to `fillCode`.
    void make(int32_t count, int32_t positions, int32_t fillCode);
    SEQSElem& operator[](int32_t i) { return objects[static_cast<size_t>(i)]; }
    const SEQSElem& operator[](int32_t i) const { return objects[static_cast<size_t>(i)]; }
    SEQSElem* data() { return objects.data(); }
    const SEQSElem* data() const { return objects.data(); }
    int32_t size() const { return static_cast<int32_t>(objects.size()); }
};

class SEQStorage {
  public:
    SEQStorage() = default;
    virtual ~SEQStorage() = default;
    SEQStorage(const SEQStorage&) = delete;
    SEQStorage& operator=(const SEQStorage&) = delete;

    // Whole-sequence learning objects from one sample.
    void buildWhole(const Sequence* records, int32_t count);
    // Whole-sequence learning objects from the positives followed by the negatives; the code
    // table and the width come from the positives alone. Letters of a negative record beyond
    // the width are not placed.
    void buildWholeWithNegatives(const Sequence* positives, const Sequence* negatives,
                                 int32_t positiveCount, int32_t negativeCount);
    // One learning object per window of width w of every record (records shorter than w give
    // none).
    void buildWindows(const Sequence* records, int32_t count, int32_t w);
    // Whole-sequence objects of another sample, coded with the existing table, as set `kind`
    // (ObjectSetKind::None builds nothing).
    void addSetObjects(const Sequence* records, int32_t count, ObjectSetKind kind);
    // The objects addSetObjects would make of `records` (as wide as the records reach), into
    // `set`, leaving the storage as it is.
    void codeSet(const Sequence* records, int32_t count, ObjectSet& set) const;
    // One control negative object per window of every record: the count is the sum of
    // length - w + 1 (records shorter than w count 0), and window p of a record holds its
    // letters p ... p + w - 1 in an object of w positions, whatever the storage's width.
    void buildControlWindows(const Sequence* records, int32_t count, int32_t w);
    // Window `offset` of `record` as buildControlWindows cuts it, into `object` (w positions,
    // already set to the fill code alphabetSize).
    void cutWindow(const Sequence& record, int64_t offset, SEQSElem& object) const;
    // Destroys the control negative (0) or control positive (1) objects; the count becomes 0.
    void releaseControlObjects(int32_t which);
    // True when every letter of every record has a code in the table.
    bool knowsAllLetters(const Sequence* records, int32_t count) const;

    int32_t getFirstPosition() const { return firstPosition; }
    int32_t getEndPosition() const { return endPosition; }
    void setLearnObjectCount(int32_t value) { learnObjectCount = value; }
    void setFirstPosition(int32_t value) { firstPosition = value; }
    void setEndPosition(int32_t value) { endPosition = value; }

    // The target position of a window of width w: w/2 when odd, w/2 - 1 when even.
    static int32_t centreOf(int32_t w) { return (w % 2 == 1) ? w / 2 : w / 2 - 1; }

    ObjectSet learnObjects;
    ObjectSet negativeObjects;
    ObjectSet controlNegativeObjects;
    ObjectSet controlPositiveObjects;
    int32_t controlNegativeObjectCount = 0;
    int32_t negativeObjectCount = 0;
    int32_t controlPositiveObjectCount = 0;
    int32_t learnObjectCount = 0;
    int32_t width = 0;
    int32_t alphabetSize = 0;
    int32_t centerPosition = 0;
    CCodeTable codeTable;
    int32_t firstPosition = 0;
    int32_t endPosition = 0;

  private:
    void startTable(const Sequence* records, int32_t count);
    // Places the letters of `record` into `object` at startPosition - 1 + j, dropping letters
    // that fall outside the object's positions.
    void placeRecord(const Sequence& record, SEQSElem& object) const;
    // Fills the first `objectCount` objects of `set` with the windows of the records, record by
    // record and offset k = 0 .. length - offsetWidth: object position s - 1 + l receives the
    // letter at s - 1 + l + k. Positions and letters out of range are skipped.
    void cutWindows(const Sequence* records, int32_t count, int32_t offsetWidth, ObjectSet& set,
                    int32_t objectCount) const;
};

// Largest startPosition + length - 1 over the records (0 for none).
int32_t sampleWidth(const Sequence* records, int32_t count);

// Where a record uses a letter the table lacks.
struct UnknownLetter {
    int32_t record = -1;    // 0-based record index; -1 when every letter is known
    int32_t position = -1;  // 0-based index of the letter in the record's text
    unsigned char letter = 0;
};
// The first letter, records in order and letters from the first, that has no code in `table`.
UnknownLetter findUnknownLetter(const CCodeTable& table, const Sequence* records, int32_t count);

// Checks that `records` fit the objects built from `reference` (the learning positive sample):
// every record ends within the reference's width (startPosition + length - 1) and uses only
// letters of the reference's code table. Returns true when they fit; otherwise false with a
// message naming the first record that does not and why (record numbers 1-based).
bool recordsFitReference(const Sequence* reference, int32_t referenceCount, const Sequence* records,
                         int32_t count, std::string& why);

}  // namespace motifora
