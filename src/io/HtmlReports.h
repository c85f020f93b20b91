// The two HTML reports: "Recognition Error Counting Results" and "Long Seq Recognition Results",
// built from the texts the main window shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/NumberFormat.h"
#include "core/Status.h"
#include "io/GridText.h"

namespace motifora {

struct ErrorReportSource {
    std::string recognitionLevel;  // `RecLevelEdit`
    std::string firstLevelError;   // `FirstLErrEd`
    std::string firstErrorCount;   // `FstErrInW`
    std::string secondLevelError;  // `SecondLErr`
    std::string secondErrorCount;  // `SecErrInW`
    GridText idealObjects;         // `IdealizObjectsList`
    GridText controlNegative;      // `NewSeqsList`
    GridText learnPositive;        // `SequencesList`
    GridText controlPositive;      // `PosCtrlSeqsList`
};

struct LongSeqReportSource {
    std::string recognitionLevel;  // `RecLevelEdit`
    GridText controlNegative;      // `NewSeqsList`: cells (0, 1) and (2, 1) are used
    std::vector<double> scores;    // y of the points of chart series 1; point i is position i + 1
    // The score the points are when not the class score ("discriminative"), named under the
    // level; empty for the class score, which the report does not name.
    std::string scoreName;
};

// The report texts. Numbers shown in the window (levels, scores) are read with the separator of
// `numbers`, or failing that with the other separator (a switch made after the grid was filled
// leaves older texts in the former form); the program-wide separator is not changed. An empty
// level counts as 0. A text that reads with neither separator makes the report fail with a
// message naming the text and where it stands; `html` is then unspecified.
//
// Error report: after a recognition of all classes (the control negative grid holds one
// "class:score" column per class and no "Result" column) no control negative row is listed.
// Several-classes mode: a control negative row whose class has no level (class
// "New", or a class whose level cell is empty) has nothing to be compared with and is left out.
Status ErrorReportHtml(const ErrorReportSource& source, const NumberFormat& numbers,
                       std::string& html);

// Long-sequence report: a run still open after the last point is written as ending at the last
// position, so that no run above the level is lost.
Status LongSeqReportHtml(const LongSeqReportSource& source, const NumberFormat& numbers,
                         std::string& html);

// Build the report and write it to `fileName` (the caller has appended ".html" where it belongs)
// through a temporary file beside it. Return a failure naming the file and the reason, or the
// unreadable text; an earlier file of that name is then left as it was.
Status WriteErrorReport(const std::string& fileName, const ErrorReportSource& source,
                        const NumberFormat& numbers);
Status WriteLongSeqReport(const std::string& fileName, const LongSeqReportSource& source,
                          const NumberFormat& numbers);

// The runs of the long-sequence report: positions (1-based) where the scores rise above `level`
// and the highest score of each run.
struct ScoreRun {
    int32_t start = 0;
    int32_t end = 0;
    double maximum = 0.0;
};
// `text` with &, <, > and " written as character references, for any text a report copies from
// the data.
std::string HtmlEscaped(std::string_view text);

std::vector<ScoreRun> FindScoreRuns(const std::vector<double>& scores, double level);

}  // namespace motifora
