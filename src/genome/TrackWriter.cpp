// BED, bedGraph and bigWig files of a scan, formatted in large buffers and written in order.
#include "genome/TrackWriter.h"

#include <bigWig.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>

namespace motifora {

namespace {

constexpr size_t kFlushBytes = size_t{1} << 20;
// Hits gathered before their lines are formatted.
constexpr size_t kHitsPerFormat = size_t{1} << 16;
// Buffers kept for the scoring threads' lines.
constexpr size_t kSpareTexts = 16;

// The values of a run of window starts, as the spill file keeps them until the bigWig can be
// written (its header lists the records' lengths, known only at the end).
struct SpilledRun {
    uint32_t record;
    uint32_t start;
    uint32_t count;
};

// Whether `a` and `b` name the same file, so that one output would replace the other or mix
// with it: the same file on the disk (a character device such as /dev/null may take both), or
// the same place.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino &&
               !S_ISCHR(first.st_mode);
    std::error_code ec;
    const auto one = std::filesystem::weakly_canonical(std::filesystem::absolute(a), ec);
    const auto two = std::filesystem::weakly_canonical(std::filesystem::absolute(b), ec);
    return one == two;
}

bool readAll(int fd, void* into, size_t bytes) {
    auto* at = static_cast<char*>(into);
    while (bytes > 0) {
        const ssize_t got = ::read(fd, at, bytes);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        bytes -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

struct TrackWriter::BigWig {
    int spill = -1;  // an unnamed temporary file beside the target
    TrackText buffer;
    std::vector<std::string> names;
    std::vector<uint32_t> lengths;
    ~BigWig() {
        if (spill >= 0) ::close(spill);
    }
};

// One thread that writes the buffers handed to it, in the order they came. At most a few
// buffers wait, so that a slow disk holds the scan back instead of filling the memory.
class TrackWriter::OrderedWriter {
  public:
    OrderedWriter() : thread_([this] { run(); }) {}
    ~OrderedWriter() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.clear();  // what was not written by now is not wanted
            ending_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    OrderedWriter(const OrderedWriter&) = delete;
    OrderedWriter& operator=(const OrderedWriter&) = delete;

    // Queues `text` for `file` and gives back an empty buffer to fill next.
    TrackText Submit(SafeFileStream& file, TrackText text) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kWaiting || !failure_.ok; });
        if (failure_.ok) {
            queue_.push_back({&file, std::move(text)});
            changed_.notify_all();
        }
        TrackText next;
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
        next.Clear();
        return next;
    }
    // Waits until every queued buffer is written; returns the first failure.
    Status Drain() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return (queue_.empty() && !writing_) || !failure_.ok; });
        return failure_;
    }
    Status Failure() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return failure_;
    }

  private:
    static constexpr size_t kWaiting = 8;

    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
            if (queue_.empty()) return;
            auto [file, text] = std::move(queue_.front());
            queue_.pop_front();
            writing_ = true;
            lock.unlock();
            const Status written = failure_.ok ? file->Write(text.View()) : Status::success();
            text.Clear();
            lock.lock();
            writing_ = false;
            if (!written && failure_.ok) {
                failure_ = written;
                queue_.clear();
            }
            if (spare_.size() < kWaiting) spare_.push_back(std::move(text));
            changed_.notify_all();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<SafeFileStream*, TrackText>> queue_;
    std::vector<TrackText> spare_;
    Status failure_;
    bool writing_ = false;
    bool ending_ = false;
    std::thread thread_;
};

TrackWriter::TrackWriter() = default;
TrackWriter::~TrackWriter() = default;

std::string TrackWriter::Failure() const {
    if (!failure_.ok) return failure_.message;
    if (writer_) {
        const Status failure = writer_->Failure();
        if (!failure.ok) return failure.message;
    }
    return {};
}

std::vector<SafeFileStream*> TrackWriter::files() { return {&bed_, &bedGraph_, &bigWigFile_}; }

std::vector<std::string> TrackWriter::Names() const {
    std::vector<std::string> names;
    for (const SafeFileStream* file : {&bed_, &bedGraph_, &bigWigFile_})
        if (!file->Name().empty()) names.push_back(file->Name());
    return names;
}

Status TrackWriter::Open(const TrackPaths& paths) {
    failure_ = Status::success();
    const std::pair<const char*, const std::string*> named[] = {
        {"--bed", &paths.bed}, {"--bedgraph", &paths.bedGraph}, {"--bigwig", &paths.bigWig}};
    for (size_t i = 0; i < 3; ++i) {
        for (size_t j = i + 1; j < 3; ++j) {
            if (named[i].second->empty() || named[j].second->empty() ||
                !sameFile(*named[i].second, *named[j].second))
                continue;
            return Status::failure(std::string(named[i].first) + " and " + named[j].first +
                                       " name the same file \"" + *named[j].second +
                                       "\"; give each output its own file.",
                                   *named[j].second);
        }
    }
    Status opened;
    if (opened && !paths.bed.empty()) opened = bed_.Open(paths.bed);
    if (opened && !paths.bedGraph.empty()) opened = bedGraph_.Open(paths.bedGraph);
    if (opened && !paths.bigWig.empty()) {
        struct stat info {};
        const bool special = ::stat(paths.bigWig.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
                             !S_ISDIR(info.st_mode);
        if (!special) opened = bigWigFile_.Open(paths.bigWig, true);
        if (opened && (special || !bigWigFile_.Replaces())) {
            opened = Status::failure("Cannot write \"" + paths.bigWig +
                                         "\": a bigWig file is written out of order and must be "
                                         "a regular file, not a pipe or device.",
                                     paths.bigWig);
        }
        if (opened) {
            bigWig_ = std::make_unique<BigWig>();
            std::string folder =
                std::filesystem::path(bigWigFile_.TemporaryPath()).parent_path().string();
            if (folder.empty()) folder = ".";
            bigWig_->spill = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (bigWig_->spill < 0) {
                std::FILE* spare = std::tmpfile();
                if (spare != nullptr) {
                    bigWig_->spill = ::dup(::fileno(spare));
                    std::fclose(spare);
                }
            }
            if (bigWig_->spill < 0) {
                opened = Status::failure(
                    "Cannot write \"" + paths.bigWig +
                        "\": no temporary file for its values: " + std::strerror(errno) + ".",
                    paths.bigWig);
            }
        }
    }
    if (!opened) {
        for (SafeFileStream* file : files()) file->Discard();
        bigWig_.reset();
        return opened;
    }
    // Text outputs of gigabytes: written to the disk directly rather than copied into the page
    // cache first.
    bed_.WriteDirectly();
    bedGraph_.WriteDirectly();
    wantBed_ = !paths.bed.empty();
    wantGraph_ = !paths.bedGraph.empty();
    return Status::success();
}

void TrackWriter::Begin(const std::string& modelName, const ScanSettings& settings) {
    classNames_.clear();
    preparedWindows_ = 0;
    hitsPrepared_ = false;
    std::string classList;
    for (const int32_t k : settings.classes) {
        classNames_.push_back("class" + std::to_string(k + 1));
        classList += (classList.empty() ? "" : ",") + std::to_string(k + 1);
    }
    if (settings.discriminative) classNames_.assign(1, "discriminative");
    const std::string what =
        (settings.discriminative ? std::string("discriminative score") : "classes " + classList) +
        ", strand " + (settings.bothStrands ? "both" : "+");
    if (wantBed_) {
        bedText_.Append(bedTrackLine(modelName, "Motifora hits of " + modelName + " (" + what +
                                                    ", level " + formatTrackNumber(settings.level) +
                                                    (settings.merge ? ", merged)" : ")")));
    }
    if (wantGraph_) {
        graphText_.Append(bedGraphTrackLine(
            modelName + " scores",
            "Best Motifora score of " + modelName + " per window (" + what + ")"));
    }
}

void TrackWriter::write(SafeFileStream& file, TrackText& text, bool all) {
    if (text.Size() == 0 || (!all && text.Size() < kFlushBytes)) return;
    if (!writer_) writer_ = std::make_unique<OrderedWriter>();
    text = writer_->Submit(file, std::move(text));
}

void TrackWriter::recordStart(const FastaRecord& record) {
    if (!bigWig_) return;
    bigWig_->names.push_back(record.name);
    bigWig_->lengths.push_back(0);
}

void TrackWriter::recordEnd(const FastaRecord& record, int64_t letters) {
    if (!hits_.empty()) formatHits();
    if (!bigWig_ || bigWig_->lengths.empty()) return;
    if (letters > std::numeric_limits<uint32_t>::max()) {
        if (failure_.ok)
            failure_ = Status::failure("Cannot write \"" + bigWigFile_.Name() + "\": record " +
                                           record.name + " is longer than a bigWig can hold.",
                                       bigWigFile_.Name());
        return;
    }
    bigWig_->lengths.back() = static_cast<uint32_t>(letters);
}

void TrackWriter::windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                          std::span<const uint8_t> valid) {
    const size_t n = best.size();
    // Whether the bedGraph lines came through take().
    const bool formatted = preparedWindows_ >= n && n > 0;
    if (formatted) preparedWindows_ -= n;
    if (!failure_.ok) return;
    if (bigWig_) {
        // Runs of scored window starts.
        const auto recordIndex = static_cast<uint32_t>(bigWig_->names.size() - 1);
        for (size_t j = 0; j < n;) {
            if (valid[j] == 0) {
                ++j;
                continue;
            }
            size_t end = j;
            while (end < n && valid[end] != 0) ++end;
            const SpilledRun run{recordIndex,
                                 static_cast<uint32_t>(first + static_cast<int64_t>(j)),
                                 static_cast<uint32_t>(end - j)};
            char* at = bigWig_->buffer.Reserve(sizeof run + run.count * sizeof(float));
            std::memcpy(at, &run, sizeof run);
            at += sizeof run;
            for (size_t i = j; i < end; ++i, at += sizeof(float)) {
                const auto value = static_cast<float>(best[i]);
                std::memcpy(at, &value, sizeof value);
            }
            bigWig_->buffer.Written(at);
            j = end;
        }
        if (bigWig_->buffer.Size() >= kFlushBytes) {
            int error = 0;
            const std::string_view bytes = bigWig_->buffer.View();
            size_t done = 0;
            while (done < bytes.size() && error == 0) {
                const ssize_t put =
                    ::write(bigWig_->spill, bytes.data() + done, bytes.size() - done);
                if (put < 0 && errno != EINTR) error = errno;
                if (put > 0) done += static_cast<size_t>(put);
            }
            bigWig_->buffer.Clear();
            if (error != 0)
                failure_ = Status::failure(
                    "Cannot write \"" + bigWigFile_.Name() + "\": " + std::strerror(error) + ".",
                    bigWigFile_.Name());
        }
    }
    if (!wantGraph_ || formatted) return;
    graphText_.BedGraphLines(record.name, first, best.data(), valid.data(), n);
    write(bedGraph_, graphText_, false);
}

void TrackWriter::hit(const FastaRecord& record, const ScanHit& hit) {
    if (!wantBed_ || hitsPrepared_) return;
    hits_.push_back(hit);
    hitsRecord_ = record.name;
    if (hits_.size() >= kHitsPerFormat) formatHits();
}

void TrackWriter::formatHits() {
    for (const ScanHit& hit : hits_) {
        bedText_.BedLine(hitsRecord_, hit.start, hit.end,
                         classNames_[static_cast<size_t>(hit.classOrder)], hit.score, hit.strand);
    }
    hits_.clear();
    write(bed_, bedText_, false);
}

struct TrackWriter::Lines final : ScanPrepared {
    TrackText graph;
    TrackText bed;
    size_t windows = 0;  // whose bedGraph lines `graph` holds
    bool hits = false;   // `bed` holds the stretch's hits
};

TrackText TrackWriter::spareText() const {
    std::lock_guard<std::mutex> lock(spareMutex_);
    if (spares_.empty()) return TrackText();
    TrackText text = std::move(spares_.back());
    spares_.pop_back();
    return text;
}

void TrackWriter::keepSpare(TrackText text) const {
    text.Clear();
    std::lock_guard<std::mutex> lock(spareMutex_);
    if (spares_.size() < kSpareTexts) spares_.push_back(std::move(text));
}

std::unique_ptr<ScanPrepared> TrackWriter::prepare(const ScanStretch& stretch) const {
    const bool bed = wantBed_ && !stretch.merged;
    if (!wantGraph_ && !bed) return nullptr;
    auto lines = std::make_unique<Lines>();
    if (wantGraph_) {
        lines->graph = spareText();
        lines->graph.BedGraphLines(stretch.record.name, stretch.first, stretch.best.data(),
                                   stretch.valid.data(), stretch.best.size());
        lines->windows = stretch.best.size();
    }
    if (bed) {
        lines->bed = spareText();
        lines->hits = true;
        for (const ScanHit& hit : stretch.hits) {
            lines->bed.BedLine(stretch.record.name, hit.start, hit.end,
                               classNames_[static_cast<size_t>(hit.classOrder)], hit.score,
                               hit.strand);
        }
    }
    return lines;
}

void TrackWriter::take(const FastaRecord& record, std::unique_ptr<ScanPrepared> prepared) {
    (void)record;
    auto& lines = static_cast<Lines&>(*prepared);
    preparedWindows_ += lines.windows;
    hitsPrepared_ = lines.hits;
    if (failure_.ok) {
        if (lines.windows > 0) writeAfter(bedGraph_, graphText_, lines.graph);
        if (lines.hits) writeAfter(bed_, bedText_, lines.bed);
    }
    keepSpare(std::move(lines.graph));
    keepSpare(std::move(lines.bed));
}

void TrackWriter::writeAfter(SafeFileStream& file, TrackText& pending, TrackText& text) {
    write(file, pending, true);
    write(file, text, true);
}

namespace {

// Writes the bigWig at `path` from the spilled runs; returns the failure's reason or "".
std::string writeBigWig(const std::string& path, int spill, const std::vector<std::string>& names,
                        const std::vector<uint32_t>& lengths) {
    static std::once_flag initialised;
    static bool ready = false;
    std::call_once(initialised, [] { ready = bwInit(size_t{1} << 17) == 0; });
    if (!ready) return "the bigWig library could not start";
    std::vector<const char*> chroms;
    std::vector<uint32_t> sizes;
    for (size_t i = 0; i < names.size(); ++i) {
        chroms.push_back(names[i].c_str());
        sizes.push_back(std::max<uint32_t>(lengths[i], 1));
    }
    bigWigFile_t* file = bwOpen(path.c_str(), nullptr, "w");
    if (file == nullptr) return std::strerror(errno);
    std::string problem;
    if (bwCreateHdr(file, 10) != 0) problem = "its header could not be made";
    if (problem.empty()) {
        file->cl =
            bwCreateChromList(chroms.data(), sizes.data(), static_cast<int64_t>(names.size()));
        if (file->cl == nullptr || bwWriteHdr(file) != 0)
            problem = "its header could not be written";
    }
    if (problem.empty() && ::lseek(spill, 0, SEEK_SET) != 0) problem = std::strerror(errno);
    std::vector<float> values;
    SpilledRun run{};
    while (problem.empty() && readAll(spill, &run, sizeof run)) {
        values.resize(run.count);
        if (!readAll(spill, values.data(), run.count * sizeof(float))) {
            problem = "its values could not be read back";
            break;
        }
        if (bwAddIntervalSpanSteps(file, chroms[run.record], run.start, 1, 1, values.data(),
                                   run.count) != 0)
            problem = "its values could not be written";
    }
    bwClose(file);
    return problem;
}

}  // namespace

Status TrackWriter::Finish() {
    if (!hits_.empty()) formatHits();
    write(bed_, bedText_, true);
    write(bedGraph_, graphText_, true);
    if (writer_) {
        const Status written = writer_->Drain();
        writer_.reset();
        if (!written && failure_.ok) failure_ = written;
    }
    if (!failure_.ok) return Abandon(failure_);
    if (bigWig_) {
        const std::string_view rest = bigWig_->buffer.View();
        bool ok =
            static_cast<size_t>(::write(bigWig_->spill, rest.data(), rest.size())) == rest.size();
        bigWig_->buffer.Clear();
        std::string problem = ok ? std::string() : std::string(std::strerror(errno));
        if (ok)
            problem = writeBigWig(bigWigFile_.TemporaryPath(), bigWig_->spill, bigWig_->names,
                                  bigWig_->lengths);
        bigWig_.reset();
        if (!problem.empty())
            return Abandon(
                Status::failure("Cannot write \"" + bigWigFile_.Name() + "\": " + problem + ".",
                                bigWigFile_.Name()));
    }
    return CommitTogether(files());
}

Status TrackWriter::Abandon(const Status& failure) {
    writer_.reset();  // ends the writing thread before its files go
    bigWig_.reset();
    return AbandonTogether(files(), failure);
}

}  // namespace motifora
