// The "Scan Genome (FASTA)" window as data: the genome file and the choices of a scan, its
// progress, a sortable hit table, a per-record score chart with zoom, and the BED and bedGraph
// exports. Scans and exports run on a thread of the window's own, never on the workspace's.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "genome/GenomeScan.h"
#include "ui/model/Controls.h"

namespace motifora {

class CCodeTable;
class Classificator;

// Result codes of Start, ExportBed and ExportBedGraph.
enum GenomeScanStart : int32_t {
    kGenomeScanStarted = -1,
    kGenomeScanNoFile = 1,      // no genome file (or no output file for an export)
    kGenomeScanBadClasses = 2,  // the class list does not read
    kGenomeScanBadLevel = 3,    // the level does not read
    kGenomeScanRefused = 4,     // the model cannot scan as asked (StatusLabel says why)
    kGenomeScanRunning = 5,     // a scan or an export is running
    kGenomeScanNothing = 6,     // an export before any scan
};

class GenomeScanForm {
    std::recursive_mutex mutex_;  // declared first: every control refers to it

  public:
    // Hits kept for the table; the exports write every hit.
    static constexpr size_t kMaxShownHits = 100000;
    // Points per record kept for the chart; longer records keep the best score per bin.
    static constexpr size_t kMaxChartPoints = 20000;

    GenomeScanForm();
    // Stops a running scan and waits for it.
    ~GenomeScanForm();
    GenomeScanForm(const GenomeScanForm&) = delete;
    GenomeScanForm& operator=(const GenomeScanForm&) = delete;

    // Guards every control; the worker takes it to publish, the front end while it repaints.
    std::recursive_mutex& mutex() { return mutex_; }

    Control Window{mutex_};
    Label Caption{mutex_, "Scan Genome (FASTA)"};
    Edit GenomeEdit{mutex_, ""};
    Edit ClassesEdit{mutex_, ""};  // "1,3-5"; empty: every class
    Edit LevelEdit{mutex_, ""};    // empty: no hits, scores only
    RadioGroup StrandGroup{mutex_, "Strand", {"+", "both"}, 0};
    // The score of a window: the classes' (Start) or the discriminative rules'
    // (StartDiscriminative); the front end starts the scan the choice names.
    RadioGroup ScoreGroup{mutex_, "Score", {"Class score", "Discriminative score"}, 0};
    Button StartBtn{mutex_, "Start"};
    Button StopBtn{mutex_, "Stop", false};
    Button ExportBedBtn{mutex_, "Export BED", false};
    Button ExportBedGraphBtn{mutex_, "Export bedGraph", false};
    ProgressBar Progress{mutex_, 0, 1000};
    Label StatusLabel{mutex_, ""};
    // Record, Start (0-based), End, Strand, Class, Score; header row 0.
    Grid HitsList{mutex_, 6, 1};
    // Record, Letters, Hits; header row 0. Selecting a row charts that record.
    Grid RecordsList{mutex_, 3, 1};
    Chart ScoreChart{mutex_};

    // Starts a scan of GenomeEdit's file against the classes of the model (a set-up
    // classificator and its code table; both are read here and not kept). `modelName` names
    // the model in exported track lines. Returns kGenomeScanStarted or a refusal code.
    int32_t Start(Classificator& classificator, const CCodeTable& table,
                  const std::string& modelName);
    // Starts a scan of every window with the discriminative score of `scorer` (kept while the
    // window uses it): one score, no classes (a class list is refused), hits named
    // "discriminative".
    int32_t StartDiscriminative(std::shared_ptr<const ContrastScorer> scorer,
                                const std::string& modelName);
    // Scans the same file with the same choices again, writing every hit (BED, needs a
    // level) or every window's best score (bedGraph) to `path`.
    int32_t ExportBed(const std::string& path);
    int32_t ExportBedGraph(const std::string& path);
    // Asks the running scan or export to end; it ends after its current piece.
    void Stop();
    // The window was closed: a running scan or export is stopped (it ends after its current
    // piece) and the window hidden. What was found so far stays for when it is shown again.
    void Close();
    bool Running() const { return running_.load(); }
    // Waits until the running scan or export has ended.
    void WaitForEnd();

    // Orders the hit table by a column (0 record in file order, 1 start, 2 end, 3 strand,
    // 4 class, 5 score), keeping the scan's order among equal values.
    void SortHits(int32_t column, bool ascending);
    // Charts record `index` (a row of RecordsList minus one) over its whole length.
    void ShowRecord(int32_t index);
    // Shows the positions from..to of the charted record; ZoomReset shows all of it.
    void Zoom(double from, double to);
    void ZoomReset();
    // Charts the hit of HitsList row `row` (1-based): its record, zoomed to the hit and some
    // room on both sides, the row and its record selected. False for a row with no hit.
    bool ShowHit(int32_t row);

    // Called on each scoring thread before every piece (see ScanSettings::onScoringStep); tests
    // hold the scan there. Set before Start.
    void setScoringStep(std::function<void()> step) { scoringStep_ = std::move(step); }
    // The score as the hit table and the chart title write it: three decimals.
    static std::string scoreText(double score);

  private:
    struct HitRow {
        int32_t record;
        ScanHit hit;
        int32_t classNumber;  // 1-based
    };
    struct RecordChart {
        std::string name;
        int64_t letters = 0;
        int64_t hits = 0;
        int64_t binSize = 1;       // windows per point
        std::vector<double> best;  // best score per bin
        std::vector<uint8_t> scored;
    };
    class Collector;

    // Refuses while a scan runs and waits for an ended one's worker, then reads the choices
    // into `settings` (kGenomeScanStarted) or shows why they are refused.
    int32_t readChoices(ScanSettings& settings);
    // Prepares the scanner with `prepare` and starts the scan, or shows its refusal.
    using PrepareScan = std::function<bool(const ScanSettings&, std::string&)>;
    int32_t begin(ScanSettings settings, const PrepareScan& prepare, const std::string& modelName);
    // Shows a refusal of the scan as asked and returns kGenomeScanRefused.
    int32_t refuse(const std::string& why);
    int32_t startExport(const std::string& path, bool bed);
    // Runs a scan of `genome` on the worker: collecting hits and chart bins, or writing the
    // files named (an empty path writes no such file).
    void run(std::string genome, bool collect, std::string bedPath, std::string bedGraphPath);
    void fillHits();
    void fillChart();
    void setIdle(const std::string& status);
    // Locks the choices (the file, classes, level, strand and score) while a scan runs.
    void lockChoices(bool locked);

    GenomeScanner scanner_;
    bool prepared_ = false;
    ScanSettings settings_;
    std::string genome_;
    std::string modelName_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::vector<HitRow> hits_;
    std::vector<RecordChart> records_;
    int32_t chartRecord_ = -1;
    double zoomFrom_ = 0.0;
    double zoomTo_ = -1.0;  // below zoomFrom_: the whole record
    std::function<void()> scoringStep_;
};

}  // namespace motifora
