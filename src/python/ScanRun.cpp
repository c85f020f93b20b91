// A genome scan on a thread of its own, record by record to the reader.
#include "python/ScanRun.h"

#include <limits>

namespace motifora::python {

class ScanRun::Sink final : public ScanSink {
  public:
    explicit Sink(ScanRun& run) : run_(run) {}

    void recordStart(const FastaRecord& record) override {
        current_ = ScannedRecord{};
        current_.name = record.name;
    }
    void windows(const FastaRecord&, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override {
        if (!run_.wantScores_) return;
        auto& scores = current_.scores;
        const size_t from = static_cast<size_t>(first);
        if (scores.size() < from + best.size())
            scores.resize(from + best.size(), std::numeric_limits<double>::quiet_NaN());
        for (size_t j = 0; j < best.size(); ++j)
            scores[from + j] = valid[j] ? best[j] : std::numeric_limits<double>::quiet_NaN();
    }
    void hit(const FastaRecord&, const ScanHit& hit) override { current_.hits.push_back(hit); }
    void recordEnd(const FastaRecord&, int64_t letters) override {
        current_.letters = letters;
        std::unique_lock<std::mutex> lock(run_.mutex_);
        run_.room_.wait(lock,
                        [this] { return run_.stopping_ || run_.records_.size() < run_.buffered_; });
        if (run_.stopping_) return;
        run_.records_.push_back(std::move(current_));
        lock.unlock();
        run_.changed_.notify_all();
    }
    void progress(const ScanTotals& totals) override {
        std::lock_guard<std::mutex> lock(run_.mutex_);
        run_.totals_ = totals;
    }

  private:
    ScanRun& run_;
    ScannedRecord current_;
};

ScanRun::ScanRun(std::string path, bool wantScores, size_t buffered)
    : path_(std::move(path)), wantScores_(wantScores), buffered_(buffered == 0 ? 1 : buffered) {}

bool ScanRun::prepare(Classificator& classificator, const CCodeTable& table, ScanSettings settings,
                      std::string& error) {
    settings.stop = &stopRequested_;
    return scanner_.Prepare(classificator, table, settings, error);
}

void ScanRun::start() {
    thread_ = std::thread([this] { run(); });
}

ScanRun::~ScanRun() {
    stop();
    if (thread_.joinable()) thread_.join();
}

void ScanRun::run() {
    Sink sink(*this);
    std::string error;
    const bool read = scanner_.Scan(path_, sink, error);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!read && !stopping_) failure_ = error;
        totals_ = scanner_.Totals();
        finished_ = true;
    }
    changed_.notify_all();
}

bool ScanRun::take(ScannedRecord& record) {
    if (stopping_ || records_.empty()) return false;
    record = std::move(records_.front());
    records_.pop_front();
    room_.notify_all();
    return true;
}

std::string ScanRun::failure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void ScanRun::stop() {
    stopRequested_.store(true);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        records_.clear();
    }
    room_.notify_all();
    changed_.notify_all();
}

ScanTotals ScanRun::totals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return totals_;
}

}  // namespace motifora::python
