// The headlines of the sample loads: what was done to the data, said when it is done.
#include "ui/model/LoadHeadlines.h"

#include "core/SEQStorage.h"
#include "core/Translatable.h"

namespace motifora {

namespace {

// "4, 40, 57": at most the first few lengths, then how many more.
std::string lengthList(const std::vector<int32_t>& lengths) {
    constexpr size_t kShown = 6;
    std::string list;
    for (size_t i = 0; i < lengths.size() && i < kShown; ++i)
        list += (i == 0 ? "" : ", ") + std::to_string(lengths[i]);
    if (lengths.size() > kShown) list += ", … (+" + std::to_string(lengths.size() - kShown) + ")";
    return list;
}

int32_t widthOf(const std::vector<Sequence>& records) {
    return sampleWidth(records.data(), static_cast<int32_t>(records.size()));
}

// `words` with how many of `records` are shorter than `width` and their lengths; "" when none
// is.
std::string shorterHeadline(const char* words, const std::vector<Sequence>& records,
                            int32_t width) {
    const ShorterRecords shorter =
        shorterRecords(records.data(), static_cast<int32_t>(records.size()), width);
    if (shorter.count == 0) return {};
    std::string headline =
        words + std::to_string(shorter.count) + " / " + std::to_string(records.size());
    addHeadlineLine(headline, MOTIFORA_TR("Длины в выборке, букв: ") + lengthList(shorter.lengths));
    return headline;
}

}  // namespace

void addHeadlineLine(std::string& headline, const std::string& line) {
    if (line.empty()) return;
    headline += (headline.empty() ? "" : "\n") + line;
}

std::string cutRecordsHeadline(const SampleRead& read, size_t recordCount) {
    if (read.cutRecords == 0) return {};
    std::string headline = MOTIFORA_TR("Записей обрезано до первых 1023 букв: ") +
                           std::to_string(read.cutRecords) + " / " + std::to_string(recordCount);
    addHeadlineLine(headline, MOTIFORA_TR("Самая длинная из них в файле, букв: ") +
                                  std::to_string(read.longestCut));
    addHeadlineLine(
        headline,
        MOTIFORA_TR(
            "Формат FASTA читает записи целиком: сохраните выборку в FASTA, чтобы сохранить "
            "записи полностью."));
    return headline;
}

std::string shorterPositivesHeadline(const std::vector<Sequence>& records) {
    std::string headline = shorterHeadline(
        MOTIFORA_TR("Последовательностей короче самой длинной: "), records, widthOf(records));
    if (headline.empty()) return {};
    addHeadlineLine(headline,
                    MOTIFORA_TR("В фиксированных позициях объекты берут ширину самой длинной "
                                "последовательности; позиции за концом более коротких остаются "
                                "пустыми, и ни одна закономерность их не покрывает."));
    return headline;
}

std::string shorterNegativesHeadline(const std::vector<Sequence>& positives,
                                     const std::vector<Sequence>& negatives) {
    const int32_t width = widthOf(positives);
    std::string headline = shorterHeadline(
        MOTIFORA_TR("Отрицательных последовательностей короче положительных: "), negatives, width);
    if (headline.empty()) return {};
    addHeadlineLine(
        headline, MOTIFORA_TR("Ширина положительных объектов, позиций: ") + std::to_string(width));
    addHeadlineLine(headline,
                    MOTIFORA_TR("Позиции за концом более коротких последовательностей остаются "
                                "пустыми: в поиске закономерностей они не совпадают ни с одной "
                                "буквой."));
    return headline;
}

}  // namespace motifora
