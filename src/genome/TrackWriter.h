// The files of a genome scan: its hits as BED6 and the best score per window start as bedGraph,
// each written through a temporary file and renamed into place when the scan has finished.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Status.h"
#include "genome/GenomeScan.h"
#include "io/AtomicStream.h"

namespace motifora {

class TrackWriter final : public ScanSink {
  public:
    // Opens the files asked for (an empty path writes no such file) and writes their track
    // lines, which name the model (`modelName`), the classes, the strands and the level.
    Status Open(const std::string& bedPath, const std::string& bedGraphPath,
                const std::string& modelName, const ScanSettings& settings);
    // Writes what is buffered and renames the files into place. Returns the first failure.
    Status Finish();

    void windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override;
    void hit(const FastaRecord& record, const ScanHit& hit) override;
    void progress(const ScanTotals& totals) override {
        if (onProgress) onProgress(totals);
    }

    // Called after every piece of the scan with the totals so far.
    std::function<void(const ScanTotals&)> onProgress;

  private:
    void flush(bool all);

    AtomicStream bed_;
    AtomicStream bedGraph_;
    std::vector<std::string> classNames_;
    std::string bedText_;
    std::string graphText_;
};

}  // namespace motifora
