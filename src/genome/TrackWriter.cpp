// BED and bedGraph files of a scan, buffered and written piece by piece.
#include "genome/TrackWriter.h"

#include "io/ScanTracks.h"

namespace motifora {

namespace {

constexpr size_t kFlushBytes = size_t{1} << 20;

}  // namespace

Status TrackWriter::Open(const std::string& bedPath, const std::string& bedGraphPath,
                         const std::string& modelName, const ScanSettings& settings) {
    classNames_.clear();
    std::string classList;
    for (const int32_t k : settings.classes) {
        classNames_.push_back("class" + std::to_string(k + 1));
        classList += (classList.empty() ? "" : ",") + std::to_string(k + 1);
    }
    const std::string what =
        "classes " + classList + ", strand " + (settings.bothStrands ? "both" : "+");
    if (!bedPath.empty()) {
        const Status opened = bed_.Open(bedPath);
        if (!opened) return opened;
        bed_.Write(bedTrackLine(modelName, "Motifora hits of " + modelName + " (" + what +
                                               ", level " + formatTrackNumber(settings.level) +
                                               (settings.merge ? ", merged)" : ")")));
    }
    if (!bedGraphPath.empty()) {
        const Status opened = bedGraph_.Open(bedGraphPath);
        if (!opened) return opened;
        bedGraph_.Write(bedGraphTrackLine(
            modelName + " scores",
            "Best Motifora score of " + modelName + " per window (" + what + ")"));
    }
    return Status::success();
}

void TrackWriter::windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                          std::span<const uint8_t> valid) {
    if (!bedGraph_.IsOpen()) return;
    for (size_t j = 0; j < best.size(); ++j) {
        if (valid[j] == 0) continue;
        const int64_t start = first + static_cast<int64_t>(j);
        appendBedGraphLine(graphText_, record.name, start, start + 1, best[j]);
    }
    flush(false);
}

void TrackWriter::hit(const FastaRecord& record, const ScanHit& hit) {
    if (!bed_.IsOpen()) return;
    appendBedLine(bedText_, record.name, hit.start, hit.end,
                  classNames_[static_cast<size_t>(hit.classOrder)], hit.score, hit.strand);
    flush(false);
}

void TrackWriter::flush(bool all) {
    if (bed_.IsOpen() && (all || bedText_.size() >= kFlushBytes)) {
        bed_.Write(bedText_);
        bedText_.clear();
    }
    if (bedGraph_.IsOpen() && (all || graphText_.size() >= kFlushBytes)) {
        bedGraph_.Write(graphText_);
        graphText_.clear();
    }
}

Status TrackWriter::Finish() {
    flush(true);
    for (AtomicStream* file : {&bed_, &bedGraph_}) {
        if (!file->IsOpen()) continue;
        const Status written = file->Commit();
        if (!written) return written;
    }
    return Status::success();
}

}  // namespace motifora
