// The evaluation report: its sections and plots from a small hand-made result, logo columns in
// bits, Fisher in scientific notation, escaping, SHA-256 digests, and a render in headless
// Chromium.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "evaluation/CrossValidation.h"
#include "io/EvaluationReport.h"
#include "io/Sha256.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

namespace fs = std::filesystem;

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A result as a cross-validation would leave it: two folds of two positives and two negatives.
CrossValidationResult handMadeResult() {
    CrossValidationResult cv;
    cv.complete = true;
    cv.settings.folds = 2;
    cv.settings.seed = 9;
    const double positives[] = {40, 30, 20, 10};
    const double negatives[] = {25, 15, 5, 1};
    for (int i = 0; i < 4; ++i) {
        cv.sequences.push_back({true, i, i % 2, {-1, 0, positives[i], 1.0}});
        cv.sequences.push_back({false, i, i % 2, {-1, 0, negatives[i], 0.0}});
    }
    cv.folds.resize(2);
    summarizeCrossValidation(cv);
    return cv;
}

EvaluationReportData reportData(const CrossValidationResult* cv) {
    EvaluationReportData data;
    data.date = "2026-01-02 03:04:05 UTC";
    data.version = "9.8.7";
    data.settings = {{"finish buffer", "500"}, {"level rule", "a < b & c"}};
    data.inputs = {{"learning positive", "pos.seq", 4, std::string(64, 'a')}};
    data.crossValidation = cv;
    ClassLogo logo;
    logo.classNumber = 3;
    logo.members = 2;
    logo.letters = "ACGT";
    logo.freq = {{1, 0, 0, 0}, {0.5, 0.5, 0, 0}, {0.25, 0.25, 0.25, 0.25}};
    data.logos = {logo};
    data.ruleCount = 2;
    data.rules = {{1.25e-7, 0.9, "1:A => 2:C"}, {0.0123, 0.85, "<b>"}};
    return data;
}

TEST(EvaluationReport, InformationContentOfLogoColumns) {
    EXPECT_DOUBLE_EQ(informationBits({1, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(informationBits({0.5, 0.5, 0, 0}), 1.0);
    EXPECT_DOUBLE_EQ(informationBits({0.25, 0.25, 0.25, 0.25}), 0.0);
    EXPECT_DOUBLE_EQ(informationBits({0, 0, 0, 0}), 0.0);  // no letter at the position
    EXPECT_DOUBLE_EQ(informationBits({1}), 0.0);
}

TEST(EvaluationReport, HoldsEverySectionAndPlot) {
    const CrossValidationResult cv = handMadeResult();
    const std::string html = EvaluationReportHtml(reportData(&cv));
    const std::string digest(64, 'a');
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    for (const char* part :
         {"Made 2026-01-02 03:04:05 UTC by Motifora 9.8.7", "pos.seq", digest.c_str(),
          "aria-label=\"ROC curve\"", "aria-label=\"Precision-recall curve\"",
          "aria-label=\"Score histograms\"", "aria-label=\"Sequence logo of class 3\"",
          "Class 3: 2 learning objects", "1.250e-07", "1.230e-02", "DeLong", "Wilson",
          "a &lt; b &amp; c", "&lt;b&gt;"})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(occurrences(html, "<svg"), 4u);
    EXPECT_EQ(occurrences(html, "<svg"), occurrences(html, "</svg>"));
    // The logo stacks 1 + 2 letters (the uniform column is empty) and numbers its positions.
    EXPECT_EQ(occurrences(html, "font-weight=\"bold\""), 3u);
    // Self-contained: no script and no fetched resource.
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    // The fold table: a row per fold and the pooled row.
    EXPECT_EQ(occurrences(html, "<tr><td class=\"n\">"), 2u + 2u);  // folds and rules
    EXPECT_NE(html.find("<tr><th>pooled</th>"), std::string::npos);
}

TEST(EvaluationReport, CurvesAndGuidesInPlotCoordinates) {
    // The unit plots are 300 wide from (48, 12): x = 48 + 300 v, y = 12 + 300 (1 - v).
    CrossValidationResult cv = handMadeResult();
    cv.roc = {{9, 0, 0}, {5, 0.25, 0.5}, {-9, 1, 1}};
    cv.precisionRecall = {{9, 0, 1}, {3, 0.5, 0.75}};
    const std::string html = EvaluationReportHtml(reportData(&cv));
    const std::string curve = "<polyline fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\" ";
    EXPECT_NE(html.find(curve + "points=\"48.00,312.00 123.00,162.00 348.00,12.00 \"/>\n"),
              std::string::npos);
    EXPECT_NE(html.find(curve + "points=\"48.00,12.00 198.00,87.00 \"/>\n</svg>\n"),
              std::string::npos);
    const std::string dashed = "\" stroke=\"#aaa\" stroke-dasharray=\"4 4\"/>\n";
    // The chance diagonal of the ROC plot and the share of positives (4 of 8) on the other.
    EXPECT_NE(html.find("<line x1=\"48.00\" y1=\"312.00\" x2=\"348.00\" y2=\"12.00" + dashed),
              std::string::npos);
    EXPECT_NE(html.find("<line x1=\"48.00\" y1=\"162.00\" x2=\"348.00\" y2=\"162.00" + dashed),
              std::string::npos);
}

TEST(EvaluationReport, WithoutCrossValidationSaysSo) {
    const std::string html = EvaluationReportHtml(reportData(nullptr));
    EXPECT_NE(html.find("<h2>Cross-validation</h2>\n<p>Not run.</p>"), std::string::npos);
    EXPECT_EQ(occurrences(html, "<svg"), 1u);  // the logo only
    CrossValidationResult stopped;
    EXPECT_NE(EvaluationReportHtml(reportData(&stopped)).find("Stopped before the end"),
              std::string::npos);
}

// Classes too small for a logo are counted in a sentence, not drawn; with none left out the
// section reads as before.
TEST(EvaluationReport, SmallClassesAreNamedWithoutALogo) {
    EvaluationReportData data = reportData(nullptr);
    const std::string before = EvaluationReportHtml(data);
    EXPECT_EQ(before.find("no logo"), std::string::npos);
    data.classesWithoutLogo = 3;
    const std::string html = EvaluationReportHtml(data);
    EXPECT_NE(html.find("<p>3 classes have fewer than 5 learning objects and no logo: so few "
                        "sequences say nothing about a site.</p>\n<h2>Rules</h2>"),
              std::string::npos);
    data.logos.clear();
    data.classesWithoutLogo = 1;
    const std::string none = EvaluationReportHtml(data);
    EXPECT_NE(none.find("<p>1 class has fewer than 5"), std::string::npos);
    EXPECT_EQ(none.find("No classes."), std::string::npos);
    EXPECT_EQ(occurrences(none, "<svg"), 0u);
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256OfBytes("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256OfBytes(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const test::TempDir folder("motifora-sha");
    const fs::path file = folder.root() / "motifora_sha_test.txt";
    std::ofstream(file, std::ios::binary) << "abc";
    std::string digest;
    ASSERT_TRUE(Sha256OfFile(file.string(), digest).ok);
    EXPECT_EQ(digest, Sha256OfBytes("abc"));
    fs::remove(file);
    const Status missing = Sha256OfFile(file.string(), digest);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find(file.string()), std::string::npos);
    EXPECT_TRUE(digest.empty());
}

// Debian's chromium draws the report offline; its DOM keeps every plot and the screenshot is a
// real picture.
TEST(EvaluationReport, RendersInHeadlessChromium) {
    // A folder of its own: two builds' test runs may render at the same time.
    const test::TempDir temp("motifora-report-render");
    const fs::path& folder = temp.root();
    const CrossValidationResult cv = handMadeResult();
    const fs::path report = folder / "report.html";
    ASSERT_TRUE(WriteEvaluationReport(report.string(), reportData(&cv)).ok);
    ASSERT_TRUE(fs::exists("/usr/bin/chromium")) << "chromium is installed by scripts/setup.sh";
    const std::string common =
        "/usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-background-networking "
        "--disable-component-update --disable-sync --no-first-run --user-data-dir=" +
        (folder / "profile").string() + " ";
    const std::string dom = (folder / "dom.html").string();
    const std::string png = (folder / "shot.png").string();
    ASSERT_EQ(std::system(
                  (common + "--dump-dom file://" + report.string() + " > " + dom + " 2> /dev/null")
                      .c_str()),
              0);
    std::ifstream in(dom);
    const std::string rendered((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(occurrences(rendered, "<svg"), 4u);
    EXPECT_NE(rendered.find("polyline"), std::string::npos);
    ASSERT_EQ(std::system((common + "--window-size=1000,1400 --screenshot=" + png + " file://" +
                           report.string() + " > /dev/null 2>&1")
                              .c_str()),
              0);
    ASSERT_TRUE(fs::exists(png));
    std::ifstream picture(png, std::ios::binary);
    char signature[8] = {};
    picture.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_GT(fs::file_size(png), 20000u);  // a blank page compresses to a few kilobytes
}

}  // namespace
}  // namespace motifora
