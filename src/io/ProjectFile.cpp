// The ".dnp" project writer and the reader that checks everything it reads.
#include "io/ProjectFile.h"

#include <array>
#include <cmath>
#include <new>
#include <tuple>
#include <utility>

#include "io/ByteIO.h"
#include "io/SafeFile.h"

namespace motifora {

using io_detail::ByteReader;
using io_detail::ByteWriter;
using io_detail::FormatError;
namespace limits = project_limits;

bool ProjectData::controlNegativeClassified() const {
    return storage != nullptr && storage->controlNegativeObjectCount > 0;
}

bool ProjectData::controlPositiveClassified() const {
    return storage != nullptr && storage->controlPositiveObjectCount > 0;
}

ProjectSource viewOf(const ProjectData& data) {
    ProjectSource source;
    source.settings = data.settings;
    source.learnPositive = data.learnPositive;
    source.learnPositiveLoaded = data.learnPositivePresent;
    source.learnNegative = data.learnNegative;
    source.controlNegative = data.controlNegative;
    source.controlPositive = data.controlPositive;
    source.storage = data.storage.get();
    source.rules = data.rules.get();
    source.idealObjectsPresent = data.idealObjectsPresent;
    source.idealObjects = data.idealObjects;
    source.classCount = data.classCount;
    source.recognition = data.recognitionPresent ? &data.recognition : nullptr;
    return source;
}

// ---------------------------------------------------------------------------------------------
// Writer

namespace {

// The writer's own refusal: the workspace handed over data that contradict themselves. Each
// write step checks what it writes and returns the contradiction it found; the first one ends
// the encoding.
Status inconsistent(std::string what) { return Status::failure(std::move(what)); }

// The leading 4-byte numbers of a rule and of the rule store, in the file's order: the writer
// and the reader walk the same lists.
template <class RuleType>
auto ruleHead(RuleType& rule) {
    return std::array{&rule.lowestPosition, &rule.highestPosition, &rule.reservedValue,
                      &rule.positionCount,  &rule.alphabetSize,    &rule.codeCount,
                      &rule.targetPosition};
}

template <class Store>
auto ruleStoreHead(Store& rules) {
    return std::array{&rules.capacity,        &rules.count,     &rules.positionCount,
                      &rules.reservedA,       &rules.reservedB, &rules.lowestPosition,
                      &rules.highestPosition, &rules.addedCount};
}

// Writes a sample section. Refuses (writing nothing of it) a record whose name or letters the
// reader would refuse: longer than limits::kMaxTextLength or holding a zero byte, which ends a
// text in the file.
Status writeRecords(ByteWriter& out, std::span<const Sequence> records, const char* sample) {
    constexpr auto kLongest = static_cast<size_t>(project_limits::kMaxTextLength);
    for (size_t r = 0; r < records.size(); ++r) {
        for (const auto& [text, what] :
             {std::pair{&records[r].text, "letters"}, std::pair{&records[r].name, "name"}}) {
            const std::string which = std::string(sample) + " record " + std::to_string(r + 1);
            if (text->size() > kLongest)
                return inconsistent(which + " has " + std::to_string(text->size()) +
                                    " characters in its " + what + ", more than the " +
                                    std::to_string(kLongest) + " a project keeps");
            if (text->find('\0') != std::string::npos)
                return inconsistent(which + " has a zero byte in its " + what);
        }
    }
    out.i32(static_cast<int32_t>(records.size()));
    for (const Sequence& record : records) {
        out.i32(record.startPosition);
        out.i32(record.length);
        out.text(record.text);
        out.text(record.name);
    }
    return Status::success();
}

// `width` codes of an object; the object must have that many.
Status writeCodes(ByteWriter& out, const SEQSElem& object, int32_t width, const char* what) {
    if (width > 0 && (object.codes == nullptr || object.positionCount() < width)) {
        return inconsistent(std::string(what) + " has fewer codes than its width " +
                            std::to_string(width));
    }
    for (int32_t p = 0; p < width; ++p) out.i32(object.codes[p]);
    return Status::success();
}

Status writeObjectTable(ByteWriter& out, const SEQStorage& storage) {
    const int32_t count = storage.learnObjectCount;
    if (count < 0 || count > storage.learnObjects.size()) {
        return inconsistent("the object table counts " + std::to_string(count) +
                            " learning objects but holds " +
                            std::to_string(storage.learnObjects.size()));
    }
    out.i32(count);
    out.i32(storage.width);
    out.i32(storage.endPosition);
    out.i32(storage.firstPosition);
    out.i32(storage.centerPosition);
    out.i32(storage.alphabetSize);
    for (int32_t i = 0; i < count; ++i) {
        const SEQSElem& object = storage.learnObjects[i];
        out.i32(object.reserved1);
        out.i32(object.reserved2);
        out.i32(object.classNumber);
        Status written = writeCodes(out, object, storage.width, "a learning object");
        if (!written) return written;
    }
    const CCodeTable& table = storage.codeTable;
    out.i32(table.letterCount);
    for (int32_t i = 0; i < table.letterCount; ++i) out.u8(table.letters[static_cast<size_t>(i)]);
    return Status::success();
}

Status writeConditions(ByteWriter& out, const std::vector<RuleCondition>& conditions, int32_t count,
                       const char* what) {
    if (count < 0 || static_cast<size_t>(count) > conditions.size()) {
        return inconsistent(std::string("a rule counts ") + std::to_string(count) + " " + what +
                            " but holds " + std::to_string(conditions.size()));
    }
    for (int32_t i = 0; i < count; ++i) {
        const RuleCondition& c = conditions[static_cast<size_t>(i)];
        out.i32(c.position);
        out.i16(c.sign);
        out.i32(c.letter);
    }
    return Status::success();
}

Status writeRule(ByteWriter& out, const Rule& rule) {
    for (const int32_t* field : ruleHead(rule)) out.i32(*field);
    out.f64(rule.fisherThreshold);
    if (rule.alphabetSize < 0 ||
        static_cast<size_t>(rule.alphabetSize) > rule.letterProbability.size()) {
        return inconsistent("a rule has fewer letter probabilities than its alphabet size " +
                            std::to_string(rule.alphabetSize));
    }
    for (int32_t j = 0; j < rule.alphabetSize; ++j)
        out.f64(rule.letterProbability[static_cast<size_t>(j)]);
    out.i32(rule.conditionCount);
    out.u8(rule.reservedFlag);
    out.f64(rule.fisher);
    out.f64(rule.cp);
    Status written = writeConditions(out, rule.conditions, rule.conditionCount, "conditions");
    if (!written) return written;
    out.i32(rule.shiftedCount);
    return writeConditions(out, rule.shiftedConditions, rule.shiftedCount, "shifted conditions");
}

Status writeRuleStore(ByteWriter& out, const RulesStorage& rules) {
    if (rules.count < 0 || static_cast<size_t>(rules.count) > rules.rules.size()) {
        return inconsistent("the rule store counts " + std::to_string(rules.count) +
                            " rules but has " + std::to_string(rules.rules.size()) + " slots");
    }
    for (const int32_t* field : ruleStoreHead(rules)) out.i32(*field);
    out.u8(rules.keyWithProbabilities ? 1 : 0);
    for (int32_t i = 0; i < rules.count; ++i) {
        const Rule* rule = rules.rules[static_cast<size_t>(i)].get();
        if (rule == nullptr) return inconsistent("rule " + std::to_string(i + 1) + " is missing");
        Status written = writeRule(out, *rule);
        if (!written) return written;
    }
    return Status::success();
}

Status writeIdealObjects(ByteWriter& out, std::span<const std::unique_ptr<CIdelObject>> objects,
                         int32_t classCount) {
    if (classCount < 0 || static_cast<size_t>(classCount) > objects.size()) {
        return inconsistent("the workspace counts " + std::to_string(classCount) +
                            " classes but holds " + std::to_string(objects.size()) +
                            " ideal objects");
    }
    out.i32(classCount);
    for (int32_t i = 0; i < classCount; ++i) {
        const CIdelObject* object = objects[static_cast<size_t>(i)].get();
        if (object == nullptr) {
            return inconsistent("the ideal object of class " + std::to_string(i + 1) +
                                " is missing");
        }
        const int64_t cells = int64_t{object->positionCount} * object->alphabetSize;
        if (object->positionCount < 0 || object->alphabetSize < 0 ||
            static_cast<uint64_t>(cells) > object->cells.size()) {
            return inconsistent("the ideal object of class " + std::to_string(i + 1) +
                                " has fewer cells than its size");
        }
        out.f64(object->value);
        out.i32(object->alphabetSize);
        out.i32(object->positionCount);
        for (int64_t c = 0; c < cells; ++c) out.u8(object->cells[static_cast<size_t>(c)]);
    }
    return Status::success();
}

Status writeObjectList(ByteWriter& out, const ObjectSet& set, int32_t count, const char* what) {
    if (count < 0 || count > set.size()) {
        return inconsistent(std::string("the object table counts ") + std::to_string(count) + " " +
                            what + " but holds " + std::to_string(set.size()));
    }
    out.i32(count);
    if (count == 0) return Status::success();
    const int32_t width = set[0].positionCount();
    out.i32(width);
    for (int32_t i = 0; i < count; ++i) {
        out.i32(set[i].classNumber);
        Status written = writeCodes(out, set[i], width, what);
        if (!written) return written;
    }
    return Status::success();
}

void writeRecognition(ByteWriter& out, const RecognitionTable& table, size_t rows,
                      int32_t columns) {
    static const RecognitionCell kEmpty{};
    for (size_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const RecognitionCell& cell =
                r < table.size() && static_cast<size_t>(c) < table[r].size()
                    ? table[r][static_cast<size_t>(c)]
                    : kEmpty;
            out.i32(cell.position);
            out.f64(cell.score);
        }
    }
}

}  // namespace

namespace {

// The sections of a project in the file's order; a failure is the first contradiction found in
// the data handed over.
Status encodeSections(const ProjectSource& source, ByteWriter& out) {
    const ProjectSettings& s = source.settings;
    out.f64(s.confidence);
    out.f64(s.cpThreshold);
    out.i32(s.finishBufferSize);
    out.i32(s.subBufferSize);
    out.i32(codeOf(s.workMode));
    out.i32(s.frameWidth);
    out.i32(codeOf(s.idealizationType));
    out.i32(s.arranged);

    if (source.learnPositiveLoaded) {
        const Status records = writeRecords(out, source.learnPositive, "learning positive");
        if (!records) return records;
    } else {
        out.marker();
    }

    if (source.rules != nullptr && source.storage == nullptr)
        return inconsistent("there is a rule store but no object table");
    Status written;
    if (source.storage != nullptr) {
        written = writeObjectTable(out, *source.storage);
    } else {
        out.marker();
    }
    if (!written) return written;
    if (source.rules != nullptr) {
        written = writeRuleStore(out, *source.rules);
    } else {
        out.marker();
    }
    if (!written) return written;
    if (source.idealObjectsPresent) {
        written = writeIdealObjects(out, source.idealObjects, source.classCount);
    } else {
        out.marker();
    }
    if (!written) return written;

    for (const auto& [records, sample] : {std::pair{source.controlNegative, "control negative"},
                                          std::pair{source.controlPositive, "control positive"},
                                          std::pair{source.learnNegative, "learning negative"}}) {
        written = writeRecords(out, records, sample);
        if (!written) return written;
    }

    if (source.storage != nullptr) {
        const SEQStorage& st = *source.storage;
        for (const auto& [set, count, what] :
             {std::tuple{&st.controlNegativeObjects, st.controlNegativeObjectCount,
                         "control negative objects"},
              std::tuple{&st.negativeObjects, st.negativeObjectCount, "learning negative objects"},
              std::tuple{&st.controlPositiveObjects, st.controlPositiveObjectCount,
                         "control positive objects"}}) {
            written = writeObjectList(out, *set, count, what);
            if (!written) return written;
        }
    } else {
        out.i32(0);
        out.i32(0);
        out.i32(0);
    }

    if (source.recognition != nullptr) {
        const int32_t columns = source.idealObjectsPresent ? source.classCount : 0;
        writeRecognition(out, *source.recognition, source.controlNegative.size(), columns);
    } else {
        out.marker();
    }
    return Status::success();
}

}  // namespace

Status EncodeProject(const ProjectSource& source, std::string& bytes) {
    ByteWriter out;
    const Status encoded = encodeSections(source, out);
    if (!encoded) return Status::failure("The project cannot be saved: " + encoded.message + ".");
    bytes = std::move(out.bytes());
    return Status::success();
}

Status WriteProject(const std::string& fileName, const ProjectSource& source) {
    std::string bytes;
    Status status = EncodeProject(source, bytes);
    if (!status) return Status::failure("\"" + fileName + "\": " + status.message, fileName);
    return WriteFileAtomically(fileName, bytes);
}

// ---------------------------------------------------------------------------------------------
// Reader

namespace {

std::string number(int64_t value) { return std::to_string(value); }

// A real number read from the file, for a message ("nan", "inf", "-inf" or its digits).
std::string realText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return std::to_string(value);
}

bool isSequenceLetter(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

// Sample sections: a count, then that many sequence records.
void readRecords(ByteReader& in, std::vector<Sequence>& records) {
    const size_t at = in.offset();
    const int32_t count = in.i32();
    if (count < 0) in.fail("the record count is " + number(count), at);
    // A record takes at least 18 bytes: two numbers and two texts of at least their zero byte.
    in.needItems(count, 18, "records", at);
    records.clear();
    records.reserve(static_cast<size_t>(count));
    for (int32_t r = 0; r < count; ++r) {
        const size_t recordAt = in.offset();
        const std::string label = "record " + number(r + 1);
        Sequence record;
        record.startPosition = in.i32();
        record.length = in.i32();
        record.text = in.text((label + " letters").c_str(), limits::kMaxTextLength);
        record.name = in.text((label + " name").c_str(), limits::kMaxTextLength);
        if (record.startPosition != 1) {
            in.fail(label + " starts at position " + number(record.startPosition) +
                        " (every record read from a sequence file starts at 1)",
                    recordAt);
        }
        if (record.length != static_cast<int32_t>(record.text.size())) {
            in.fail(label + " gives its length as " + number(record.length) + " but has " +
                        number(static_cast<int64_t>(record.text.size())) + " letters",
                    recordAt);
        }
        for (size_t j = 0; j < record.text.size(); ++j) {
            const auto c = static_cast<unsigned char>(record.text[j]);
            if (!isSequenceLetter(c)) {
                in.fail(label + " has byte " + number(c) + " at letter " +
                            number(static_cast<int64_t>(j + 1)) +
                            ", which is not a sequence letter",
                        recordAt);
            }
        }
        records.push_back(std::move(record));
    }
}

// Codes of one object: each a letter code, the alphabet size (an uncovered position) or -1 (a
// letter missing from the code table).
void readCodes(ByteReader& in, SEQSElem& object, int32_t width, int32_t alphabetSize,
               const std::string& label) {
    for (int32_t p = 0; p < width; ++p) {
        const size_t at = in.offset();
        const int32_t code = in.i32();
        if (code < -1 || code > alphabetSize) {
            in.fail(label + " has code " + number(code) + " at position " + number(p + 1) +
                        "; the alphabet has " + number(alphabetSize) + " letters (codes 0 to " +
                        number(alphabetSize - 1) + ", " + number(alphabetSize) +
                        " for an empty position, -1 for an unknown letter)",
                    at);
        }
        object.codes[p] = code;
    }
}

std::unique_ptr<SEQStorage> readObjectTable(ByteReader& in) {
    auto storage = std::make_unique<SEQStorage>();
    const size_t at = in.offset();
    const int32_t count = in.i32();
    const int32_t width = in.i32();
    const int32_t endPosition = in.i32();
    const int32_t firstPosition = in.i32();
    const int32_t centerPosition = in.i32();
    const int32_t alphabetSize = in.i32();
    if (width < 0 || width > limits::kMaxWidth) {
        in.fail("the object width is " + number(width) + " (0 to " + number(limits::kMaxWidth) +
                    " is allowed)",
                at);
    }
    if (count < 0) in.fail("the learning object count is " + number(count), at);
    if (count > 0 && width == 0) in.fail(number(count) + " learning objects have no positions", at);
    if (alphabetSize < 0 || alphabetSize > CCodeTable::kCapacity) {
        in.fail("the alphabet size is " + number(alphabetSize) + " (0 to " +
                    number(CCodeTable::kCapacity) + " is allowed)",
                at);
    }
    if (firstPosition < 0 || firstPosition > endPosition || endPosition > width) {
        in.fail("the position range " + number(firstPosition) + " to " + number(endPosition) +
                    " does not lie within the width " + number(width),
                at);
    }
    if (centerPosition < 0 || centerPosition > std::max(width - 1, 0)) {
        in.fail("the target position " + number(centerPosition) + " lies outside the width " +
                    number(width),
                at);
    }
    in.needItems(count, 12 + 4 * int64_t{width}, "learning objects", at);

    storage->setLearnObjectCount(count);
    storage->width = width;
    storage->setEndPosition(endPosition);
    storage->setFirstPosition(firstPosition);
    storage->centerPosition = centerPosition;
    storage->alphabetSize = alphabetSize;
    storage->learnObjects.make(count, width, alphabetSize);
    for (int32_t i = 0; i < count; ++i) {
        SEQSElem& object = storage->learnObjects[i];
        object.reserved1 = in.i32();
        object.reserved2 = in.i32();
        object.classNumber = in.i32();
        readCodes(in, object, width, alphabetSize, "learning object " + number(i + 1));
    }

    in.setSection(in.section() + ", code table");
    const size_t tableAt = in.offset();
    const int32_t letterCount = in.i32();
    if (letterCount != alphabetSize) {
        in.fail("the code table holds " + number(letterCount) +
                    " letters but the alphabet size is " + number(alphabetSize),
                tableAt);
    }
    for (int32_t i = 0; i < letterCount; ++i) {
        const size_t letterAt = in.offset();
        const uint8_t letter = in.u8();
        if (!isSequenceLetter(letter)) {
            in.fail("letter " + number(i + 1) + " is byte " + number(letter) +
                        ", which is not a sequence letter",
                    letterAt);
        }
        if (storage->codeTable.codeOf(letter) >= 0) {
            in.fail("letter " + number(i + 1) + " (" + std::string(1, static_cast<char>(letter)) +
                        ") repeats an earlier letter",
                    letterAt);
        }
        storage->codeTable.addLetter(letter);  // code i: the table was empty and has room
    }
    return storage;
}

// A rule's count of `what` (" conditions" or " shifted conditions"): 0 to `most`.
int32_t readConditionCount(ByteReader& in, const std::string& label, const char* what,
                           int32_t most) {
    const size_t at = in.offset();
    const int32_t count = in.i32();
    if (count < 0 || count > most)
        in.fail(label + " has " + number(count) + what + "; a rule of this store holds 0 to " +
                    number(most),
                at);
    return count;
}

void readConditions(ByteReader& in, std::vector<RuleCondition>& conditions, int32_t count,
                    int32_t positionCount, int32_t alphabetSize, const std::string& label) {
    conditions.assign(static_cast<size_t>(count), RuleCondition{});
    for (int32_t i = 0; i < count; ++i) {
        const size_t at = in.offset();
        RuleCondition& c = conditions[static_cast<size_t>(i)];
        c.position = in.i32();
        c.sign = in.i16();
        c.letter = in.i32();
        c.kept = true;
        const auto which = [&] { return label + " " + number(i + 1); };
        if (c.position < 0 || c.position >= positionCount) {
            in.fail(which() + " is at position " + number(int64_t{c.position} + 1) +
                        ", outside the rule's " + number(positionCount) + " positions",
                    at);
        }
        if (c.sign != 1 && c.sign != -1)
            in.fail(which() + " has sign " + number(c.sign) + " (+1 or -1)", at);
        if (c.letter < 0 || c.letter >= alphabetSize) {
            in.fail(which() + " names letter code " + number(c.letter) + "; the alphabet has " +
                        number(alphabetSize) + " letters",
                    at);
        }
    }
}

std::unique_ptr<Rule> readRule(ByteReader& in, SEQStorage& storage,
                               const std::shared_ptr<const CCodeTable>& letters,
                               int32_t listPositions, const std::string& label) {
    auto rule = std::make_unique<Rule>();
    const size_t at = in.offset();
    for (int32_t* field : ruleHead(*rule)) *field = in.i32();
    rule->fisherThreshold = in.f64();
    const int32_t a = rule->alphabetSize;
    if (a != storage.alphabetSize) {
        in.fail(label + " has an alphabet of " + number(a) + " letters but the object table has " +
                    number(storage.alphabetSize),
                at);
    }
    if (rule->codeCount != a + 1) {
        in.fail(
            label + " has " + number(rule->codeCount) + " letter codes instead of " + number(a + 1),
            at);
    }
    if (rule->positionCount < 0 || rule->positionCount > storage.width) {
        in.fail(label + " spans " + number(rule->positionCount) +
                    " positions but the objects have " + number(storage.width),
                at);
    }
    if (rule->targetPosition < 0 || rule->targetPosition >= rule->positionCount) {
        in.fail(label + " predicts position " + number(int64_t{rule->targetPosition} + 1) +
                    ", outside its " + number(rule->positionCount) + " positions",
                at);
    }
    rule->letterProbability.assign(static_cast<size_t>(rule->codeCount), 0.0);
    for (int32_t j = 0; j < a; ++j) rule->letterProbability[static_cast<size_t>(j)] = in.f64();

    rule->conditionCount = readConditionCount(in, label, " conditions", listPositions);
    rule->reservedFlag = in.u8();
    rule->fisher = in.f64();
    rule->cp = in.f64();
    if (!std::isfinite(rule->fisher) || !std::isfinite(rule->cp) ||
        !std::isfinite(rule->fisherThreshold)) {
        in.fail(label + " has a Fisher value " + realText(rule->fisher) + ", CP " +
                    realText(rule->cp) + " and threshold " + realText(rule->fisherThreshold) +
                    "; all must be numbers",
                at);
    }
    for (int32_t j = 0; j < a; ++j) {
        const double p = rule->letterProbability[static_cast<size_t>(j)];
        if (!std::isfinite(p)) {
            in.fail(label + " gives letter code " + number(j) + " the value " + realText(p) +
                        ", not a number",
                    at);
        }
    }
    readConditions(in, rule->conditions, rule->conditionCount, rule->positionCount, a,
                   label + " condition");

    rule->shiftedCount = readConditionCount(in, label, " shifted conditions", listPositions);
    readConditions(in, rule->shiftedConditions, rule->shiftedCount, rule->positionCount, a,
                   label + " shifted condition");
    rule->storage = &storage;
    rule->codeTable = letters;
    return rule;
}

std::unique_ptr<RulesStorage> readRuleStore(ByteReader& in, SEQStorage* storage) {
    const size_t at = in.offset();
    if (storage == nullptr) in.fail("there is a rule store but no object table for its rules", at);
    auto rules = std::make_unique<RulesStorage>();
    for (int32_t* field : ruleStoreHead(*rules)) *field = in.i32();
    const uint8_t key = in.u8();
    if (rules->capacity < 0 || rules->capacity > limits::kMaxRuleCapacity) {
        in.fail("the capacity is " + number(rules->capacity) + " (0 to " +
                    number(limits::kMaxRuleCapacity) + " is allowed)",
                at);
    }
    if (rules->count < 0 || rules->count > rules->capacity) {
        in.fail("the rule count " + number(rules->count) + " is not within the capacity " +
                    number(rules->capacity),
                at);
    }
    if (rules->positionCount < 0 || rules->positionCount > limits::kMaxWidth) {
        in.fail("the rules span " + number(rules->positionCount) + " positions", at);
    }
    if (key > 1) in.fail("the key form flag is " + number(key) + " (0 or 1)", at);
    rules->keyWithProbabilities = key == 1;
    // A rule takes at least 61 bytes.
    in.needItems(rules->count, 61, "rules", at);

    rules->rules.resize(static_cast<size_t>(rules->capacity));
    auto letters = std::make_shared<const CCodeTable>(storage->codeTable);
    for (int32_t i = 0; i < rules->count; ++i) {
        const size_t ruleAt = in.offset();
        const std::string label = "rule " + number(i + 1);
        auto rule = readRule(in, *storage, letters, rules->positionCount, label);
        if (i > 0 && rule->fisher < rules->rules[static_cast<size_t>(i - 1)]->fisher) {
            in.fail(label +
                        " has a smaller Fisher value than the rule before it; the store must be in "
                        "ascending order",
                    ruleAt);
        }
        rules->rules[static_cast<size_t>(i)] = std::move(rule);
    }
    return rules;
}

void readIdealObjects(ByteReader& in, const SEQStorage* storage, ProjectData& data) {
    const size_t at = in.offset();
    if (storage == nullptr) in.fail("there are ideal objects but no object table", at);
    const int32_t count = in.i32();
    if (count < 0) in.fail("the class count is " + number(count), at);
    in.needItems(count, 16, "ideal objects", at);
    data.idealObjects.clear();
    data.idealObjects.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const size_t objectAt = in.offset();
        const std::string label = "the ideal object of class " + number(i + 1);
        auto object = std::make_unique<CIdelObject>();
        object->value = in.f64();
        const int32_t letters = in.i32();
        const int32_t positions = in.i32();
        if (letters != storage->alphabetSize) {
            in.fail(label + " has " + number(letters) + " letters but the alphabet has " +
                        number(storage->alphabetSize),
                    objectAt);
        }
        if (positions != storage->width) {
            in.fail(label + " has " + number(positions) + " positions but the objects have " +
                        number(storage->width),
                    objectAt);
        }
        in.needItems(positions, letters, "positions of " + label, objectAt);
        object->InitEmpty(positions, letters);
        for (int32_t p = 0; p < positions; ++p) {
            for (int32_t l = 0; l < letters; ++l) {
                const size_t flagAt = in.offset();
                const uint8_t flag = in.u8();
                if (flag > 1) {
                    in.fail(label + " has flag " + number(flag) + " at position " + number(p + 1) +
                                " (0 or 1)",
                            flagAt);
                }
                if (flag == 1) object->Allow({p, l});
            }
        }
        data.idealObjects.push_back(std::move(object));
    }
    data.classCount = count;
}

void checkClass(ByteReader& in, int32_t classNumber, int32_t classCount, const std::string& label,
                size_t at) {
    if (classNumber < -1 || classNumber >= classCount) {
        in.fail(label + " belongs to class " + number(int64_t{classNumber} + 1) +
                    " but there are " + number(classCount) + " classes",
                at);
    }
}

// One of the three object lists of section 9, into `set` and `count`.
void readObjectList(ByteReader& in, SEQStorage* storage, int32_t classCount, ObjectSet& set,
                    int32_t& count, const char* what) {
    const size_t at = in.offset();
    const int32_t n = in.i32();
    if (n < 0) in.fail(std::string("the count of ") + what + " is " + number(n), at);
    if (n == 0) return;
    if (storage == nullptr) in.fail(std::string("there are ") + what + " but no object table", at);
    const int32_t width = in.i32();
    if (width < 1 || width > limits::kMaxWidth)
        in.fail(std::string(what) + " have width " + number(width), at);
    in.needItems(n, 4 + 4 * int64_t{width}, what, at);
    set.make(n, width, storage->alphabetSize);
    count = n;
    for (int32_t i = 0; i < n; ++i) {
        const size_t objectAt = in.offset();
        const std::string label = std::string(what) + " " + number(i + 1);
        set[i].classNumber = in.i32();
        checkClass(in, set[i].classNumber, classCount, label, objectAt);
        readCodes(in, set[i], width, storage->alphabetSize, label);
    }
}

void readRecognition(ByteReader& in, ProjectData& data) {
    const size_t at = in.offset();
    const size_t rows = data.controlNegative.size();
    const int32_t columns = data.classCount;
    in.needItems(static_cast<int64_t>(rows) * columns, 12,
                 "scores (" + number(static_cast<int64_t>(rows)) + " sequences by " +
                     number(columns) + " classes)",
                 at);
    data.recognition.assign(rows, std::vector<RecognitionCell>(static_cast<size_t>(columns)));
    for (size_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const size_t cellAt = in.offset();
            RecognitionCell& cell = data.recognition[r][static_cast<size_t>(c)];
            cell.position = in.i32();
            cell.score = in.f64();
            if (cell.position < 0 || cell.position > columns) {
                in.fail("sequence " + number(static_cast<int64_t>(r + 1)) +
                            " has a score for class " + number(cell.position) + " but there are " +
                            number(columns) + " classes",
                        cellAt);
            }
        }
    }
    data.recognitionPresent = true;
}

void decode(ByteReader& in, ProjectData& data) {
    in.setSection("header");
    ProjectSettings& s = data.settings;
    s.confidence = in.f64();
    s.cpThreshold = in.f64();
    s.finishBufferSize = in.i32();
    s.subBufferSize = in.i32();
    const int32_t workMode = in.i32();
    s.frameWidth = in.i32();
    const int32_t idealizationType = in.i32();
    s.arranged = in.i32();
    if (const auto mode = fromCode(workMode, WorkMode::kShift))
        s.workMode = *mode;
    else
        in.fail("the alignment type is " + number(workMode) + " (0 or 1)", 24);
    if (const auto type = fromCode(idealizationType, IdealizationType::kDeletingInserting))
        s.idealizationType = *type;
    else
        in.fail("the idealization type is " + number(idealizationType) + " (0, 1 or 2)", 32);
    if (s.arranged != 0 && s.arranged != 1)
        in.fail("\"Arrange in order\" is " + number(s.arranged) + " (0 or 1)", 36);
    if (!std::isfinite(s.confidence))
        in.fail("\"Confidence interval\" is " + realText(s.confidence) + ", not a number", 0);
    if (!std::isfinite(s.cpThreshold))
        in.fail("\"Min. level of CP\" is " + realText(s.cpThreshold) + ", not a number", 8);
    if (s.finishBufferSize < 0 || s.finishBufferSize > limits::kMaxRuleCapacity) {
        in.fail("\"Size of Finish Buffer\" is " + number(s.finishBufferSize) + " (0 to " +
                    number(limits::kMaxRuleCapacity) + " is allowed)",
                16);
    }
    if (s.subBufferSize < 0 || s.subBufferSize > limits::kMaxRuleCapacity) {
        in.fail("\"Size of Sub Buffers\" is " + number(s.subBufferSize) + " (0 to " +
                    number(limits::kMaxRuleCapacity) + " is allowed)",
                20);
    }
    if (s.frameWidth < 0 || s.frameWidth > limits::kMaxWidth) {
        in.fail("\"Width of scaning frame\" is " + number(s.frameWidth) + " (0 to " +
                    number(limits::kMaxWidth) + " is allowed)",
                28);
    }

    in.setSection("learning positive sample");
    if (!in.takeAbsenceMarker()) {
        readRecords(in, data.learnPositive);
        data.learnPositivePresent = true;
    }
    // A scanning frame wider than every learning sequence cuts no window; the window refuses
    // to search with it.
    const int32_t longest =
        sampleWidth(data.learnPositive.data(), static_cast<int32_t>(data.learnPositive.size()));
    if (s.shiftPositions() && longest > 0 && s.frameWidth > longest) {
        in.setSection("header");
        in.fail("\"Width of scaning frame\" is " + number(s.frameWidth) +
                    ", wider than the longest learning positive sequence (" + number(longest) +
                    " letters)",
                28);
    }

    in.setSection("object table");
    if (!in.takeAbsenceMarker()) {
        // The objects are cut from the learning positive sequences by a search: a table without
        // them is not one the program writes (a file of zero bytes reads as one).
        if (data.learnPositive.empty())
            in.fail("there is an object table but no learning positive sequence to cut it from");
        data.storage = readObjectTable(in);
    }

    in.setSection("rule store");
    if (!in.takeAbsenceMarker()) data.rules = readRuleStore(in, data.storage.get());

    in.setSection("ideal objects");
    if (!in.takeAbsenceMarker()) {
        readIdealObjects(in, data.storage.get(), data);
        data.idealObjectsPresent = true;
    }

    in.setSection("control negative sample");
    readRecords(in, data.controlNegative);
    in.setSection("control positive sample");
    readRecords(in, data.controlPositive);
    in.setSection("learning negative sample");
    readRecords(in, data.learnNegative);

    SEQStorage* storage = data.storage.get();
    in.setSection("object lists");
    if (storage != nullptr) {
        readObjectList(in, storage, data.classCount, storage->controlNegativeObjects,
                       storage->controlNegativeObjectCount, "control negative objects");
        readObjectList(in, storage, data.classCount, storage->negativeObjects,
                       storage->negativeObjectCount, "learning negative objects");
        readObjectList(in, storage, data.classCount, storage->controlPositiveObjects,
                       storage->controlPositiveObjectCount, "control positive objects");
    } else {
        ObjectSet unused;
        int32_t unusedCount = 0;
        for (const char* what : {"control negative objects", "learning negative objects",
                                 "control positive objects"}) {
            readObjectList(in, nullptr, data.classCount, unused, unusedCount, what);
        }
    }

    in.setSection("recognition table");
    if (!in.takeAbsenceMarker()) readRecognition(in, data);

    in.setSection("end of file");
    if (!in.atEnd())
        in.fail(number(static_cast<int64_t>(in.remaining())) + " bytes follow the last section");

    // The learning objects come before the class count; their classes are checked now.
    if (storage != nullptr) {
        for (int32_t i = 0; i < storage->learnObjectCount; ++i) {
            const int32_t classNumber = storage->learnObjects[i].classNumber;
            if (classNumber < -1 || classNumber >= data.classCount) {
                throw FormatError("object table: learning object " + number(i + 1) +
                                  " belongs to class " + number(int64_t{classNumber} + 1) +
                                  " but there are " + number(data.classCount) + " classes");
            }
        }
    }
}

}  // namespace

Status DecodeProject(std::span<const unsigned char> bytes, const std::string& sourceName,
                     ProjectData& data) {
    ProjectData fresh;
    ByteReader in(bytes);
    try {
        decode(in, fresh);
    } catch (const FormatError& e) {
        return Status::failure("The project file \"" + sourceName +
                                   "\" is damaged or not a project: " + e.what() + ".",
                               sourceName);
    } catch (const std::bad_alloc&) {
        return Status::failure(
            "The project file \"" + sourceName + "\" needs more memory than is available.",
            sourceName);
    }
    data = std::move(fresh);
    return Status::success();
}

Status ReadProject(const std::string& fileName, ProjectData& data) {
    std::string bytes;
    Status status = ReadWholeFile(fileName, bytes, limits::kMaxFileBytes);
    if (!status) return status;
    return DecodeProject({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()},
                         fileName, data);
}

}  // namespace motifora
