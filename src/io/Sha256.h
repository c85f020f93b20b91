// SHA-256 digests of input files, for reports that name the exact data they describe.
#pragma once

#include <string>

#include "core/Status.h"

namespace motifora {

// The lower-case hexadecimal SHA-256 of the file's bytes into `digest`. Returns a failure naming
// the file when it cannot be opened or read (`digest` is then empty).
Status Sha256OfFile(const std::string& fileName, std::string& digest);
// The lower-case hexadecimal SHA-256 of `bytes`.
std::string Sha256OfBytes(const std::string& bytes);

}  // namespace motifora
