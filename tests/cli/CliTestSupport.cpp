// Helpers of the motifora-cli tests: temporary folders, runs of the binary, generated samples.
#include "CliTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace motifora::clitest {

const std::string kCliPath = MOTIFORA_CLI_PATH;
const std::string kExamples = MOTIFORA_EXAMPLES_DIR;

CliRun::CliRun(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::vector<std::string>& environment)
    : folder_(folder) {
    const std::string out = (folder / "stdout.txt").string();
    std::vector<std::string> storage{kCliPath};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string locale = "LC_ALL=C";
    std::vector<char*> envp{locale.data(), nullptr};
    // Sanitizer settings of the test run reach the binary too.
    std::vector<std::string> kept = environment;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "PATH"})
        if (const char* value = getenv(name)) kept.push_back(std::string(name) + "=" + value);
    for (std::string& k : kept) envp.insert(envp.end() - 1, k.data());

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for a motifora-cli run");
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // Ended with the test: a run held until it is interrupted never stays behind.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(126);
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || dup2(o, 1) < 0 || dup2(ends[1], 2) < 0) _exit(126);
        if (o != 1) close(o);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(ends[1]);
    errorPipe_ = ends[0];
    if (pid_ < 0) {
        close(errorPipe_);
        errorPipe_ = -1;
        throw std::runtime_error("cannot start motifora-cli");
    }
}

CliRun::~CliRun() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (errorPipe_ >= 0) close(errorPipe_);
}

bool CliRun::readError() {
    char buffer[4096];
    while (errorPipe_ >= 0) {
        const ssize_t n = read(errorPipe_, buffer, sizeof buffer);
        if (n > 0) {
            error_.append(buffer, static_cast<size_t>(n));
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        close(errorPipe_);
        errorPipe_ = -1;
    }
    return false;
}

bool CliRun::waitForError(const std::string& text) {
    while (error_.find(text) == std::string::npos)
        if (!readError()) return false;
    return true;
}

void CliRun::signal(int number) const {
    if (pid_ > 0) kill(pid_, number);
}

CliResult CliRun::finish() {
    while (readError()) {
    }
    CliResult result;
    int status = 0;
    while (pid_ > 0 && waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    result.out = readFile(folder_ / "stdout.txt");
    result.err = error_;
    return result;
}

std::vector<std::string> promoterRun(const std::vector<std::string>& more) {
    const std::string positive = kExamples + "/promoters_pos.seq";
    const std::string negative = kExamples + "/promoters_neg.seq";
    std::vector<std::string> arguments = {"--positive",
                                          positive,
                                          "--negative",
                                          negative,
                                          "--control-negative",
                                          negative,
                                          "--finish",
                                          "80",
                                          "--sub",
                                          "20",
                                          "--stages",
                                          "search,idealize,classify"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

CliResult runCli(const std::vector<std::string>& arguments, const fs::path& folder) {
    return CliRun(arguments, folder).finish();
}

CliResult interruptWhenShown(const std::vector<std::string>& arguments, const fs::path& folder,
                             const std::string& hold, const std::string& shown) {
    CliRun held(arguments, folder, {"MOTIFORA_TEST_HOLD=" + hold});
    if (held.waitForError(shown))
        held.signal(SIGINT);
    else
        ADD_FAILURE() << "the run ended without showing \"" << shown << "\"";
    return held.finish();
}

std::string readFile(const fs::path& path) { return motifora::test::readBytes(path.string()); }

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string generatedSample(uint32_t seed, int32_t count, int32_t length, int32_t plantEvery) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter(0, 3);
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        std::string letters;
        for (int32_t j = 0; j < length; ++j) letters += "ACGT"[letter(random)];
        if (plantEvery > 0 && i % plantEvery == 0 && length >= 12) {
            letters.replace(4, 6, "TATAAT");
            letters.replace(static_cast<size_t>(length) - 2, 2, "GC");
        }
        text += ">r" + std::to_string(i + 1) + ";" + letters + "\n";
    }
    return text;
}

std::vector<std::string> splitAt(const std::string& line, const std::string& separator) {
    std::vector<std::string> fields;
    size_t from = 0;
    while (true) {
        const size_t at = line.find(separator, from);
        fields.push_back(line.substr(from, at - from));
        if (at == std::string::npos) return fields;
        from = at + separator.size();
    }
}

std::vector<std::vector<std::string>> tsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) rows.push_back(splitAt(line, "\t"));
    return rows;
}

}  // namespace motifora::clitest
