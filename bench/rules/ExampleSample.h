// The benchmarks' reading of a bundled example sample (empty when it cannot be read).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/FileManager.h"
#include "core/Sequence.h"

namespace motifora::bench {

// The ".seq" sample at `path` (empty when it cannot be read).
inline std::vector<Sequence> readSampleAt(const std::string& path) {
    FileManager reader;
    std::vector<Sequence> records;
    if (!reader.open(path, FileManager::kReadSequences)) return records;
    const int count = reader.countRecords();
    if (count <= 0) return records;
    records.resize(static_cast<size_t>(count));
    const int read = reader.readSequences(records.data(), 0);
    records.resize(static_cast<size_t>(std::max(read, 0)));
    return records;
}

inline std::vector<Sequence> readSample(const std::string& name) {
    return readSampleAt(std::string(MOTIFORA_EXAMPLES_DIR) + "/" + name);
}

}  // namespace motifora::bench
