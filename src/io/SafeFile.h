// Writing a whole file so that a failure never destroys the file that was there before.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// A file written piece by piece on the terms of WriteFileAtomically (which writes through it):
// a regular file is replaced only by Commit, a device or pipe is streamed as the pieces come, a
// named pipe that no program reads from is refused at once, a folder is refused. Every failure
// names the file (in the text and as Status::file) and is remembered: later calls return it.
class SafeFileStream {
  public:
    SafeFileStream();
    // Discards what was not committed.
    ~SafeFileStream();
    SafeFileStream(const SafeFileStream&) = delete;
    SafeFileStream& operator=(const SafeFileStream&) = delete;

    // Opens `name` for writing. With `namedTemporary` the temporary file of a regular target
    // has a name from the start (TemporaryPath()), for a library that opens files by name.
    Status Open(const std::string& name, bool namedTemporary = false);
    // Appends the bytes. A failure to write a temporary file discards it at once.
    Status Write(std::string_view bytes);
    // Has the bytes of a temporary file go to the disk directly (O_DIRECT), in large
    // aligned blocks, instead of through the system's page cache, where the file system takes
    // that: for an output of gigabytes, which the page cache would copy once more, hold and
    // flush at Prepare. The file's bytes are the same; a block not yet whole waits in memory
    // until Prepare. Call it after Open; it does nothing for a device or a pipe, and the writes
    // go through the page cache again where direct ones fail.
    void WriteDirectly();
    // Makes what was written ready to take the target's place: a temporary file is flushed to
    // the disk and named beside the target; a stream is closed.
    Status Prepare();
    // Prepare, then the temporary file is renamed over the target.
    Status Commit();
    // Forgets what was written: the temporary file is removed, the target stays as it was.
    void Discard();

    bool IsOpen() const { return kind_ != Kind::None; }
    // True while a temporary file stands in for a regular target (false for a stream).
    bool Replaces() const { return kind_ == Kind::Replace; }
    // The descriptor written to (-1 when none is open).
    int Descriptor() const { return fd_; }
    // The name given to Open (kept after Discard and Commit).
    const std::string& Name() const { return name_; }
    // The named temporary file, or empty.
    const std::string& TemporaryPath() const { return temporary_; }

  private:
    enum class Kind { None, Own, Direct, Replace };
    struct Staging;
    Status fail(const std::string& message);
    // Writes the staged bytes (direct writes while the file takes them); false with `error`.
    bool writeStaged(int& error);

    Kind kind_ = Kind::None;
    int fd_ = -1;
    std::string name_;
    std::string fileName_;  // the regular file replaced (through a link, the file it points at)
    std::string temporary_;
    bool unnamed_ = false;
    bool prepared_ = false;
    std::unique_ptr<Staging> staging_;  // the block being filled for a direct write
    Status error_;
};

// Commits several files as one output: each is prepared and only when all are ready are they
// renamed into place, so that a failure leaves every target as it was. The failure's message
// then ends with "Not written: ..." naming the files (and, in the rare case of a failed rename,
// "Written: ..." for those already in place). Files never opened are skipped.
Status CommitTogether(const std::vector<SafeFileStream*>& files);
// Discards every file of an output after `failure`, and returns it with "Not written: ...".
Status AbandonTogether(const std::vector<SafeFileStream*>& files, Status failure);

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
