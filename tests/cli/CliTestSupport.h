// Helpers of the motifora-cli tests: a fresh temporary folder per run, running the binary with
// its standard output and error captured, the usual runs on the bundled example, generated
// samples, and files read whole.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace motifora::clitest {

namespace fs = std::filesystem;

// The binary under test and the bundled example.
extern const std::string kCliPath;
extern const std::string kExamples;

// A new empty folder under the system's temporary folder, removed with everything in it.
class TempFolder : public motifora::test::TempDir {
  public:
    TempFolder() : TempDir("motifora-cli") {}
    using TempDir::path;
    const fs::path& path() const { return root(); }
};

struct CliResult {
    int exitCode = -1;  // the exit status, or 128 + the signal that ended the program
    std::string out;
    std::string err;
};

// A motifora-cli run started in `folder` (its working folder) with the C locale; standard
// output goes to "stdout.txt" there, standard error comes through a pipe. A test waits for what
// the run prints with blocking reads that the run's own writes wake (no clock is polled), then
// acts on the run. `environment` adds NAME=VALUE entries to the run's environment. The run is
// killed if this test process dies first, so that a held run never outlives its test.
class CliRun {
  public:
    CliRun(const std::vector<std::string>& arguments, const fs::path& folder,
           const std::vector<std::string>& environment = {});
    // A run not finished is killed and waited for.
    ~CliRun();
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    // Reads the run's standard error until what it printed holds `text`. False when the run
    // closed its standard error (so ended) without printing it.
    bool waitForError(const std::string& text);
    // What the run printed on standard error so far.
    const std::string& error() const { return error_; }
    // Sends `signal` to the run.
    void signal(int number) const;
    // Reads standard error to its end, waits for the run to end and collects its outputs.
    CliResult finish();

  private:
    // Appends what the run prints next to `error_`; false once its standard error has ended.
    bool readError();

    fs::path folder_;
    pid_t pid_ = -1;
    int errorPipe_ = -1;
    std::string error_;
};

// Runs motifora-cli to its end.
CliResult runCli(const std::vector<std::string>& arguments, const fs::path& folder);
// Runs motifora-cli in `folder` with its work held at `hold` (a test hook: the work waits at its
// first step until it is stopped), waits until the run's standard error shows `shown`, presses
// Ctrl-C and collects the run. A run that ends without showing `shown` fails the test.
CliResult interruptWhenShown(const std::vector<std::string>& arguments, const fs::path& folder,
                             const std::string& hold, const std::string& shown);

// A test in a fresh folder of its own, running motifora-cli there; `positive` and `negative`
// are the bundled promoter samples.
class CliFolderTest : public ::testing::Test {
  protected:
    TempFolder folder;
    std::string positive = kExamples + "/promoters_pos.seq";
    std::string negative = kExamples + "/promoters_neg.seq";

    CliResult run(const std::vector<std::string>& arguments) {
        return runCli(arguments, folder.path());
    }
    bool exists(const std::string& name) const { return fs::exists(folder.path() / name); }
};

// The arguments of a search, idealization and classification of the bundled promoters (the
// negatives are the control sample too; buffers of 80 and 20), followed by `more`.
std::vector<std::string> promoterRun(const std::vector<std::string>& more);

std::string readFile(const fs::path& path);
// The fields of `line` between the places of `separator` (n places give n + 1 fields).
std::vector<std::string> splitAt(const std::string& line, const std::string& separator);
// The lines of a tab-separated text, each split at its tabs.
std::vector<std::vector<std::string>> tsvRows(const std::string& text);
void writeFile(const fs::path& path, const std::string& bytes);

// A ".seq" sample of `count` records of `length` letters over ACGT from a generator seeded
// with `seed`. Every `plantEvery`-th record (0 = none) carries "TATAAT" from position 5 on and
// "GC" at the end, so that the search finds regularities.
std::string generatedSample(uint32_t seed, int32_t count, int32_t length, int32_t plantEvery);

}  // namespace motifora::clitest
