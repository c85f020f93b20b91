// Samples handed over from Python: files through the window's reader, letter lists checked here.
#include "python/Samples.h"

#include <cstdio>

#include "workspace/TMainManager.h"

namespace motifora::python {

std::string SampleSource::name(const std::string& role) const {
    return isFile ? path : "the " + role + " sequence list";
}

Status readSampleFile(const std::string& path, std::vector<Sequence>& records,
                      std::vector<std::string>* warnings) {
    return TMainManager::readLearnPositiveFile(path, records, warnings);
}

Status recordsFromLetters(const std::vector<std::string>& letters, const std::string& source,
                          std::vector<Sequence>& records) {
    records.clear();
    if (letters.empty()) return Status::failure(source + " is empty", source);
    std::vector<Sequence> made(letters.size());
    for (size_t i = 0; i < letters.size(); ++i) {
        const std::string& text = letters[i];
        const std::string where = source + ", sequence " + std::to_string(i + 1);
        const auto record = static_cast<int64_t>(i) + 1;
        if (text.empty()) return Status::failure(where + " has no letters", source, 0, record);
        for (size_t j = 0; j < text.size(); ++j) {
            const auto c = static_cast<unsigned char>(text[j]);
            if (c <= ' ' || c >= 0x7F || c == '>' || c == ';') {
                char shown[8];
                std::snprintf(shown, sizeof shown, c > ' ' && c < 0x7F ? "'%c'" : "0x%02X", c);
                return Status::failure(where + ": character " + shown + " at letter " +
                                           std::to_string(j + 1) + " is not a letter",
                                       source, 0, record);
            }
        }
        made[i].assign(text, "seq" + std::to_string(i + 1), 1);
    }
    records = std::move(made);
    return Status::success();
}

Status readSample(const SampleSource& sample, const std::string& role,
                  std::vector<Sequence>& records) {
    if (sample.isFile) return python::readSampleFile(sample.path, records);
    return recordsFromLetters(sample.letters, sample.name(role), records);
}

}  // namespace motifora::python
