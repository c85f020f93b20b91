// The dialogs of a batch run: messages printed with their captions (success messages left out
// when quiet), questions answered No, file choosers fed from the queue and cancelled without it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/BatchDialogs.h"
#include "cli/EnglishTexts.h"

namespace motifora {
namespace {

using ::testing::HasSubstr;

TEST(BatchDialogsTest, MessagesArePrintedAndQuestionsAnsweredNo) {
    for (const bool quiet : {false, true}) {
        std::ostringstream err;
        BatchDialogs dialogs(err, quiet);
        EXPECT_EQ(dialogs.messageBox({"Загрузка завершена.", "Сообщение", MessageIcon::Information,
                                      MessageButtons::Ok}),
                  DialogAnswer::Ok);
        const size_t mark = dialogs.messageCount();
        EXPECT_EQ(dialogs.messageBox({"Сохранить текущий проект?", "Подсказка",
                                      MessageIcon::Warning, MessageButtons::YesNoCancel}),
                  DialogAnswer::No);
        EXPECT_EQ(dialogs.messageBox({"Ошибка чтения из файла: x.seq", "Ошибка", MessageIcon::Error,
                                      MessageButtons::Ok}),
                  DialogAnswer::Ok);
        EXPECT_EQ(dialogs.messageBox(
                      {"Нет закономерностей", "Подсказка", MessageIcon::None, MessageButtons::Ok}),
                  DialogAnswer::Ok);
        const std::string shown = err.str();
        EXPECT_EQ(shown.find("Сообщение: Загрузка завершена.\n") != std::string::npos, !quiet);
        EXPECT_THAT(shown, HasSubstr("Подсказка: Сохранить текущий проект? [answered No]\n"));
        EXPECT_THAT(shown, HasSubstr("Ошибка: Ошибка чтения из файла: x.seq\n"));

        EXPECT_EQ(dialogs.messageCount(), 4u);
        EXPECT_EQ(dialogs.messagesSince(mark).size(), 3u);
        ASSERT_TRUE(dialogs.errorSince(mark));
        EXPECT_EQ(dialogs.errorSince(mark)->caption, "Ошибка");
        EXPECT_FALSE(dialogs.errorSince(dialogs.messageCount()));
        EXPECT_EQ(dialogs.lastSince(mark)->text, "Нет закономерностей");
        EXPECT_FALSE(dialogs.lastSince(99));
    }
}

TEST(BatchDialogsTest, WarningsBelowASuccessMessageArePrintedEvenWhenQuiet) {
    for (const bool quiet : {false, true}) {
        std::ostringstream err;
        BatchDialogs dialogs(err, quiet);
        dialogs.messageBox({"Загрузка завершена.\n\"a.seq\", record 2: the letters were cut",
                            "Сообщение", MessageIcon::Information, MessageButtons::Ok});
        const std::string shown = err.str();
        EXPECT_THAT(shown, HasSubstr("\"a.seq\", record 2: the letters were cut\n"));
        EXPECT_EQ(shown.find("Загрузка завершена.") != std::string::npos, !quiet) << shown;
    }
}

TEST(BatchDialogsTest, ChoosersTakeQueuedPathsInOrder) {
    std::ostringstream err;
    BatchDialogs dialogs(err, false);
    dialogs.choose("a.seq");
    dialogs.choose("b.dnp");
    EXPECT_EQ(dialogs.openFile({}), "a.seq");
    EXPECT_EQ(dialogs.saveFile({}), "b.dnp");
    EXPECT_EQ(dialogs.openFile({}), std::nullopt);
    // A path left over by a command that did not open its chooser never reaches a later one.
    dialogs.choose("left.txt");
    dialogs.clearPaths();
    EXPECT_EQ(dialogs.saveFile({}), std::nullopt);
    EXPECT_EQ(dialogs.launch("hh.exe", "ProgramHelp.chm"), LaunchFailure::NotFound);
    EXPECT_EQ(err.str(), "");
}

TEST(BatchDialogsTest, InEnglishTheCaptionAndTextArePrintedTranslatedAndRecordedAsTheyStand) {
    std::ostringstream err;
    BatchDialogs dialogs(err, false, true);
    dialogs.messageBox({"Ошибка чтения из файла: x.seq\nrecord 2: letter X is not in the alphabet",
                        "Ошибка", MessageIcon::Error, MessageButtons::Ok});
    dialogs.messageBox({"Сохранить текущий проект?", "Подсказка", MessageIcon::Warning,
                        MessageButtons::YesNoCancel});
    dialogs.messageBox(
        {"First load postive sampling.", "Error", MessageIcon::Error, MessageButtons::Ok});
    EXPECT_EQ(err.str(),
              "Error: Error reading from file: x.seq\nrecord 2: letter X is not in the alphabet\n"
              "Advice: Save the current project? [answered No]\n"
              "Error: First load postive sampling.\n");
    // The batch run compares the original words.
    EXPECT_EQ(dialogs.lastSince(0)->text, "First load postive sampling.");
    EXPECT_EQ(dialogs.messagesSince(0)[0].caption, "Ошибка");
    EXPECT_EQ(dialogs.shown("Пуск"), "Start");

    std::ostringstream original;
    BatchDialogs russian(original, false);
    EXPECT_EQ(russian.shown("Пуск"), "Пуск");
}

TEST(EnglishTexts, TheTableHoldsEveryTextOnceAndInEnglish) {
    ASSERT_GT(kEnglishTextCount, 30u);
    std::set<std::string> originals;
    for (size_t i = 0; i < kEnglishTextCount; ++i) {
        const std::string original = kEnglishTexts[i].original;
        const std::string english = kEnglishTexts[i].english;
        EXPECT_TRUE(originals.insert(original).second) << "twice: " << original;
        EXPECT_FALSE(english.empty()) << original;
        // English only: no Cyrillic letter (all of them are two bytes from 0xD0 to 0xD3).
        for (unsigned char c : english) EXPECT_FALSE(c >= 0xD0 && c <= 0xD3) << english;
        EXPECT_EQ(englishText(original), english);
    }
    EXPECT_EQ(englishText("Процесс поиска закономерностей успешно завершен."),
              "The search for regularities completed successfully.");
    EXPECT_EQ(englishText("not a marked text"), std::nullopt);
}

}  // namespace
}  // namespace motifora
