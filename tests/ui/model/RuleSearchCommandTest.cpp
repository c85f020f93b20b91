// Tests of the rule search start command: the checks in their order, their texts and icons.
#include "FormFixture.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora::testing {
namespace {

// The two refusals of a typed setting: its text is no number (an error), or its value is out of
// bounds (a warning).
struct Refusals {
    const char* notANumber;
    const char* outOfBounds;
};
const Refusals kConfidence{
    "Задано неверное значение доверительного интервала критерия Фишера.",
    "Неверно задано значение доверительного интервала критерия Фишера, это значение должно быть "
    "вещественным и лежать в пределах от 0 до 1. Рекомендуемые значения 0,05  и 0,001"};
const Refusals kCp{
    "Задано неверное значение порога условной вероятности найденных закономерностей.",
    "Неверно задано значение порога условной вероятности найденных закономерностей. Это значение "
    "должно быть вещественным и лежать в пределах от 0 до 1."};
const Refusals kFinish{
    "Задано неверное значение размера конечного буфера.",
    "Неверно задан размер конеченого буфера. Это значение должено быть целым и быть больше "
    "единицы."};
const Refusals kSub{
    "Задано неверное значение размера промежуточных буферов.",
    "Неверно задан размер промежуточных буферов. Это значение должено быть целым и быть больше "
    "нуля."};
const Refusals kWidth{
    "Задано неверное значение ширины рамки сканирования.",
    "Неверно задано значение ширины рамки сканирования. Это значение должно быть целым и быть "
    "больше двух."};

struct CheckCase {
    const char* name;
    const char* confidence;
    const char* cp;
    const char* finish;
    const char* sub;
    bool shift;
    const char* width;
    const char* expected;
    MessageIcon icon;
    int32_t rulesRows;  // RulesList row count afterwards
    char separator;     // the program-wide separator afterwards
};

class RuleSearchCheckTest : public FormFixture, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(RuleSearchCheckTest, RejectsWithItsMessage) {
    const CheckCase& c = GetParam();
    TMainManagerTestAccess::learnPositiveLoaded(manager()) = true;
    form->ConfIntEdit.setText(c.confidence);
    form->CPEdit.setText(c.cp);
    form->FinishStorSizeEdit.setText(c.finish);
    form->SubBuffersSizeEdit.setText(c.sub);
    form->FrameWidthEdit.setText(c.width);
    form->chooseAlignment(c.shift);

    form->btnStartSearchRulesClick();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, c.expected);
    EXPECT_EQ(dialogs.messages[0].caption, "Ошибка");
    EXPECT_EQ(dialogs.messages[0].icon, c.icon);
    EXPECT_EQ(form->RulesList.rowCount(), c.rulesRows);
    EXPECT_EQ(form->numberFormat.separator(), c.separator);
    EXPECT_FALSE(manager().isRunning());
    EXPECT_EQ(manager().storage(), nullptr) << "nothing is built for a rejected start";
    EXPECT_FALSE(form->btnStartSearchRules.enabled()) << "commands are not touched";
}

const CheckCase kCheckCases[] = {
    {"ConfidenceAboveOne", "1.5", "0.8", "500", "50", false, "10", kConfidence.outOfBounds,
     MessageIcon::Warning, 2, '.'},
    {"ConfidenceBelowZero", "-0.01", "0.8", "500", "50", false, "10", kConfidence.outOfBounds,
     MessageIcon::Warning, 2, '.'},
    {"ConfidenceNotANumberAfterSwitch", "abc", "abc", "x", "y", false, "10", kConfidence.notANumber,
     MessageIcon::Error, 2, ','},
    {"CpNotANumber", "0,05", "abc", "500", "50", false, "10", kCp.notANumber, MessageIcon::Error, 2,
     '.'},  // switched to ',' by the confidence, back to '.' by the CP retry
    {"CpAboveOne", "0,05", "1,5", "500", "50", false, "10", kCp.outOfBounds, MessageIcon::Warning,
     2, ','},
    {"FinishNotAnInteger", "0.05", "0.8", "5.5", "50", false, "10", kFinish.notANumber,
     MessageIcon::Error, 2, '.'},
    {"FinishOne", "0.05", "0.8", "1", "50", false, "10", kFinish.outOfBounds, MessageIcon::Warning,
     2, '.'},
    {"SubNotAnInteger", "0.05", "0.8", "7", "a", false, "10", kSub.notANumber, MessageIcon::Error,
     8, '.'},
    {"SubZeroAfterRowsWereSet", "0.05", "0.8", "500", "0", false, "10", kSub.outOfBounds,
     MessageIcon::Warning, 501, '.'},
    {"WidthNotAnInteger", "0.05", "0.8", "20", "50", true, "wide", kWidth.notANumber,
     MessageIcon::Error, 21, '.'},
    {"WidthTwo", "0.05", "0.8", "20", "50", true, "2", kWidth.outOfBounds, MessageIcon::Warning, 21,
     '.'},
};

INSTANTIATE_TEST_SUITE_P(Checks, RuleSearchCheckTest, ::testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

using RuleSearchCommandTest = FormFixture;

TEST_F(RuleSearchCommandTest, NoSampleGivesMessage25) {
    form->btnStartSearchRulesClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Для поиска закономерностей необходимо закгрузать хотя бы одну последовательность.");
    EXPECT_EQ(dialogs.messages[0].caption, "Ошибка");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
}

TEST_F(RuleSearchCommandTest, StartWhileRunningDoesNothingUnlessPaused) {
    TMainManagerTestAccess::learnPositiveLoaded(manager()) = true;
    TMainManagerTestAccess::stage(manager(), TMainManager::Process::RuleSearch,
                                  TMainManager::Phase::Running);
    form->btnStartSearchRulesClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->StatusBar1.panel(1), "Program is started");

    TMainManagerTestAccess::stage(manager(), TMainManager::Process::RuleSearch,
                                  TMainManager::Phase::Paused);
    advance(30);
    form->btnStartSearchRulesClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс поиска закономерностей ...");
    EXPECT_DOUBLE_EQ(form->runStartTime, clockDays);
    TMainManagerTestAccess::stage(manager(), TMainManager::Process::None,
                                  TMainManager::Phase::Idle);
}

TEST_F(RuleSearchCommandTest, PauseWithNothingRunningChangesNothing) {
    form->btnPauseSearchRulesClick();
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Program is started");
    EXPECT_DOUBLE_EQ(form->runTimeBefore, 0.0);
}

// The timer's elapsed-time label through a run, with the flags set as a worker would set them.
TEST_F(RuleSearchCommandTest, ElapsedTimeStandsStillWhilePaused) {
    TMainManager& m = manager();
    TMainManagerTestAccess::learnPositiveLoaded(m) = true;
    // A search running from this moment on, as the start command and its worker leave it.
    const auto searchRunsFromNow = [&] {
        TMainManagerTestAccess::stage(m, TMainManager::Process::RuleSearch,
                                      TMainManager::Phase::Running);
        form->runStartTime = clockDays;
    };
    searchRunsFromNow();

    advance(5);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->TimerLabel.text(), "0:00:05");

    form->btnPauseSearchRulesClick();
    EXPECT_TRUE(m.isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Процесс поиска закономерностей приостановлен.");
    advance(100);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->TimerLabel.text(), "0:00:05");
    form->btnPauseSearchRulesClick();  // a second pause banks nothing more
    EXPECT_NEAR(form->runTimeBefore * 86400.0, 5.0, 1e-6);

    form->btnStartSearchRulesClick();  // resumes
    EXPECT_FALSE(m.isPaused());
    advance(3);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->TimerLabel.text(), "0:00:08");

    // The end: reported once, with the bars emptied and the idealization left disabled (no
    // rule store here).
    form->FinishProgress.setRange(0, 10);
    form->FinishProgress.setPosition(4);
    TMainManagerTestAccess::stage(m, TMainManager::Process::RuleSearch, TMainManager::Phase::Ended);
    form->SearchingTimerTimer();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Процесс поиска закономерностей успешно завершен.");
    EXPECT_EQ(dialogs.messages[0].caption, "Сообщение");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
    EXPECT_FALSE(m.hasEnded());
    EXPECT_FALSE(m.isStarted(TMainManager::Process::RuleSearch));
    EXPECT_EQ(form->FinishProgress.position(), 0);
    EXPECT_FALSE(form->btnStartIdealization.enabled());
    form->SearchingTimerTimer();
    EXPECT_EQ(dialogs.messages.size(), 1u);

    // The timer adds the banked time to the running segment (the start command resets it).
    searchRunsFromNow();
    advance(1);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->TimerLabel.text(), "0:00:06");
    TMainManagerTestAccess::stage(m, TMainManager::Process::None, TMainManager::Phase::Idle);
}

// The timer's end handling of the other two processes, with the flags a worker leaves.
TEST_F(RuleSearchCommandTest, TimerReportsIdealizationAndClassificationEnds) {
    TMainManager& m = manager();
    TMainManagerTestAccess::stage(m, TMainManager::Process::Idealization,
                                  TMainManager::Phase::Running);
    // The idealization's label counts its own run only, never time the search spent paused.
    form->runTimeBefore = 1.0 / 24;
    form->idealizationStartTime = clockDays;
    advance(2);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->lblTime.text(), "0:00:02");
    TMainManagerTestAccess::stage(m, TMainManager::Process::Idealization,
                                  TMainManager::Phase::Paused);  // the pause leaves the label alone
    advance(2);
    form->SearchingTimerTimer();
    EXPECT_EQ(form->lblTime.text(), "0:00:02");
    EXPECT_TRUE(dialogs.messages.empty());
    TMainManagerTestAccess::stage(m, TMainManager::Process::Idealization,
                                  TMainManager::Phase::Ended);
    TMainManagerTestAccess::classCount(m) = 3;
    form->StatusBar1.setPanel(2, "-[A]-");
    form->CountDownLabel.setText("13");
    form->SearchingTimerTimer();
    EXPECT_EQ(lastMessage().text, "Процесс идеализации успешно завершен.");
    EXPECT_EQ(form->CountDownLabel.text(), "0") << "the countdown reaches its end";
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), 4);
    EXPECT_EQ(form->StatusBar1.panel(2), "");
    EXPECT_FALSE(form->Control1.enabled()) << "no rule store: the commands stay locked";

    // Classification stopped: no message, commands back, counting disabled.
    dialogs.messages.clear();
    form->btnCountRecErrors.setEnabled(true);
    TMainManagerTestAccess::stage(m, TMainManager::Process::Classification,
                                  TMainManager::Phase::Stopped);
    form->SearchingTimerTimer();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(m.isStarted(TMainManager::Process::Classification));
    EXPECT_TRUE(form->Control1.enabled());
    EXPECT_TRUE(form->btnStartSearchClass.enabled());
    EXPECT_FALSE(form->btnPauseSearchClass.enabled());
    EXPECT_FALSE(form->btnCountRecErrors.enabled());

    // Classification paused: nothing; ended: its message.
    TMainManagerTestAccess::stage(m, TMainManager::Process::Classification,
                                  TMainManager::Phase::Paused);
    form->SearchingTimerTimer();
    EXPECT_TRUE(m.isStarted(TMainManager::Process::Classification));
    TMainManagerTestAccess::stage(m, TMainManager::Process::Classification,
                                  TMainManager::Phase::Ended);
    form->SearchingTimerTimer();
    EXPECT_EQ(lastMessage().text, "Процесс классификации контрольной выборки успешно завершен.");
    EXPECT_FALSE(m.hasEnded());
    EXPECT_TRUE(form->btnCountRecErrors.enabled());
    EXPECT_FALSE(form->btnStopSearchClass.enabled());
}

}  // namespace
}  // namespace motifora::testing
