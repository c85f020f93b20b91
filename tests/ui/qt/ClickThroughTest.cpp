// One run of the bundled promoter example through the real widgets, with scripted dialogs:
// load both learning samples, search, idealize, load control data, classify, recognize, count
// errors, save the project and the reports.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QValueAxis>
#include <filesystem>

#include "WindowFixture.h"
#include "ui/qt/BootstrapWindow.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ErrRecDialog.h"
#include "ui/qt/RadioGroupBox.h"
#include "ui/qt/UpDownEdit.h"
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
    ASSERT_TRUE(waitFor([this] {
        return shown("Процесс поиска закономерностей успешно завершен.");
    })) << lastMessage();
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
    const int classes = form->mainManager->classCount();
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

    // A double click on class 1 lists its learning objects in the class-object grid; its
    // pop-up menu then shows the regularities of the class.
    auto* classList = widget<QTableView>("ClassList");
    ideal->selectRow(0);
    emit ideal->doubleClicked(ideal->model()->index(0, 0));
    EXPECT_EQ(form->IdealizObjectsList.selectionTop(), 1);
    EXPECT_EQ(classList->model()->columnCount(), 3);
    EXPECT_EQ(cell(classList, 0, 0), QString("1"));
    EXPECT_EQ(cell(classList, 0, 2), cell(ideal, 0, 2));  // class 1 was made from its object
    emit ideal->customContextMenuRequested(QPoint(4, 4));
    auto* popup = widget<QMenu>("IdealObjPopupMenu");
    ASSERT_TRUE(popup->isVisible());
    popup->hide();
    trigger("ShowRegularities1");
    EXPECT_EQ(classList->model()->columnCount(), 5);
    ASSERT_GT(classList->model()->rowCount(), 0);
    const QString status = cell(classList, 0, 4);
    EXPECT_TRUE(status == "true" || status == "false") << status.toStdString();

    // Recognition of the control data: one score column per class, "class:score" cells.
    click("btnStartRecognition");
    ASSERT_TRUE(waitFor([&] {
        return control->model()->columnCount() == classes + 5 &&
               !cell(control, 52, 4 + classes).isEmpty();
    })) << lastMessage();
    EXPECT_EQ(control->model()->headerData(5, Qt::Horizontal).toString(), QString("1"));
    EXPECT_TRUE(cell(control, 0, 5).startsWith("1:")) << cell(control, 0, 5).toStdString();

    // Error counting for the first class, with the control negatives chosen in the "Error
    // Recognition Properties" window.
    ErrRecDialog* properties = window->errRecDialog();
    bool propertiesShown = false, positiveGroupEnabled = true;
    QTimer::singleShot(100, [&] {
        propertiesShown = properties->isVisible();
        positiveGroupEnabled = properties->positiveGroup()->isEnabled();
        properties->negativeGroup()->item(1)->click();
        properties->okButton()->click();
    });
    ideal->selectRow(0);
    click("btnCountRecErrors");
    EXPECT_TRUE(propertiesShown);
    EXPECT_FALSE(positiveGroupEnabled);  // no control positive sample
    EXPECT_EQ(form->ErrRecForm.NegativeGroup.itemIndex(), 1);
    EXPECT_FALSE(properties->isVisible());
    ASSERT_TRUE(waitFor([this] { return widget<QLineEdit>("RecLevelEdit")->isEnabled(); }))
        << lastMessage();
    EXPECT_TRUE(widget<QLabel>("FstErrInW")->text().startsWith("Recognized "));
    EXPECT_TRUE(widget<QLabel>("SecErrInW")->text().startsWith("Recognized "));
    EXPECT_FALSE(widget<QLabel>("SecondLErr")->text().isEmpty());
    EXPECT_EQ(control->model()->headerData(6, Qt::Horizontal).toString(), QString("Result"));
    auto* chart = window->chart();
    EXPECT_TRUE(chart->isVisible());
    EXPECT_GT(chart->series(0)->count() + chart->series(1)->count(), 0);
    EXPECT_EQ(chart->yAxis()->titleText(), QString("Percentage of sampling"));

    // A level typed into "Recogn. Level" and confirmed with Enter counts again.
    auto* level = widget<QLineEdit>("RecLevelEdit");
    level->selectAll();
    QTest::keyClicks(level, "1000");
    QTest::keyClick(level, Qt::Key_Return);
    EXPECT_EQ(form->RecLevelEdit.text(), "1000");
    EXPECT_EQ(widget<QLabel>("SecondLErr")->text(),
              QString("0.00000000").replace('.', form->numberFormat.separator()));

    // One bootstrap iteration in the "Bootstreap Control" window.
    click("btnStartBootstrap");
    BootstrapWindow* bootstrap = window->bootstrapWindow();
    ASSERT_TRUE(bootstrap->isVisible());
    EXPECT_EQ(bootstrap->windowTitle(), QString("Bootstreap Control"));
    EXPECT_TRUE(bootstrap->windowFlags() & Qt::WindowStaysOnTopHint);
    auto* iterations = bootstrap->findChild<UpDownEdit*>("IterCount");
    ASSERT_NE(iterations, nullptr);
    EXPECT_EQ(iterations->edit()->text(), QString("1"));
    auto* average = bootstrap->findChild<QLabel*>("Label4");
    ASSERT_NE(average, nullptr);
    EXPECT_EQ(average->text(), QString("______________"));
    bootstrap->findChild<QPushButton*>("Bs_btnStart")->click();
    EXPECT_TRUE(bootstrap->findChild<QPushButton*>("Bs_btnStop")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return average->text() != QString("______________"); }))
        << lastMessage();
    auto* results = bootstrap->findChild<QTableView*>("ErrorsList");
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->model()->rowCount(), 1);
    EXPECT_EQ(cell(results, 0, 0), average->text());  // one iteration: its row is the average
    EXPECT_FALSE(bootstrap->findChild<QPushButton*>("Bs_btnStop")->isEnabled());

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

    const std::string report = out + "/promoters.html";
    dialogs.choose(report);
    trigger("SaveRecErrBtn");
    EXPECT_TRUE(std::filesystem::exists(report)) << lastMessage();
    EXPECT_EQ(dialogs.unusedPaths(), 0u);
}

}  // namespace
}  // namespace motifora::testing
