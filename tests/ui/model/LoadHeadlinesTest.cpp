// The sample loads say what they did to the data in the box's headline: records cut at 1023
// letters, samples of mixed lengths in fixed positions, and the real reason of a refusal; the
// specified texts of the boxes stay as they are.
#include "FormFixture.h"
#include "support/Records.h"
#include "support/TempDir.h"
#include "ui/model/LoadHeadlines.h"

namespace motifora::testing {
namespace {

std::vector<Sequence> records(const std::vector<int32_t>& lengths) {
    return test::recordsOfLengths(lengths, "r");
}

TEST(LoadHeadlines, SayWhatWasDoneAndOnlyThen) {
    SampleRead cut;
    EXPECT_EQ(cutRecordsHeadline(cut, 5), "");
    cut.cutRecords = 2;
    cut.longestCut = 100000;
    EXPECT_EQ(cutRecordsHeadline(cut, 20),
              "Записей обрезано до первых 1023 букв: 2 / 20\n"
              "Самая длинная из них в файле, букв: 100000\n"
              "Формат FASTA читает записи целиком: сохраните выборку в FASTA, чтобы сохранить "
              "записи полностью.");

    EXPECT_EQ(shorterPositivesHeadline(records({57, 57, 57})), "");
    const std::string mixed = shorterPositivesHeadline(records({57, 4, 57, 12}));
    EXPECT_EQ(mixed.substr(0, mixed.find('\n', mixed.find('\n') + 1)),
              "Последовательностей короче самой длинной: 2 / 4\nДлины в выборке, букв: 4, 12, 57");

    EXPECT_EQ(shorterNegativesHeadline(records({57, 57}), records({57})), "");
    const std::string negatives =
        shorterNegativesHeadline(records({57, 57}), records({40, 57, 40}));
    EXPECT_EQ(negatives.substr(0, negatives.rfind('\n')),
              "Отрицательных последовательностей короче положительных: 2 / 3\n"
              "Длины в выборке, букв: 40, 57\n"
              "Ширина положительных объектов, позиций: 57");
    // Many lengths are listed up to a few, then counted.
    std::vector<int32_t> many;
    for (int32_t n = 1; n <= 9; ++n) many.push_back(n);
    many.push_back(20);
    EXPECT_NE(shorterPositivesHeadline(records(many))
                  .find("Длины в выборке, букв: 1, 2, 3, 4, 5, 6, … (+4)\n"),
              std::string::npos);
}

class LoadBoxTest : public FormFixture {
  protected:
    test::TempDir dir;
};

TEST_F(LoadBoxTest, ACutRecordIsInTheHeadlineBesideTheSpecifiedText) {
    dialogs.choose(dir.write(
        "long.seq", ">a;" + std::string(1500, 'A') + "\n>b;" + std::string(1023, 'A') + "\n"));
    form->mmbtnAddSequenciesClick();
    const MessageRequest box = lastMessage();
    EXPECT_EQ(box.text.substr(0, box.text.find('\n')),
              "Загрузка нуклеотидных последовательностей удачно завершена.");
    EXPECT_EQ(box.headline.substr(0, box.headline.find('\n')),
              "Записей обрезано до первых 1023 букв: 1 / 2");
    EXPECT_NE(box.headline.find("букв: 1500"), std::string::npos) << box.headline;
    ASSERT_EQ(dialogs.files.size(), 1u);
    EXPECT_EQ(dialogs.files[0].request.filter, "Sequences (*.seq)|*.seq");
    EXPECT_NE(dialogs.files[0].request.moreFilters.find("*.fa;"), std::string::npos);
    EXPECT_NE(dialogs.files[0].request.moreFilters.find("All files (*)|*"), std::string::npos);
}

TEST_F(LoadBoxTest, MixedLengthsAreNotedInFixedPositionsOnly) {
    const std::string positives = dir.write("p.seq", ">a;ACGTACGT\n>b;ACGT\n>c;ACGTACGT\n");
    dialogs.choose(positives);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(lastMessage().headline.substr(0, lastMessage().headline.find('\n')),
              "Последовательностей короче самой длинной: 1 / 3");

    dialogs.choose(dir.write("n.seq", ">n;ACGT\n"));
    form->mmbtnAddNegativeSequenciesClick();
    EXPECT_EQ(lastMessage().text, "Loading of negative sampling is completed successfully.");
    EXPECT_EQ(lastMessage().headline.substr(0, lastMessage().headline.find('\n')),
              "Отрицательных последовательностей короче положительных: 1 / 1");

    form->chooseAlignment(true);
    dialogs.answer(DialogAnswer::No);
    dialogs.choose(positives);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(lastMessage().text, "Загрузка нуклеотидных последовательностей удачно завершена.");
    EXPECT_EQ(lastMessage().headline, "");
}

TEST_F(LoadBoxTest, ARefusalsHeadlineNamesTheFileAndItsReason) {
    std::string program =
        "\x7F"
        "ELF";
    program += std::string(200, '\x01');
    const struct {
        std::string file;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"empty.seq", "", "holds no records: the file is empty"},
        {"program.seq", program, "is not a text file: it holds an executable program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.write(c.file, c.bytes);
        dialogs.choose(path);
        form->mmbtnAddSequenciesClick();
        const MessageRequest box = lastMessage();
        EXPECT_EQ(box.text.substr(0, box.text.find('\n')), "Ошибка чтения из файла: " + path);
        EXPECT_EQ(box.icon, MessageIcon::Error);
        EXPECT_NE(box.headline.find(path), std::string::npos) << box.headline;
        EXPECT_NE(box.headline.find(c.reason), std::string::npos) << box.headline;
    }
}

}  // namespace
}  // namespace motifora::testing
