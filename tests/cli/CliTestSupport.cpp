// Helpers of the motifora-cli tests: temporary folders, runs of the binary, generated samples.
#include "CliTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace motifora::clitest {

const std::string kCliPath = MOTIFORA_CLI_PATH;
const std::string kExamples = MOTIFORA_EXAMPLES_DIR;

pid_t startCli(const std::vector<std::string>& arguments, const fs::path& folder,
               const std::vector<std::string>& environment) {
    const std::string out = (folder / "stdout.txt").string();
    const std::string err = (folder / "stderr.txt").string();
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

    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0) _exit(126);
        dup2(o, 1);
        dup2(e, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

CliResult finishCli(pid_t pid, const fs::path& folder, int seconds) {
    CliResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    result.out = readFile(folder / "stdout.txt");
    result.err = readFile(folder / "stderr.txt");
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
    return finishCli(startCli(arguments, folder), folder);
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
