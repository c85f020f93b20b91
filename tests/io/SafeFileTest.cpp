// Tests of the safe whole-file writer: what it replaces, what it writes through, what it refuses
// and the temporary files it leaves (none) or clears (those of dead processes).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "io/SafeFile.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

namespace fs = std::filesystem;

class SafeFileTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return dir_.path(name); }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir_.root()))
            found.insert(entry.path().filename().string());
        return found;
    }

    test::TempDir dir_{"motifora-safefile"};
};

TEST_F(SafeFileTest, RegularFilesAreReplacedAndNoTemporaryRemains) {
    const std::string file = path("p.dnp");
    ASSERT_TRUE(WriteFileAtomically(file, "first").ok);
    ASSERT_TRUE(WriteFileAtomically(file, "second").ok);
    EXPECT_EQ(test::readBytes(file), "second");
    EXPECT_EQ(names(), std::set<std::string>{"p.dnp"});
}

TEST_F(SafeFileTest, LinksAreFollowedAndStayLinks) {
    const std::string real = path("real.txt");
    ASSERT_TRUE(WriteFileAtomically(real, "old").ok);
    fs::create_symlink("real.txt", path("link.txt"));
    ASSERT_TRUE(WriteFileAtomically(path("link.txt"), "new").ok);
    EXPECT_TRUE(fs::is_symlink(path("link.txt")));
    EXPECT_EQ(test::readBytes(real), "new");
    // A link to a file not there yet creates the file it points at.
    fs::create_symlink("later.txt", path("dangling.txt"));
    ASSERT_TRUE(WriteFileAtomically(path("dangling.txt"), "made").ok);
    EXPECT_TRUE(fs::is_symlink(path("dangling.txt")));
    EXPECT_EQ(test::readBytes(path("later.txt")), "made");
}

TEST_F(SafeFileTest, PipesAreWrittenNotReplaced) {
    // A named pipe: its reader gets the bytes and the pipe stays a pipe.
    const std::string fifo = path("out.json");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteFileAtomically(fifo, "{\"ok\": true}\n").ok);
    char buffer[64] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 13);
    EXPECT_STREQ(buffer, "{\"ok\": true}\n");
    ::close(reader);
    struct stat info {};
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // An anonymous pipe reached through /proc/self/fd, as /dev/stdout reaches a shell's pipe.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string through = "/proc/self/fd/" + std::to_string(ends[1]);
    const Status status = WriteFileAtomically(through, "streamed");
    EXPECT_TRUE(status.ok) << status.message;
    ::close(ends[1]);
    char streamed[16] = {};
    EXPECT_EQ(::read(ends[0], streamed, sizeof streamed), 8);
    EXPECT_STREQ(streamed, "streamed");
    ::close(ends[0]);
    EXPECT_EQ(names(), std::set<std::string>{"out.json"});
}

TEST_F(SafeFileTest, TheProcesssOwnFilesAreWrittenThroughTheirDescriptors) {
    // Standard output sent to a file: what was written before stays, the file is not replaced.
    const std::string file = path("captured.txt");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "summary\n", 8), 8);
    struct stat before {};
    ASSERT_EQ(::fstat(fd, &before), 0);
    for (const std::string& name :
         {"/proc/self/fd/" + std::to_string(fd), "/dev/fd/" + std::to_string(fd)}) {
        const Status status = WriteFileAtomically(name, "json\n");
        EXPECT_TRUE(status.ok) << status.message;
    }
    ::close(fd);
    EXPECT_EQ(test::readBytes(file), "summary\njson\njson\n");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(names(), std::set<std::string>{"captured.txt"});
}

TEST_F(SafeFileTest, FoldersAreRefused) {
    fs::create_directory(path("results.html"));
    const Status status = WriteFileAtomically(path("results.html"), "x");
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("folder"), std::string::npos) << status.message;
    EXPECT_TRUE(fs::is_directory(path("results.html")));
}

// The number of a process that has ended and been waited for.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(SafeFileTest, TemporariesOfEndedProcessesAreRemovedByTheNextSave) {
    const std::string target = path("p.dnp");
    const std::string dead = "p.dnp.motifora-tmp-" + std::to_string(endedProcess()) + "-0-17";
    const std::string deadOther = "q.txt.motifora-tmp-" + std::to_string(endedProcess()) + "-3-9";
    const std::string live = "p.dnp.motifora-tmp-" + std::to_string(::getppid()) + "-0-17";
    const std::string foreign = "p.dnp.motifora-tmp-notours";
    const std::string userFile = "p.dnp.tmp-1-2-3";
    for (const std::string& name : {dead, deadOther, live, foreign, userFile})
        std::ofstream(path(name)) << "left over";
    ASSERT_TRUE(WriteFileAtomically(target, "saved").ok);
    EXPECT_EQ(names(), (std::set<std::string>{"p.dnp", live, foreign, userFile}));
    EXPECT_EQ(test::readBytes(target), "saved");
    EXPECT_EQ(RemoveStaleTemporaries(dir_.root().string()), 0u);
}

TEST_F(SafeFileTest, ANamedPipeWithoutReaderIsRefusedAtOnce) {
    // An open for writing would wait for a reader for ever.
    const std::string fifo = path("out.bedGraph");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Status whole = WriteFileAtomically(fifo, "x");
    EXPECT_FALSE(whole.ok);
    EXPECT_EQ(whole.message,
              "Cannot open \"" + fifo + "\": no program reads from this named pipe.");
    SafeFileStream stream;
    EXPECT_FALSE(stream.Open(fifo).ok);
    EXPECT_EQ(names(), std::set<std::string>{"out.bedGraph"});
}

// What waits in the non-blocking descriptor `fd`.
std::string drained(int fd) {
    std::string bytes;
    char buffer[256];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
}

TEST_F(SafeFileTest, NodesThatAreNotFilesAreWrittenNotReplaced) {
    // A named pipe of our own that this test reads stands for every node that is not a regular
    // file (a device is opened the same way), reached by its name and through a link.
    const std::string node = path("t.bg");
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    fs::create_symlink("t.bg", path("link.bg"));
    const int reader = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    for (const std::string& target : {node, path("link.bg")}) {
        SCOPED_TRACE(target);
        SafeFileStream stream;
        ASSERT_TRUE(stream.Open(target).ok);
        EXPECT_FALSE(stream.Replaces());
        EXPECT_TRUE(stream.Write("scores\n").ok);
        EXPECT_TRUE(stream.Commit().ok);
        ASSERT_TRUE(WriteFileAtomically(target, "saved").ok);
        EXPECT_EQ(drained(reader), "scores\nsaved");
    }
    ::close(reader);
    struct stat info {};
    ASSERT_EQ(::lstat(node.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(fs::is_symlink(path("link.bg")));
    EXPECT_EQ(names(), (std::set<std::string>{"t.bg", "link.bg"}));
}

TEST_F(SafeFileTest, ALinkToACharacterDeviceOpensTheDeviceInPlace) {
    // A null device node of our own, reached through a link of our own: opened, never written,
    // and neither the link nor the node is replaced by a file. Where making device nodes is not
    // allowed, a named pipe with a reader stands in: every node that is not a regular file takes
    // the same path through the writer.
    const std::string node = path("device");
    int reader = -1;
    if (::mknod(node.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
        ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
        reader = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
    }
    struct stat before {};
    ASSERT_EQ(::lstat(node.c_str(), &before), 0);
    fs::create_symlink("device", path("device.bg"));
    SafeFileStream stream;
    ASSERT_TRUE(stream.Open(path("device.bg")).ok);
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_FALSE(stream.Replaces());
    EXPECT_TRUE(stream.TemporaryPath().empty());
    stream.Discard();
    if (reader >= 0) ::close(reader);
    EXPECT_TRUE(fs::is_symlink(path("device.bg")));
    EXPECT_EQ(fs::read_symlink(path("device.bg")), "device");
    struct stat after {};
    ASSERT_EQ(::lstat(node.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(names(), (std::set<std::string>{"device", "device.bg"}));
}

TEST_F(SafeFileTest, AStreamReplacesItsTargetOnlyWhenCommitted) {
    const std::string file = path("hits.bed");
    ASSERT_TRUE(WriteFileAtomically(file, "old").ok);
    fs::create_symlink("hits.bed", path("link.bed"));
    SafeFileStream stream;
    ASSERT_TRUE(stream.Open(path("link.bed")).ok);
    EXPECT_TRUE(stream.Replaces());
    for (int piece = 0; piece < 3; ++piece) ASSERT_TRUE(stream.Write("piece\n").ok);
    EXPECT_EQ(test::readBytes(file), "old");
    ASSERT_TRUE(stream.Commit().ok);
    EXPECT_EQ(test::readBytes(file), "piece\npiece\npiece\n");
    EXPECT_TRUE(fs::is_symlink(path("link.bed")));

    // Discarded (or dropped), nothing changes and nothing is left beside the target.
    {
        SafeFileStream dropped;
        ASSERT_TRUE(dropped.Open(file).ok);
        ASSERT_TRUE(dropped.Write("lost").ok);
    }
    SafeFileStream discarded;
    ASSERT_TRUE(discarded.Open(file, true).ok);
    EXPECT_TRUE(fs::exists(discarded.TemporaryPath()));
    ASSERT_TRUE(discarded.Write("lost").ok);
    discarded.Discard();
    EXPECT_EQ(test::readBytes(file), "piece\npiece\npiece\n");
    EXPECT_EQ(names(), (std::set<std::string>{"hits.bed", "link.bed"}));
}

// Direct writes go in whole aligned blocks with the rest kept back until the commit: pieces of
// every size across several blocks come out as written, and the target is replaced only when
// committed.
TEST_F(SafeFileTest, DirectWritesGiveTheSameBytes) {
    const std::string file = path("scores.bedGraph");
    ASSERT_TRUE(WriteFileAtomically(file, "old").ok);
    std::string expected;
    SafeFileStream stream;
    ASSERT_TRUE(stream.Open(file).ok);
    stream.WriteDirectly();
    for (const size_t size : {size_t{1}, size_t{4095}, size_t{4} << 20, size_t{3},
                              (size_t{4} << 20) + 4097, size_t{0}, size_t{1} << 16}) {
        std::string piece(size, '\0');
        for (size_t i = 0; i < size; ++i)
            piece[i] = static_cast<char>('a' + (expected.size() + i) * 7 % 26);
        ASSERT_TRUE(stream.Write(piece).ok);
        expected += piece;
    }
    EXPECT_EQ(test::readBytes(file), "old");
    ASSERT_TRUE(stream.Commit().ok);
    EXPECT_TRUE(test::readBytes(file) == expected);
    EXPECT_EQ(names(), std::set<std::string>{"scores.bedGraph"});

    // Discarded after whole blocks were written, the target stays as it was.
    SafeFileStream dropped;
    ASSERT_TRUE(dropped.Open(file).ok);
    dropped.WriteDirectly();
    ASSERT_TRUE(dropped.Write(std::string((size_t{9} << 20) + 1, 'x')).ok);
    dropped.Discard();
    EXPECT_TRUE(test::readBytes(file) == expected);
    EXPECT_EQ(names(), std::set<std::string>{"scores.bedGraph"});
}

TEST_F(SafeFileTest, FilesCommittedTogetherAreAllWrittenOrNone) {
    ASSERT_TRUE(WriteFileAtomically(path("a.bed"), "old a").ok);
    ASSERT_TRUE(WriteFileAtomically(path("b.bg"), "old b").ok);
    SafeFileStream a;
    SafeFileStream b;
    SafeFileStream unused;
    ASSERT_TRUE(a.Open(path("a.bed")).ok);
    ASSERT_TRUE(b.Open(path("b.bg")).ok);
    ASSERT_TRUE(a.Write("new a").ok);
    ASSERT_TRUE(b.Write("new b").ok);
    const Status failure = AbandonTogether({&a, &b, &unused}, Status::failure("Stopped."));
    EXPECT_EQ(failure.message,
              "Stopped. Not written: \"" + path("a.bed") + "\" and \"" + path("b.bg") + "\".");
    EXPECT_EQ(test::readBytes(path("a.bed")), "old a");
    EXPECT_EQ(test::readBytes(path("b.bg")), "old b");

    ASSERT_TRUE(a.Open(path("a.bed")).ok);
    ASSERT_TRUE(b.Open(path("b.bg")).ok);
    ASSERT_TRUE(a.Write("new a").ok);
    ASSERT_TRUE(b.Write("new b").ok);
    ASSERT_TRUE(CommitTogether({&a, &b, &unused}).ok);
    EXPECT_EQ(test::readBytes(path("a.bed")), "new a");
    EXPECT_EQ(test::readBytes(path("b.bg")), "new b");
    EXPECT_EQ(names(), (std::set<std::string>{"a.bed", "b.bg"}));
}

TEST_F(SafeFileTest, FormerScanTemporariesOfEndedProcessesAreRemoved) {
    // What "kill -9" left of a scan's outputs when they were written as TARGET.part-PID-N.
    const std::string dead = "hits.bed.part-" + std::to_string(endedProcess()) + "-4711";
    const std::string live = "hits.bed.part-" + std::to_string(::getppid()) + "-4711";
    const std::string other = "other.bed.part-" + std::to_string(endedProcess()) + "-1";
    const std::string userFile = "hits.bed.part-1-2-3";
    for (const std::string& name : {dead, live, other, userFile})
        std::ofstream(path(name)) << "left over";
    SafeFileStream stream;
    ASSERT_TRUE(stream.Open(path("hits.bed")).ok);
    ASSERT_TRUE(stream.Commit().ok);
    EXPECT_EQ(names(), (std::set<std::string>{"hits.bed", live, other, userFile}));
}

TEST_F(SafeFileTest, AFailedSaveKeepsTheOldFile) {
    const std::string file = path("kept.txt");
    ASSERT_TRUE(WriteFileAtomically(file, "kept").ok);
    const Status missing = WriteFileAtomically(path("no/such/folder.txt"), "x");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find("no/such/folder.txt"), std::string::npos) << missing.message;
    EXPECT_EQ(test::readBytes(file), "kept");
    EXPECT_EQ(names(), std::set<std::string>{"kept.txt"});
}

}  // namespace
}  // namespace motifora
