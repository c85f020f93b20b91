// Writing a whole file so that a failure never destroys the file that was there before.
#pragma once

#include <string>
#include <string_view>

#include "core/Status.h"

namespace motifora {

// Writes `bytes` to `fileName`, so that a failure never destroys what was there:
// - a regular file, or a new name, is replaced atomically: the bytes go to a temporary file in
//   the same folder (unnamed where the file system allows, so a killed process leaves nothing),
//   are flushed to the disk and renamed over the target only when complete;
// - through a symbolic link the file it points at is written that way (the link stays);
// - a device, pipe or socket (a terminal, a named pipe) is written directly, as it cannot be
//   replaced; so is one of the process's own open files named as /dev/stdout, /dev/stderr,
//   /dev/fd/N or /proc/self/fd/N, through its descriptor (what it holds stays before);
// - a folder is refused.
// Temporary files left beside the target by processes that no longer exist are removed first.
// Returns success, or a failure naming the file (in the text and as Status::file) and the
// system's reason; on failure an existing regular `fileName` is left exactly as it was and no
// temporary file remains.
Status WriteFileAtomically(const std::string& fileName, std::string_view bytes);

// Removes from `folder` the temporary files of WriteFileAtomically whose process no longer
// exists; returns how many were removed. Other files are never touched.
size_t RemoveStaleTemporaries(const std::string& folder);

// Reads a whole regular file of at most `maxBytes` bytes into `bytes`. Returns a failure naming
// the file (in the text and as Status::file) when it cannot be opened or read, is not a regular
// file (a folder, a pipe, a device or a socket: a pipe is opened without waiting for a writer,
// then refused) or is larger than the limit ("... bytes `kind` may have").
Status ReadWholeFile(const std::string& fileName, std::string& bytes, size_t maxBytes,
                     std::string_view kind = "a project");

// `name` with `extension` appended unless its last characters are exactly `extension`
// (compared case-sensitively, so "x.DNP" becomes "x.DNP.dnp").
std::string WithExtension(const std::string& name, std::string_view extension);

}  // namespace motifora
