// Reading the golden files of the io tests and the texts written to files by the tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace motifora::testing {

inline std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string golden(const std::string& name) {
    return fileContents(std::string(MOTIFORA_IO_GOLDEN_DIR) + "/" + name);
}

}  // namespace motifora::testing
