// The genome scan window: choices read from its edits, the scan on the window's own thread,
// hits and chart bins published under the window's mutex, and the exports.
#include "ui/model/GenomeScanForm.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "core/WorkerPool.h"
#include "genome/TrackWriter.h"
#include "io/ScanTracks.h"

namespace motifora {

namespace {

int64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

}  // namespace

// Receives the scan on the worker. A hit only touches the collector's own state; what the window
// shows (the chart bins, the record list, the hits for the table, the progress) is published
// under the window's mutex once a piece and once a record, so that a scan with millions of hits
// takes the lock no more often than one without.
class GenomeScanForm::Collector final : public ScanSink {
  public:
    Collector(GenomeScanForm& form, int64_t expectedLetters)
        : form_(form), expected_(std::max<int64_t>(expectedLetters, 1)) {
        started_ = std::chrono::steady_clock::now();
    }

    void recordStart(const FastaRecord& record) override {
        RecordChart chart;
        chart.name = record.name;
        recordHits_ = 0;
        ++record_;
        std::lock_guard<std::recursive_mutex> lock(form_.mutex_);
        form_.records_.push_back(std::move(chart));
        const auto row = static_cast<int32_t>(form_.records_.size());
        form_.RecordsList.setRowCount(row + 1);
        form_.RecordsList.setCell(0, row, record.name);
    }
    void windows(const FastaRecord&, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override {
        std::lock_guard<std::recursive_mutex> lock(form_.mutex_);
        publishHits();
        addToBins(form_.records_.back(), first, best, valid);
    }
    void hit(const FastaRecord&, const ScanHit& hit) override {
        ++recordHits_;
        if (kept_ >= kMaxShownHits) return;
        ++kept_;
        // 0 stands for the discriminative score, which has no class. The settings do not change
        // while the worker runs.
        const int32_t classNumber =
            form_.settings_.discriminative
                ? 0
                : form_.settings_.classes[static_cast<size_t>(hit.classOrder)] + 1;
        pending_.push_back({record_, hit, classNumber});
    }
    void recordEnd(const FastaRecord&, int64_t letters) override {
        std::lock_guard<std::recursive_mutex> lock(form_.mutex_);
        publishHits();
        RecordChart& chart = form_.records_.back();
        chart.letters = letters;
        chart.hits = recordHits_;
        const auto row = static_cast<int32_t>(form_.records_.size());
        form_.RecordsList.setCell(1, row, std::to_string(letters));
        form_.RecordsList.setCell(2, row, std::to_string(chart.hits));
    }
    void progress(const ScanTotals& totals) override { publish(totals); }

    // Publishes the progress and the hits not published yet (a stopped scan's last ones).
    void publish(const ScanTotals& totals) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        const auto rate =
            static_cast<int64_t>(seconds > 0 ? static_cast<double>(totals.letters) / seconds : 0);
        std::lock_guard<std::recursive_mutex> lock(form_.mutex_);
        publishHits();
        form_.Progress.setPosition(
            static_cast<int32_t>(std::min<int64_t>(999, totals.letters * 1000 / expected_)));
        form_.StatusLabel.setText(std::to_string(totals.records) + " records, " +
                                  std::to_string(totals.letters) + " letters, " +
                                  std::to_string(rate) + " letters/s, " +
                                  std::to_string(totals.hits) + " hits");
    }

  private:
    // Called with the window's mutex held.
    void publishHits() {
        if (pending_.empty()) return;
        form_.hits_.insert(form_.hits_.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }

    // Each point of the chart is the best score of `binSize` windows (the first scored one,
    // then any higher); windows first, first + 1, ... of the record are added, a bin at a time.
    static void addToBins(RecordChart& chart, int64_t first, std::span<const double> best,
                          std::span<const uint8_t> valid) {
        size_t j = 0;
        while (j < best.size()) {
            const int64_t position = first + static_cast<int64_t>(j);
            const auto bin = static_cast<size_t>(position / chart.binSize);
            if (bin >= chart.best.size()) {
                chart.best.resize(bin + 1, 0.0);
                chart.scored.resize(bin + 1, 0);
            }
            const auto room =
                static_cast<size_t>((static_cast<int64_t>(bin) + 1) * chart.binSize - position);
            const size_t end = std::min(best.size(), j + room);
            double value = chart.best[bin];
            uint8_t scored = chart.scored[bin];
            for (; j < end; ++j) {
                if (valid[j] != 0 && (scored == 0 || best[j] > value)) {
                    value = best[j];
                    scored = 1;
                }
            }
            chart.best[bin] = value;
            chart.scored[bin] = scored;
            // Too many points: pairs of bins become one.
            if (chart.best.size() > kMaxChartPoints) halve(chart);
        }
    }

    static void halve(RecordChart& chart) {
        const size_t n = (chart.best.size() + 1) / 2;
        for (size_t i = 0; i < n; ++i) {
            const size_t a = 2 * i;
            const size_t b = std::min(a + 1, chart.best.size() - 1);
            const bool any = chart.scored[a] != 0 || chart.scored[b] != 0;
            double value = chart.scored[a] != 0 ? chart.best[a] : chart.best[b];
            if (chart.scored[b] != 0 && chart.best[b] > value) value = chart.best[b];
            chart.best[i] = any ? value : 0.0;
            chart.scored[i] = any ? 1 : 0;
        }
        chart.best.resize(n);
        chart.scored.resize(n);
        chart.binSize *= 2;
    }

    GenomeScanForm& form_;
    int64_t expected_;
    std::chrono::steady_clock::time_point started_;
    // The worker's own: the hits not published yet, how many the table keeps so far, and the
    // record being scanned (its index and hit count).
    std::vector<HitRow> pending_;
    size_t kept_ = 0;
    int32_t record_ = -1;
    int64_t recordHits_ = 0;
};

GenomeScanForm::GenomeScanForm() {
    Window.setVisible(false);
    HitsList.setHeaders({"Record", "Start", "End", "Strand", "Class", "Score"});
    RecordsList.setHeaders({"Record", "Letters", "Hits"});
    ScoreChart.setXAxis({"Position", true, 0.0, 0.0});
    ScoreChart.setYAxis({"Score", true, 0.0, 0.0});
}

GenomeScanForm::~GenomeScanForm() {
    Stop();
    WaitForEnd();
}

int32_t GenomeScanForm::readChoices(ScanSettings& settings) {
    if (running_.load()) return kGenomeScanRunning;
    WaitForEnd();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Every refusal says why in the status line, as the model's own refusals do.
    if (GenomeEdit.text().empty()) {
        StatusLabel.setText("Choose the genome (a FASTA file) to scan first.");
        return kGenomeScanNoFile;
    }
    const std::string classes = ClassesEdit.text();
    if (!classes.empty() && !parseClassList(classes, settings.classes)) {
        StatusLabel.setText("Classes: \"" + classes +
                            "\" is not a list of classes; write class numbers from 1 and ranges, "
                            "separated by commas, such as 1,3-5 (empty: every class).");
        return kGenomeScanBadClasses;
    }
    const std::string level = LevelEdit.text();
    if (!level.empty()) {
        if (!parseScanLevel(level, settings.level)) {
            StatusLabel.setText("Level: \"" + level +
                                "\" is not a number; write a score such as 12.5 or 12,5 (empty: "
                                "no hits, scores only).");
            return kGenomeScanBadLevel;
        }
        settings.hits = true;
    }
    settings.bothStrands = StrandGroup.itemIndex() == 1;
    // One scoring thread per core the process may use, as `motifora-cli scan --threads` with
    // every core; a WorkerPool::ThreadLimit in force caps it.
    settings.threads = WorkerPool::threadsFor(0);
    return kGenomeScanStarted;
}

int32_t GenomeScanForm::Start(Classificator& classificator, const CCodeTable& table,
                              const std::string& modelName) {
    ScanSettings settings;
    const int32_t read = readChoices(settings);
    if (read != kGenomeScanStarted) return read;
    if (settings.classes.empty()) {
        for (int32_t k = 0; k < classificator.idealObjectCount; ++k) settings.classes.push_back(k);
    }
    return begin(
        settings,
        [&](const ScanSettings& asked, std::string& error) {
            return scanner_.Prepare(classificator, table, asked, error);
        },
        modelName);
}

int32_t GenomeScanForm::StartDiscriminative(std::shared_ptr<const ContrastScorer> scorer,
                                            const std::string& modelName) {
    ScanSettings settings;
    const int32_t read = readChoices(settings);
    if (read != kGenomeScanStarted) return read;
    if (!settings.classes.empty())
        return refuse("The discriminative score has no classes: clear the class list.");
    settings.classes = {0};
    settings.discriminative = true;
    return begin(
        settings,
        [&](const ScanSettings& asked, std::string& error) {
            return scanner_.PrepareDiscriminative(scorer, asked, error);
        },
        modelName);
}

int32_t GenomeScanForm::refuse(const std::string& why) {
    prepared_ = false;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    StatusLabel.setText(why);
    ExportBedBtn.setEnabled(false);
    ExportBedGraphBtn.setEnabled(false);
    return kGenomeScanRefused;
}

int32_t GenomeScanForm::begin(ScanSettings settings, const PrepareScan& prepare,
                              const std::string& modelName) {
    settings.stop = &stop_;
    settings.onScoringStep = scoringStep_;
    std::string error;
    if (!prepare(settings, error)) return refuse(error);
    prepared_ = true;
    settings_ = settings;
    modelName_ = modelName;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        genome_ = GenomeEdit.text();
        hits_.clear();
        records_.clear();
        chartRecord_ = -1;
        HitsList.setRowCount(1);
        HitsList.clearDataRows();
        RecordsList.setRowCount(1);
        RecordsList.clearDataRows();
        ScoreChart.clearSeries(0);
        Progress.setPosition(0);
    }
    run(genome_, true, "", "");
    return kGenomeScanStarted;
}

int32_t GenomeScanForm::ExportBed(const std::string& path) { return startExport(path, true); }

int32_t GenomeScanForm::ExportBedGraph(const std::string& path) { return startExport(path, false); }

int32_t GenomeScanForm::startExport(const std::string& path, bool bed) {
    if (running_.load()) return kGenomeScanRunning;
    WaitForEnd();
    if (!prepared_) return kGenomeScanNothing;
    if (path.empty()) return kGenomeScanNoFile;
    if (bed && !settings_.hits) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        StatusLabel.setText("A BED export needs a level: the score a hit must reach.");
        return kGenomeScanBadLevel;
    }
    run(genome_, false, bed ? path : "", bed ? "" : path);
    return kGenomeScanStarted;
}

void GenomeScanForm::run(std::string genome, bool collect, std::string bedPath,
                         std::string bedGraphPath) {
    stop_.store(false);
    running_.store(true);
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        StartBtn.setEnabled(false);
        StopBtn.setEnabled(true);
        ExportBedBtn.setEnabled(false);
        ExportBedGraphBtn.setEnabled(false);
        StatusLabel.setText(collect ? "Scanning " + genome
                                    : "Exporting to " + bedPath + bedGraphPath);
        lockChoices(true);
    }
    const int64_t size = fileSize(genome);
    const bool packed = genome.size() > 3 && genome.compare(genome.size() - 3, 3, ".gz") == 0;
    const int64_t expected = packed ? size * 3 : size;
    worker_ = std::thread([this, genome, collect, bedPath, bedGraphPath, expected] {
        std::string error;
        bool ok = false;
        std::string done;
        if (collect) {
            Collector collector(*this, expected);
            ok = scanner_.Scan(genome, collector, error);
            collector.publish(scanner_.Totals());
            if (ok) {
                const ScanTotals& totals = scanner_.Totals();
                done = "Done: " + std::to_string(totals.records) + " records, " +
                       std::to_string(totals.letters) + " letters, " +
                       std::to_string(totals.windows) + " windows scored, " +
                       std::to_string(totals.skippedWindows) + " skipped, " +
                       std::to_string(totals.hits) + " hits";
            }
        } else {
            TrackWriter writer;
            Status status = writer.Open({bedPath, bedGraphPath, ""});
            if (status) {
                writer.Begin(modelName_, settings_);
                ok = scanner_.Scan(genome, writer, error);
                if (ok) status = writer.Finish();
                if (!writer.Failure().empty())
                    status = writer.Abandon(Status::failure(writer.Failure()));
            }
            if (!status) {
                ok = false;
                error = status.message;
            }
            if (ok) done = "Written: " + bedPath + bedGraphPath;
        }
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (collect) {
            if (ok && hits_.size() >= kMaxShownHits)
                done += " (the table shows the first " + std::to_string(kMaxShownHits) + ")";
            fillHits();
            if (!records_.empty()) ShowRecord(0);
        }
        setIdle(ok ? done : (stop_.load() ? "Stopped." : error));
        running_.store(false);
    });
}

void GenomeScanForm::lockChoices(bool locked) {
    for (Control* control : std::initializer_list<Control*>{&GenomeEdit, &ClassesEdit, &LevelEdit,
                                                            &StrandGroup, &ScoreGroup})
        control->setEnabled(!locked);
}

std::string GenomeScanForm::scoreText(double score) {
    if (!std::isfinite(score)) return formatTrackNumber(score);
    // A score that rounds to zero is written "0.000", never "-0.000".
    const double shown = std::abs(score) < 0.0005 ? 0.0 : score;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", shown);
    return text;
}

void GenomeScanForm::setIdle(const std::string& status) {
    lockChoices(false);
    StatusLabel.setText(status);
    StartBtn.setEnabled(true);
    StopBtn.setEnabled(false);
    ExportBedBtn.setEnabled(prepared_ && settings_.hits);
    ExportBedGraphBtn.setEnabled(prepared_);
    Progress.setPosition(1000);
}

void GenomeScanForm::Stop() { stop_.store(true); }

void GenomeScanForm::Close() {
    Stop();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Window.setVisible(false);
}

void GenomeScanForm::WaitForEnd() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void GenomeScanForm::fillHits() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    HitsList.setRowCount(static_cast<int32_t>(hits_.size()) + 1);
    for (size_t i = 0; i < hits_.size(); ++i) {
        const HitRow& row = hits_[i];
        const auto r = static_cast<int32_t>(i) + 1;
        HitsList.setCell(0, r, records_[static_cast<size_t>(row.record)].name);
        HitsList.setCell(1, r, std::to_string(row.hit.start));
        HitsList.setCell(2, r, std::to_string(row.hit.end));
        HitsList.setCell(3, r, std::string(1, row.hit.strand));
        HitsList.setCell(4, r,
                         row.classNumber > 0 ? std::to_string(row.classNumber) : "discriminative");
        HitsList.setCell(5, r, scoreText(row.hit.score));
    }
}

void GenomeScanForm::SortHits(int32_t column, bool ascending) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (running_.load()) return;
    auto key = [column](const HitRow& a, const HitRow& b) {
        switch (column) {
            case 0:
                return a.record < b.record;
            case 1:
                return a.hit.start < b.hit.start;
            case 2:
                return a.hit.end < b.hit.end;
            case 3:
                return a.hit.strand < b.hit.strand;
            case 4:
                return a.classNumber < b.classNumber;
            default:
                return a.hit.score < b.hit.score;
        }
    };
    if (ascending)
        std::stable_sort(hits_.begin(), hits_.end(), key);
    else
        std::stable_sort(hits_.begin(), hits_.end(),
                         [&key](const HitRow& a, const HitRow& b) { return key(b, a); });
    fillHits();
}

void GenomeScanForm::ShowRecord(int32_t index) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= records_.size()) return;
    chartRecord_ = index;
    zoomFrom_ = 0.0;
    zoomTo_ = -1.0;
    RecordsList.select(index + 1, index + 1);
    fillChart();
}

void GenomeScanForm::Zoom(double from, double to) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (chartRecord_ < 0 || !(to > from)) return;
    zoomFrom_ = from;
    zoomTo_ = to;
    fillChart();
}

void GenomeScanForm::ZoomReset() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    zoomFrom_ = 0.0;
    zoomTo_ = -1.0;
    fillChart();
}

bool GenomeScanForm::ShowHit(int32_t row) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (running_.load() || row < 1 || static_cast<size_t>(row) > hits_.size()) return false;
    const HitRow& shown = hits_[static_cast<size_t>(row) - 1];
    const RecordChart& chart = records_[static_cast<size_t>(shown.record)];
    // Room for a few points of the record's chart on both sides, and the hit's own width.
    const int64_t room =
        std::max<int64_t>({shown.hit.end - shown.hit.start, 20 * chart.binSize, 50});
    chartRecord_ = shown.record;
    zoomFrom_ = static_cast<double>(std::max<int64_t>(0, shown.hit.start - room));
    zoomTo_ = static_cast<double>(shown.hit.end + room);
    RecordsList.select(shown.record + 1, shown.record + 1);
    HitsList.select(row, row);
    fillChart();
    return true;
}

void GenomeScanForm::fillChart() {
    ScoreChart.clearSeries(0);
    ScoreChart.clearSeries(1);
    ScoreChart.setLevelSeries(true);
    if (chartRecord_ < 0) {
        ScoreChart.setTitle("");
        return;
    }
    const RecordChart& chart = records_[static_cast<size_t>(chartRecord_)];
    std::string title = chart.name + ", " + std::to_string(chart.letters) + " letters";
    if (chart.binSize > 1)
        title += ", best score of every " + std::to_string(chart.binSize) + " windows";
    if (settings_.hits) title += ", level " + scoreText(settings_.level);
    ScoreChart.setTitle(title);
    const bool zoomed = zoomTo_ > zoomFrom_;
    for (size_t bin = 0; bin < chart.best.size(); ++bin) {
        if (chart.scored[bin] == 0) continue;
        const double position = static_cast<double>(static_cast<int64_t>(bin) * chart.binSize);
        if (zoomed && (position < zoomFrom_ || position > zoomTo_)) continue;
        ScoreChart.addPoint(0, position, chart.best[bin]);
    }
    // The level across the part shown.
    if (settings_.hits) {
        const double last = static_cast<double>(std::max<int64_t>(chart.letters - 1, 0));
        ScoreChart.addPoint(1, zoomed ? zoomFrom_ : 0.0, settings_.level);
        ScoreChart.addPoint(1, zoomed ? zoomTo_ : last, settings_.level);
    }
    Chart::Axis x = ScoreChart.xAxis();
    x.automatic = !zoomed;
    x.minimum = zoomed ? zoomFrom_ : 0.0;
    x.maximum = zoomed ? zoomTo_ : 0.0;
    ScoreChart.setXAxis(x);
}

}  // namespace motifora
