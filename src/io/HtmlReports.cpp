// The error-counting and long-sequence HTML reports.
#include "io/HtmlReports.h"

#include <charconv>

#include "io/RecognitionGrid.h"
#include "io/SafeFile.h"

namespace motifora {

namespace {

// Reads a number as the window shows it: with the current separator, else with the other one.
bool readShown(std::string_view text, const NumberFormat& numbers, double& value) {
    if (numbers.tryReadReal(text, value)) return true;
    const NumberFormat other(numbers.separator() == ',' ? '.' : ',');
    return other.tryReadReal(text, value);
}

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// The level in `text`; empty counts as 0.
bool readLevel(std::string_view text, const NumberFormat& numbers, double& value) {
    if (blank(text)) {
        value = 0.0;
        return true;
    }
    return readShown(text, numbers, value);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// `text` with the characters that HTML reads as markup written as entities, so that a sequence
// name such as "<script>" is shown as written instead of being run by the browser. Texts
// without them keep their bytes.

void tableRow(std::string& out, const GridText& grid, int32_t row) {
    out += "    <TR>\n";
    for (int32_t column : {0, 2, 4, 5, 6}) {
        out += "      <TD>";
        out += HtmlEscaped(grid.cell(column, row));
        out += "      </TD>\n";
    }
    out += "    </TR>\n";
}

void heading(std::string& out, const char* columns, const char* title) {
    out += "    <TR>\n";
    out += "      <TD ALIGN=middle COLSPAN=";
    out += columns;
    out += ">";
    out += title;
    out += "      </TD\n>";
    out += "    </TR>\n";
}

// "%f": six decimals and a decimal point whatever the locale.
std::string percentF(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

Status ErrorReportHtml(const ErrorReportSource& source, const NumberFormat& numbers,
                       std::string& html) {
    std::string out;
    out += "<HTML>\n";
    out += "<BODY>\n";
    out += "<H1 ALIGN=center>Recognition Error Counting Results</H1>\n";

    const GridText& ideal = source.idealObjects;
    const bool severalClasses = ideal.columnCount == 6;
    double level = 0.0;
    if (!severalClasses) {
        out += "<BR>Recognition Level =  " + HtmlEscaped(source.recognitionLevel) + "\n";
        if (!readLevel(source.recognitionLevel, numbers, level)) {
            return Status::failure("The recognition level " + quoted(source.recognitionLevel) +
                                   " is not a number.");
        }
    } else {
        for (int32_t r = 1; r < ideal.rowCount(); ++r) {
            if (ideal.cell(3, r).empty()) continue;
            out += "<BR>" + HtmlEscaped(ideal.cell(0, r)) +
                   " Class Recognition Level =  " + HtmlEscaped(ideal.cell(3, r)) + "\n";
        }
    }

    out += "<HR align=left width=350 SIZE=2>\n";
    out += "<BR>First Level Error =  " + HtmlEscaped(source.firstLevelError) + "\n";
    out += "<BR>" + HtmlEscaped(source.firstErrorCount) + "\n";
    out += "<HR align=left width=350 SIZE=2>\n";
    out += "<BR>Second Level Error =  " + HtmlEscaped(source.secondLevelError) + "\n";
    out += "<BR>" + HtmlEscaped(source.secondErrorCount) + "\n";
    out += "<BR><BR> \n";
    out += "<TABLE BORDER>\n";

    heading(out, "5", "Control Data");
    const GridText& control = source.controlNegative;
    // After a recognition of all classes the grid's columns from 5 on hold "class:score" cells,
    // one per class, not the "Score" column of an error count: there are no scored rows to list.
    const int32_t scoredRows = GridHoldsRecognitionResults(control) ? 0 : control.rowCount();
    for (int32_t r = 1; r < scoredRows; ++r) {
        const std::string& scoreText = control.cell(5, r);
        if (scoreText.empty()) continue;
        double score = 0.0;
        if (!readShown(scoreText, numbers, score)) {
            return Status::failure("The score " + quoted(scoreText) + " in row " +
                                   std::to_string(r) +
                                   " of \"Negative Control Sequencies\" is not a number.");
        }
        double rowLevel = level;
        if (severalClasses) {
            // The class cell shows the class number plus one, which is also its row in the
            // ideal-object grid.
            int32_t classRow = 0;
            if (!NumberFormat::readInteger(control.cell(4, r), classRow) || classRow < 1 ||
                classRow >= ideal.rowCount() || ideal.cell(3, classRow).empty()) {
                continue;
            }
            const std::string& levelText = ideal.cell(3, classRow);
            if (!readShown(levelText, numbers, rowLevel)) {
                return Status::failure("The recognition level " + quoted(levelText) + " of class " +
                                       ideal.cell(0, classRow) + " is not a number.");
            }
        }
        if (score >= rowLevel * 0.5) tableRow(out, control, r);
    }

    heading(out, "5", "Learning Data");
    const GridText& learning =
        source.controlPositive.cell(0, 1).empty() ? source.learnPositive : source.controlPositive;
    for (int32_t r = 1; r < learning.rowCount(); ++r) {
        if (!learning.cell(5, r).empty()) tableRow(out, learning, r);
    }

    out += "</TABLE>\n";
    out += "</BODY>\n";
    out += "</HTML>\n";
    html = std::move(out);
    return Status::success();
}

std::vector<ScoreRun> FindScoreRuns(const std::vector<double>& scores, double level) {
    std::vector<ScoreRun> runs;
    const size_t n = scores.size();
    bool open = false;
    ScoreRun run;
    run.maximum = level;
    for (size_t i = 0; i < n; ++i) {
        const double y = scores[i];
        const auto position = static_cast<int32_t>(i + 1);
        if (!open && y > level) {
            open = true;
            run.start = position;
        }
        if (!open) continue;
        if (y > run.maximum) run.maximum = y;
        const bool last = i + 1 == n;
        if (last || scores[i + 1] < level) {
            run.end = position;
            runs.push_back(run);
            open = false;
            run = ScoreRun{};
            run.maximum = level;
        }
    }
    return runs;
}

Status LongSeqReportHtml(const LongSeqReportSource& source, const NumberFormat& numbers,
                         std::string& html) {
    double level = 0.0;
    if (!readLevel(source.recognitionLevel, numbers, level)) {
        return Status::failure("The recognition level " + quoted(source.recognitionLevel) +
                               " is not a number.");
    }
    std::string out;
    out += "<HTML>\n";
    out += "<BODY>\n";
    out += "<H1 ALIGN=center>Long Seq Recognition Results</H1>\n";
    out += "<BR>Recognition Level =  " + HtmlEscaped(source.recognitionLevel) + "\n";
    if (!source.scoreName.empty()) out += "<BR>Score = " + HtmlEscaped(source.scoreName) + "\n";
    out += "<BR><BR> \n";
    out += "<TABLE BORDER>\n";
    heading(out, "4", "Control Data");
    for (const ScoreRun& run : FindScoreRuns(source.scores, level)) {
        out += "    <TR>\n";
        out += "      <TD>" + HtmlEscaped(source.controlNegative.cell(0, 1)) + "      </TD>\n";
        out += "      <TD>" + HtmlEscaped(source.controlNegative.cell(2, 1)) + "      </TD>\n";
        out += "      <TD>" + std::to_string(run.start) + "..." + std::to_string(run.end) +
               "      </TD>\n";
        out += "      <TD>" + percentF(run.maximum) + "      </TD>\n";
        out += "    </TR>\n";
    }
    out += "</TABLE>\n";
    out += "</BODY>\n";
    out += "</HTML>\n";
    html = std::move(out);
    return Status::success();
}

namespace {

// Writes the page that `buildPage` (ErrorReportHtml or LongSeqReportHtml) makes of `source`
// to `fileName`; a page that cannot be made is not written, and the failure names the file.
template <class Source>
Status writePage(const std::string& fileName, const Source& source, const NumberFormat& numbers,
                 Status (*buildPage)(const Source&, const NumberFormat&, std::string&)) {
    std::string html;
    const Status built = buildPage(source, numbers, html);
    if (!built) {
        return Status::failure("\"" + fileName + "\" was not written: " + built.message, fileName);
    }
    return WriteFileAtomically(fileName, html);
}

}  // namespace

Status WriteErrorReport(const std::string& fileName, const ErrorReportSource& source,
                        const NumberFormat& numbers) {
    return writePage(fileName, source, numbers, &ErrorReportHtml);
}

Status WriteLongSeqReport(const std::string& fileName, const LongSeqReportSource& source,
                          const NumberFormat& numbers) {
    return writePage(fileName, source, numbers, &LongSeqReportHtml);
}

}  // namespace motifora
