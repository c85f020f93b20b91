// A genome scan on a thread of its own, handing each record's hits (and, when asked, its
// per-window scores) over to the reader one record at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "genome/GenomeScan.h"

namespace motifora::python {

// What a scan found in one record.
struct ScannedRecord {
    std::string name;
    int64_t letters = 0;
    std::vector<ScanHit> hits;
    // The best score of every window start (NaN where the window holds a letter outside the
    // alphabet), when scores were asked for.
    std::vector<double> scores;
};

// At most `buffered` records wait for the reader, so memory stays bounded by the records
// themselves.
class ScanRun {
  public:
    ScanRun(std::string path, bool wantScores, size_t buffered = 2);
    ~ScanRun();
    // Prepares the scanner (GenomeScanner::Prepare, with this run's stop flag); false with
    // `error` set when it refuses the classes or strands. Before start() only.
    bool prepare(Classificator& classificator, const CCodeTable& table, ScanSettings settings,
                 std::string& error);
    // Starts the scan on its own thread.
    void start();
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    // The lock and signal the reader waits on, and what it waits for: a record, or the end.
    std::mutex& mutex() { return mutex_; }
    std::condition_variable& changed() { return changed_; }
    // With mutex() held: a record is waiting or the scan has ended (once stop() was called,
    // only the end counts).
    bool ready() const { return finished_ || (!stopping_ && !records_.empty()); }
    // With mutex() held, when ready(): takes the next record; false at the end.
    bool take(ScannedRecord& record);
    // After the end: the failure (naming the file, record or line), empty when the scan read
    // the whole file or was stopped.
    std::string failure() const;
    bool stopped() const { return stopRequested_.load(); }
    // Asks the scan to end at its next piece and drops the records not yet taken.
    void stop();
    ScanTotals totals() const;

  private:
    class Sink;
    void run();

    GenomeScanner scanner_;
    std::string path_;
    bool wantScores_;
    size_t buffered_;
    std::atomic<bool> stopRequested_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;  // a record arrived, the scan ended
    std::condition_variable room_;     // the reader took a record, or a stop
    std::deque<ScannedRecord> records_;
    bool finished_ = false;
    bool stopping_ = false;
    std::string failure_;
    ScanTotals totals_;
    std::thread thread_;
};

}  // namespace motifora::python
