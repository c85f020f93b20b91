// The files motifora-cli writes equal, byte for byte, those the window model writes when the
// same steps are clicked through it: fixed and shift modes, both idealization sources, control
// positive samples, levels typed by the user, and the bootstrap.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <thread>

#include "CliTestSupport.h"
#include "support/FormTicks.h"
#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;

// The window clicked by hand, as a user would: scripted file choices, the timer ticked until
// each process reports its end.
class Window {
  public:
    Window() { form.numberFormat.setSeparator('.'); }

    TMainManager& m() { return *form.mainManager; }

    void open(void (TMainForm::*command)(), const std::string& path) {
        dialogs.choose(path);
        (form.*command)();
    }
    // Ticks until the process has reported its end.
    void untilReported() { test::tickToEnd(form, dialogs); }
    void press(void (TMainForm::*command)()) {
        (form.*command)();
        untilReported();
    }
    // The learning samples loaded and the storage sizes typed.
    void learn(const std::string& positive, const std::string& negative, const std::string& finish,
               const std::string& sub) {
        open(&TMainForm::mmbtnAddSequenciesClick, positive);
        if (!negative.empty()) open(&TMainForm::mmbtnAddNegativeSequenciesClick, negative);
        form.FinishStorSizeEdit.setText(finish);
        form.SubBuffersSizeEdit.setText(sub);
    }
    // The rule search and the idealization, each to its reported end, then the control negative
    // sample loaded.
    void searchIdealizeAndLoad(const std::string& controlNegative) {
        press(&TMainForm::btnStartSearchRulesClick);
        press(&TMainForm::btnStartIdealizationClick);
        open(&TMainForm::mmbtnAddControlNegativeClick, controlNegative);
    }
    // "Recognition Errors Count" over rows first..last, then "Next" to the totals; `typed`
    // types a level after every counted class.
    void countErrors(int32_t first, int32_t last, const std::function<void()>& typed) {
        form.IdealizObjectsList.select(first, last);
        form.btnCountRecErrorsClick();
        m().joinWorker();
        if (typed) typed();
        while (form.btnNextClassErrCount.enabled()) {
            const bool total = form.btnNextClassErrCount.text() == "Total";
            form.btnNextClassErrCountClick();
            if (!total) {
                m().joinWorker();
                if (typed) typed();
            }
        }
    }
    void bootstrap(const std::string& percent, const std::string& iterations,
                   const std::string& error) {
        form.btnStartBootstrapClick();
        form.BootStrCtrl.PositPercent.setText(percent);
        form.BootStrCtrl.IterCount.setText(iterations);
        form.BootStrCtrl.FstLevelErr.setText(error);
        form.BootStrCtrl.Bs_btnStartClick();
        untilReported();
    }
    void save(const std::string& project, const std::string& text, const std::string& report) {
        dialogs.choose(project);
        form.mmbtnSaveProjectAsClick();
        dialogs.choose(text);
        form.SaveAsText1Click();
        dialogs.choose(report);
        form.btnSaveProjectClick();
    }

    ScriptedDialogs dialogs;
    TMainForm form{dialogs};
};

class WindowEquivalenceTest : public ::testing::Test {
  protected:
    // Runs the command line, saves the window's files beside, and compares all three; the
    // report must hold every fragment of `inReport`.
    void expectSameFiles(std::vector<std::string> arguments, Window& window,
                         const std::vector<std::string>& inReport) {
        arguments.insert(arguments.end(),
                         {"--save", "cli.dnp", "--export-text", "cli.txt", "--report", "cli.html"});
        const CliResult r = runCli(arguments, folder.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        window.save(folder / "win.dnp", folder / "win.txt", folder / "win.html");
        for (const char* extension : {".dnp", ".txt", ".html"}) {
            const std::string cli = readFile(folder / (std::string("cli") + extension));
            const std::string win = readFile(folder / (std::string("win") + extension));
            EXPECT_FALSE(cli.empty()) << extension;
            EXPECT_TRUE(cli == win) << extension << " differs:\n--- cli\n"
                                    << cli.substr(0, 2000) << "\n--- window\n"
                                    << win.substr(0, 2000);
        }
        const std::string report = readFile(folder / "cli.html");
        for (const std::string& fragment : inReport) EXPECT_THAT(report, HasSubstr(fragment));
    }

    TempFolder folder;
    const std::string pos = kExamples + "/promoters_pos.seq";
    const std::string neg = kExamples + "/promoters_neg.seq";
};

TEST_F(WindowEquivalenceTest, ExampleInFixedPositionsWithErrorsOverAllClasses) {
    Window w;
    w.learn(pos, neg, "60", "15");
    w.searchIdealizeAndLoad(neg);
    w.press(&TMainForm::btnStartSearchClassClick);
    w.form.btnStartRecognitionClick();
    w.m().joinWorker();
    w.countErrors(1, w.m().classCount(), nullptr);

    expectSameFiles({"--positive", pos, "--negative", neg, "--control-negative", neg, "--finish",
                     "60", "--sub", "15", "--stages", "search,idealize,classify,recognize,errors"},
                    w,
                    {"<H1 ALIGN=center>Recognition Error Counting Results</H1>",
                     "<BR>1 Class Recognition Level =  ",
                     "<BR>" + std::to_string(w.m().classCount()) + " Class Recognition Level =  ",
                     "Learning Data"});
}

// Steps shared by the two fixed-positions cases on generated samples: settings typed, search,
// idealization, both control samples, classification and the all-class recognition.
void generatedFixedSteps(Window& w, const TempFolder& folder, IdealizationSource source,
                         const std::string& controlPositive) {
    w.learn(folder / "pos.seq", folder / "neg.seq", "40", "10");
    w.form.chooseIdealizationType(IdealizationType::kDeletingInserting);
    w.form.chooseIdealizationSource(source);
    w.form.Rec_Arranged.setChecked(true);
    w.searchIdealizeAndLoad(folder / "cneg.seq");
    ASSERT_GE(w.m().classCount(), 2);
    w.open(&TMainForm::mmbtnAddControlPositiveClick, folder / controlPositive);
    w.press(&TMainForm::btnStartSearchClassClick);
    w.form.btnStartRecognitionClick();
    w.m().joinWorker();
    w.form.ErrRecForm.modalLoop = [](TErrRecForm& window) {
        window.choosePositiveSide(SampleSide::kControl);
        window.chooseNegativeSide(SampleSide::kLearning);
        window.OKBtnClick();
    };
}

// The command line of generatedFixedSteps ("--idealization both"), followed by `more`.
std::vector<std::string> generatedFixedArguments(const std::string& controlPositive,
                                                 const std::vector<std::string>& more) {
    std::vector<std::string> arguments = splitAt(
        "--positive pos.seq --negative neg.seq --control-negative cneg.seq --control-positive " +
            controlPositive +
            " --finish 40 --sub 10 --idealization both --arrange --positive-side control"
            " --negative-side learning --stages search,idealize,classify,recognize,errors",
        " ");
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

void writeGeneratedSamples(const TempFolder& folder) {
    writeFile(folder.path() / "pos.seq", generatedSample(31, 30, 14, 2));
    writeFile(folder.path() / "neg.seq", generatedSample(32, 30, 14, 0));
    writeFile(folder.path() / "cneg.seq", generatedSample(33, 20, 14, 3));
    writeFile(folder.path() / "cpos.seq", generatedSample(34, 20, 14, 1));
}

TEST_F(WindowEquivalenceTest, GeneratedSamplesIdealizedFromRulesWithControlPositive) {
    SCOPED_TRACE("generated samples: std::mt19937 seeds 31, 32, 33, 34");
    writeGeneratedSamples(folder);
    Window w;
    generatedFixedSteps(w, folder, IdealizationSource::kRules, "cpos.seq");
    w.countErrors(1, w.m().classCount(), nullptr);

    expectSameFiles(generatedFixedArguments("cpos.seq", {"--source", "rules"}), w,
                    {"<H1 ALIGN=center>Recognition Error Counting Results</H1>"});
}

TEST_F(WindowEquivalenceTest, ControlPositiveSideWithATypedLevel) {
    SCOPED_TRACE("generated samples: std::mt19937 seeds 31, 32, 33, 34");
    writeGeneratedSamples(folder);
    Window w;
    // The control positive sample is the learning one, so its objects fall into the classes.
    generatedFixedSteps(w, folder, IdealizationSource::kObjects, "pos.seq");
    w.countErrors(1, 2, [&w] {
        if (!w.form.RecLevelEdit.enabled()) return;
        w.form.RecLevelEdit.setText("2,5");
        w.form.ReCount2();
    });

    expectSameFiles(generatedFixedArguments("pos.seq", {"--classes", "1-2", "--level", "2,5"}), w,
                    {"<BR>1 Class Recognition Level =  2,5\n",
                     "<BR>2 Class Recognition Level =  2,5\n", "<BR>Recognized 2 out of 2\n"});
}

TEST_F(WindowEquivalenceTest, OneClassWithAWantedFirstLevelError) {
    Window w;
    w.learn(pos, neg, "60", "15");
    w.form.chooseIdealizationType(IdealizationType::kInsertingBegin);
    w.searchIdealizeAndLoad(neg);
    w.press(&TMainForm::btnStartSearchClassClick);
    w.countErrors(3, 3, [&w] {
        w.form.FirstLErrEd.setText("0.25");
        w.form.FstReCount2();
    });

    expectSameFiles({"--positive", pos, "--negative", neg, "--control-negative", neg, "--finish",
                     "60", "--sub", "15", "--idealization", "inserting", "--classes", "3",
                     "--first-error", "0.25", "--stages", "search,idealize,classify,errors"},
                    w, {"<BR>Recognition Level =  ", "Control Data"});
}

TEST_F(WindowEquivalenceTest, GeneratedSamplesInShiftPositionsWithAScan) {
    SCOPED_TRACE("generated samples: std::mt19937 seeds 41, 42");
    writeFile(folder.path() / "pos.seq", generatedSample(41, 24, 16, 2));
    writeFile(folder.path() / "long.seq", generatedSample(42, 2, 40, 1));
    Window w;
    w.learn(folder / "pos.seq", "", "50", "10");
    w.form.chooseAlignment(true);
    w.form.FrameWidthEdit.setText("8");
    w.form.chooseIdealizationType(IdealizationType::kInsertingBegin);
    w.searchIdealizeAndLoad(folder / "long.seq");
    w.form.IdealizObjectsList.select(2, 2);
    w.form.btnStartRecognitionClick();
    w.untilReported();  // the scan runs on the worker; the timer draws its chart
    w.form.RecLevelEdit.setText("1.5");
    w.form.ReCount2();

    expectSameFiles(splitAt("--positive pos.seq --control-negative long.seq --mode shift --width 8"
                            " --finish 50 --sub 10 --idealization inserting --classes 2"
                            " --level 1.5 --stages search,idealize,recognize",
                            " "),
                    w,
                    {"<H1 ALIGN=center>Long Seq Recognition Results</H1>",
                     "<BR>Recognition Level =  1.5\n", "...", "<TD>r1"});
}

TEST_F(WindowEquivalenceTest, BootstrapRowsEqualTheWindowsForTheSameSeed) {
    Window w;
    w.learn(pos, neg, "40", "10");
    w.m().reseedBootstrap(7);
    w.searchIdealizeAndLoad(neg);
    w.bootstrap("20", "2", "0.1");

    const CliResult r =
        runCli({"--positive", pos, "--negative", neg, "--control-negative", neg, "--finish", "40",
                "--sub", "10", "--bootstrap", "20,2,0.1", "--seed", "7", "--stages",
                "search,idealize,bootstrap", "--json", "b.json"},
               folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto summary = nlohmann::json::parse(readFile(folder / "b.json"));
    const auto& rows = summary["bootstrap"]["rows"];
    ASSERT_EQ(rows.size(), 2u);
    const Grid& shown = w.form.BootStrCtrl.ErrorsList;
    for (int32_t i = 0; i < 2; ++i) {
        double first = 0.0, second = 0.0;
        ASSERT_TRUE(w.form.numbers().tryReadReal(shown.cell(0, i + 1), first));
        ASSERT_TRUE(w.form.numbers().tryReadReal(shown.cell(1, i + 1), second));
        EXPECT_EQ(rows[static_cast<size_t>(i)]["firstLevelError"].get<double>(), first);
        EXPECT_EQ(rows[static_cast<size_t>(i)]["secondLevelError"].get<double>(), second);
    }
    EXPECT_THAT(r.out, HasSubstr("Bootstrap average errors: first level " +
                                 w.form.BootStrCtrl.Label4.text() + ", second level " +
                                 w.form.BootStrCtrl.Label5.text()));
}

}  // namespace
}  // namespace motifora::clitest
