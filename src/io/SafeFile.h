// Writing a whole file so that a failure never destroys the file that was there before.
#pragma once

#include <string>
#include <string_view>

#include "io/IoStatus.h"

namespace motifora {

// Writes `bytes` to a new temporary file in the folder of `fileName`, flushes it to the disk
// and renames it over `fileName` only when everything was written. Returns success, or a
// failure naming the file and the system's reason; on failure the temporary file is removed
// and an existing `fileName` is left exactly as it was.
IoStatus WriteFileAtomically(const std::string& fileName, std::string_view bytes);

// Reads a whole file of at most `maxBytes` bytes into `bytes`. Returns a failure naming the file
// when it cannot be opened or read, or is larger than the limit.
IoStatus ReadWholeFile(const std::string& fileName, std::string& bytes, size_t maxBytes);

// `name` with `extension` appended unless its last characters are exactly `extension`
// (compared case-sensitively, so "x.DNP" becomes "x.DNP.dnp").
std::string WithExtension(const std::string& name, std::string_view extension);

}  // namespace motifora
