// Reading the golden files of the io tests and the texts written to files by the tests.
#pragma once

#include <string>

#include "support/TempDir.h"

namespace motifora::testing {

using test::readBytes;

inline std::string golden(const std::string& name) {
    return readBytes(std::string(MOTIFORA_IO_GOLDEN_DIR) + "/" + name);
}

}  // namespace motifora::testing
