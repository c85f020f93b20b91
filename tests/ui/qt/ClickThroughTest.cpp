// One run of the bundled promoter example through the real widgets, with scripted dialogs:
// load both learning samples, search, idealize, load control data, classify, recognize, count
// errors, save the project and the reports.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <filesystem>

#include "WindowFixture.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

using ClickThrough = WindowFixture;

QString cell(QTableView* view, int row, int column) {
    return view->model()->index(row, column).data().toString();
}

TEST_F(ClickThrough, TheExampleFromLoadingToReports) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string out = folder.path().toStdString();
    auto* pages = widget<QTabWidget>("ModePageControl");
    auto click = [this](const char* name) {
        auto* b = widget<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name << " is disabled";
        b->click();
    };

    // Learning samples.
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    ASSERT_EQ(lastMessage(), "Загрузка нуклеотидных последовательностей удачно завершена.");
    auto* positive = widget<QTableView>("SequencesList");
    ASSERT_EQ(positive->model()->rowCount(), 53);
    EXPECT_EQ(cell(positive, 0, 0), QString("1"));
    EXPECT_EQ(cell(positive, 0, 1), QString("57"));
    EXPECT_EQ(cell(positive, 0, 3).size(), 57);
    EXPECT_TRUE(widget<QPushButton>("btnStartSearchRules")->isEnabled());
    ASSERT_EQ(dialogs.files.size(), 1u);
    EXPECT_EQ(dialogs.files[0].request.filter, "Sequences (*.seq)|*.seq");

    dialogs.choose(kNegative);
    trigger("mmbtnAddNegativeSequencies");
    ASSERT_EQ(lastMessage(), "Loading of negative sampling is completed successfully.");
    auto* negative = widget<QTableView>("NegSequencesList");
    EXPECT_TRUE(negative->isVisible());
    EXPECT_EQ(negative->model()->rowCount(), 53);
    EXPECT_TRUE(action("mmbtnNegativeSequecies")->isChecked());

    // Regularity search with the default settings.
    click("btnStartSearchRules");
    ASSERT_TRUE(waitFor([this] { return shown("Процесс поиска закономерностей успешно завершен."); }))
        << lastMessage();
    auto* rules = widget<QTableView>("RulesList");
    ASSERT_GT(rules->model()->rowCount(), 0);
    EXPECT_EQ(cell(rules, 0, 0), QString("1"));
    EXPECT_FALSE(cell(rules, 0, 2).isEmpty());
    EXPECT_TRUE(widget<QPushButton>("btnStartIdealization")->isEnabled());

    // Idealization on the Objects page.
    pages->setCurrentIndex(1);
    click("btnStartIdealization");
    ASSERT_TRUE(waitFor([this] { return shown("Процесс идеализации успешно завершен."); }))
        << lastMessage();
    auto* ideal = widget<QTableView>("IdealizObjectsList");
    EXPECT_TRUE(ideal->isVisible());
    const int classes = form->mainManager->classCount;
    ASSERT_GT(classes, 0);
    EXPECT_EQ(ideal->model()->rowCount(), classes);
    EXPECT_EQ(cell(ideal, 0, 0), QString("1"));
    EXPECT_FALSE(cell(ideal, 0, 2).isEmpty());
    EXPECT_FALSE(cell(positive, 0, 4).isEmpty());  // every learning object got its class

    // Control data and classification on the Classes page.
    auto* controlMenu = widget<QMenu>("Control1");
    ASSERT_TRUE(controlMenu->menuAction()->isEnabled());
    dialogs.choose(kNegative);
    trigger("mmbtnAddControlNegative");
    ASSERT_EQ(lastMessage(), "Загрузка контрольных последовательностей удачно завершена.");
    pages->setCurrentIndex(2);
    auto* control = widget<QTableView>("NewSeqsList");
    EXPECT_TRUE(control->isVisible());
    EXPECT_EQ(control->model()->rowCount(), 53);
    click("btnStartSearchClass");
    ASSERT_TRUE(waitFor([this] {
        return shown("Процесс классификации контрольной выборки успешно завершен.");
    })) << lastMessage();
    EXPECT_FALSE(cell(control, 0, 4).isEmpty());

    // Recognition of the control data: one score column per class.
    if (widget<QPushButton>("btnStartRecognition")->isEnabled()) {
        const size_t before = dialogs.messages.size();
        click("btnStartRecognition");
        const bool scored = waitFor([&] {
            return control->model()->columnCount() == classes + 5 &&
                   !cell(control, 52, 4 + classes).isEmpty();
        }, 120000);
        if (dialogs.messages.size() == before && scored) {
            EXPECT_EQ(control->model()->headerData(5, Qt::Horizontal).toString(), QString("1"));
            EXPECT_TRUE(cell(control, 0, 5).startsWith("1:")) << cell(control, 0, 5).toStdString();
        }
    }

    // Error counting for the first class: levels, errors and their explanations.
    if (widget<QPushButton>("btnCountRecErrors")->isEnabled()) {
        ideal->selectRow(0);
        click("btnCountRecErrors");
        waitFor([this] { return widget<QLineEdit>("RecLevelEdit")->isEnabled(); }, 120000);
        EXPECT_FALSE(widget<QLabel>("FstErrInW")->text().isEmpty());
    }

    // The project and the reports.
    const std::string project = out + "/promoters.dnp";
    dialogs.choose(project);
    trigger("mmbtnSaveProjectAs");
    EXPECT_TRUE(std::filesystem::exists(project)) << lastMessage();
    EXPECT_EQ(window->windowTitle().toStdString().find("Motifora - "), 0u);
    EXPECT_NE(window->windowTitle().toStdString().find("promoters.dnp"), std::string::npos);

    const std::string text = out + "/promoters.txt";
    dialogs.choose(text);
    trigger("SaveAsText1");
    EXPECT_TRUE(std::filesystem::exists(text)) << lastMessage();

    if (action("SaveRecErrBtn")->isEnabled()) {
        const std::string report = out + "/promoters.html";
        dialogs.choose(report);
        trigger("SaveRecErrBtn");
        EXPECT_TRUE(std::filesystem::exists(report)) << lastMessage();
    }
    EXPECT_EQ(dialogs.unusedPaths(), 0u);
}

}  // namespace
}  // namespace motifora::testing
