// The files of a genome scan: its hits as BED6, the best score per window start as bedGraph and
// as bigWig. The lines are formatted into large buffers on the scan's scoring threads and
// written in order by one writing thread while the scan goes on. Every file is opened (and so
// checked) before the scan's work begins and written through a temporary file; when the scan has
// finished they take their targets' places together, or none does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/Status.h"
#include "genome/GenomeScan.h"
#include "io/SafeFile.h"
#include "io/ScanTracks.h"

namespace motifora {

// The files a scan writes; an empty name writes no such file.
struct TrackPaths {
    std::string bed;
    std::string bedGraph;
    std::string bigWig;
};

class TrackWriter final : public ScanSink {
  public:
    TrackWriter();
    ~TrackWriter() override;

    // Opens the files asked for: refuses two names for the same file, a bigWig that is not a
    // regular file (it is written out of order), and whatever the safe writer refuses (a
    // folder, a named pipe without a reader, a folder that cannot take a file).
    Status Open(const TrackPaths& paths);
    // Writes the track lines, which name the model (`modelName`), the classes, the strands and
    // the level.
    void Begin(const std::string& modelName, const ScanSettings& settings);
    // Writes what is left and puts every file in place, all or none. The failure says which
    // files were not written.
    Status Finish();
    // Discards every file after a failure of the scan; returns `failure` naming them.
    Status Abandon(const Status& failure);
    // The names given, in the order BED, bedGraph, bigWig.
    std::vector<std::string> Names() const;

    void recordStart(const FastaRecord& record) override;
    void windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override;
    void hit(const FastaRecord& record, const ScanHit& hit) override;
    void recordEnd(const FastaRecord& record, int64_t letters) override;
    void progress(const ScanTotals& totals) override {
        if (onProgress) onProgress(totals);
    }
    std::string Failure() const override;
    void notice(const std::string& text) override {
        if (onNotice) onNotice(text);
    }
    // The bedGraph lines of the stretch's windows and the BED lines of its hits (unless merged).
    std::unique_ptr<ScanPrepared> prepare(const ScanStretch& stretch) const override;
    void take(const FastaRecord& record, std::unique_ptr<ScanPrepared> prepared) override;

    // Called after every piece of the scan with the totals so far.
    std::function<void(const ScanTotals&)> onProgress;
    // Called with what the scan wants the user to know.
    std::function<void(const std::string&)> onNotice;

  private:
    struct BigWig;
    struct Lines;
    class OrderedWriter;
    void write(SafeFileStream& file, TrackText& text, bool all);
    // Queues `text` after what `pending` holds for `file`; `text` becomes a spare buffer.
    void writeAfter(SafeFileStream& file, TrackText& pending, TrackText& text);
    // Formats the BED lines of the hits gathered so far.
    void formatHits();
    std::vector<SafeFileStream*> files();
    // An empty buffer for a scoring thread's lines, and one given back.
    TrackText spareText() const;
    void keepSpare(TrackText text) const;

    SafeFileStream bed_;
    SafeFileStream bedGraph_;
    SafeFileStream bigWigFile_;
    std::unique_ptr<BigWig> bigWig_;
    // Writes the formatted buffers in order on its own thread while the scan goes on.
    std::unique_ptr<OrderedWriter> writer_;
    std::vector<std::string> classNames_;
    bool wantBed_ = false;  // the files are touched by the writing thread only
    bool wantGraph_ = false;
    TrackText bedText_;
    TrackText graphText_;
    std::vector<ScanHit> hits_;   // of the current record, not yet formatted
    size_t preparedWindows_ = 0;  // windows whose bedGraph lines came through take()
    bool hitsPrepared_ = false;   // the hits' BED lines come through take()
    mutable std::mutex spareMutex_;
    mutable std::vector<TrackText> spares_;
    std::string hitsRecord_;
    Status failure_;
};

}  // namespace motifora
