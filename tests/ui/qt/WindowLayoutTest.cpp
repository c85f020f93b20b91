// The main window at 1280 x 860: every column of the rules grid on screen, the ideal objects
// without sideways scrolling, room for the control grids, headers always shown; the Fisher
// value in full, the standard shortcuts, the recent projects and the progress in percent.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "WindowFixture.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/BootstrapWindow.h"
#include "ui/qt/Language.h"
#include "ui/qt/QtDialogs.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

class WindowLayoutTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window->resize(1280, 860);
        QApplication::processEvents();
    }

    // Loads the example's positives and runs the rule search to its reported end.
    void searchTheExample() {
        dialogs.choose(kPositive);
        trigger("mmbtnAddSequencies");
        widget<QPushButton>("btnStartSearchRules")->click();
        ASSERT_TRUE(waitFor([this] {
            return shown("Процесс поиска закономерностей успешно завершен.");
        })) << lastMessage();
    }

    // Every column of `view` lies inside its viewport.
    static void expectEveryColumnShown(QTableView* view) {
        QHeaderView* header = view->horizontalHeader();
        const int width = view->viewport()->width();
        for (int c = 0; c < view->model()->columnCount(); ++c) {
            EXPECT_GE(header->sectionViewportPosition(c), 0)
                << view->objectName().toStdString() << " column " << c;
            EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), width)
                << view->objectName().toStdString() << " column " << c;
            EXPECT_GT(header->sectionSize(c), 10) << c;
        }
        EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0) << view->objectName().toStdString();
    }

    // Whole data rows the view has room for.
    static int rowsInView(QTableView* view) {
        return view->viewport()->height() / view->verticalHeader()->defaultSectionSize();
    }
};

TEST_F(WindowLayoutTest, TheRulesGridShowsEveryColumnAndTheFisherValueInFull) {
    ASSERT_NO_FATAL_FAILURE(searchTheExample());
    auto* rules = widget<QTableView>("RulesList");
    ASSERT_GT(rules->model()->rowCount(), 2);
    EXPECT_TRUE(rules->horizontalHeader()->isVisible());
    expectEveryColumnShown(rules);
    expectEveryColumnShown(widget<QTableView>("SequencesList"));

    // The rule is elided when it does not fit; its tooltip holds all of it.
    const QModelIndex rule = rules->model()->index(0, 2);
    EXPECT_EQ(rule.data(Qt::ToolTipRole).toString(), rule.data().toString());
    // The Fisher tooltip is the value in full, which the "%f" text cannot show.
    const QModelIndex fisher = rules->model()->index(1, 1);
    const std::string full = form->fisherDetail(2);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(fisher.data(Qt::ToolTipRole).toString(), QString::fromStdString(full));
    EXPECT_EQ(fisher.data().toString(), QString::fromStdString(form->RulesList.cell(1, 2)));

    // Selecting a rule puts its value into the status bar.
    QTest::mouseClick(rules->viewport(), Qt::LeftButton, {},
                      rules->visualRect(rules->model()->index(1, 2)).center());
    EXPECT_EQ(widget<QLabel>("StatusPanel2")->text(), QString::fromStdString("Fisher: " + full));
}

TEST_F(WindowLayoutTest, TheIdealObjectGridNeverScrollsSidewaysNorHidesItsNumbers) {
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(1);
    {
        std::lock_guard<std::recursive_mutex> lock(form->mutex());
        form->IdealizObjectsList.setRowCount(31);
        std::string object;
        for (int p = 0; p < 200; ++p) object += "[ACGT]-";
        for (int i = 0; i < 30; ++i) form->onEvent(ClassListed{object, 0.0, i});
    }
    window->syncWidgets();
    QApplication::processEvents();
    auto* ideal = widget<QTableView>("IdealizObjectsList");
    expectEveryColumnShown(ideal);
    // A click far right in a long object selects the row and leaves "#" in view.
    const QModelIndex object = ideal->model()->index(3, 2);
    QRect cell = ideal->visualRect(object);
    QTest::mouseClick(ideal->viewport(), Qt::LeftButton, {},
                      QPoint(cell.right() - 5, cell.center().y()));
    EXPECT_EQ(ideal->horizontalScrollBar()->value(), 0);
    EXPECT_GE(ideal->horizontalHeader()->sectionViewportPosition(0), 0);
    EXPECT_EQ(form->IdealizObjectsList.selectionTop(), 4);
    EXPECT_EQ(ideal->model()->index(3, 2).data(Qt::ToolTipRole).toString().size(), 1400);
}

TEST_F(WindowLayoutTest, TheClassesPageGivesEveryGridItsHeaderAndMoreThanFourRows) {
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(2);
    trigger("mmbtnVisiblePositiveControl");
    {
        std::lock_guard<std::recursive_mutex> lock(form->mutex());
        for (Grid* grid : {&form->NewSeqsList, &form->PosCtrlSeqsList, &form->ClassList,
                           &form->IdealizObjectsList}) {
            grid->setRowCount(41);
            for (int r = 1; r <= 40; ++r) grid->setCell(0, r, std::to_string(r));
        }
    }
    window->syncWidgets();
    QApplication::processEvents();
    for (const char* name : {"NewSeqsList", "PosCtrlSeqsList", "ClassList", "IdealizObjectsList"}) {
        auto* view = widget<QTableView>(name);
        ASSERT_TRUE(view->isVisible()) << name;
        EXPECT_TRUE(view->horizontalHeader()->isVisible()) << name;
        EXPECT_GT(view->horizontalHeader()->height(), 0) << name;
        EXPECT_GT(rowsInView(view), 4) << name;
    }
}

TEST_F(WindowLayoutTest, StandardShortcutsRunTheFileAndHelpCommands) {
    EXPECT_FALSE(action("mmbtnNewProject")->shortcut().isEmpty());
    EXPECT_FALSE(action("mmbtnOpenProject")->shortcut().isEmpty());
    EXPECT_FALSE(action("mmbtnSaveProject")->shortcut().isEmpty());
    EXPECT_FALSE(action("mmbtnSaveProjectAs")->shortcut().isEmpty());
    EXPECT_FALSE(action("mmbtnExit")->shortcut().isEmpty());
    EXPECT_EQ(action("MotiforaHelp1")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(action("mmbtnNewProject")->shortcuts().contains(QKeySequence("Ctrl+N")));

    window->activateWindow();
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(window->windowTitle(), QString("Motifora - Project2.dnp"));
    dialogs.launchResult(LaunchFailure::NotFound);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(lastMessage(), "Path or file name not found");
    dialogs.choose(std::nullopt);
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.files.size(), 1u);
    EXPECT_EQ(dialogs.files[0].request.dialog, "OpenProjectDlg");
}

TEST_F(WindowLayoutTest, RecentProjectsAreListedUnderFileAndRememberedForTheNextRun) {
    auto* recent = widget<QMenu>("RecentProjectsMenu");
    ASSERT_NE(recent, nullptr);
    EXPECT_FALSE(recent->isEnabled()) << "nothing to list yet";
    QTemporaryDir folder;
    const std::string path = folder.filePath("kept.dnp").toStdString();
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    dialogs.choose(path);
    trigger("mmbtnSaveProjectAs");
    EXPECT_TRUE(recent->isEnabled());
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_EQ(recent->actions()[0]->text(), QString("&1 kept.dnp"));
    EXPECT_EQ(QSettings().value("recentProjects").toStringList(),
              QStringList{QString::fromStdString(path)});

    // A second window (the next run) lists the project, and its item opens it.
    ScriptedDialogs otherDialogs;
    TMainForm otherForm(otherDialogs);
    MainWindow other(otherForm);
    auto* otherRecent = other.findChild<QMenu*>("RecentProjectsMenu");
    ASSERT_EQ(otherRecent->actions().size(), 1);
    otherRecent->actions()[0]->trigger();
    EXPECT_TRUE(otherDialogs.messages.empty());
    EXPECT_EQ(other.windowTitle(), QString::fromStdString("Motifora - " + path));
    EXPECT_EQ(otherForm.manager().learnPositiveCount(), 53);
    other.close();
}

TEST_F(WindowLayoutTest, EachProgressBarShowsItsPercentBesideIt) {
    {
        std::lock_guard<std::recursive_mutex> lock(form->mutex());
        form->FinishProgress.setRange(0, 500);
        form->FinishProgress.setPosition(125);
        form->PreBufProgress.setRange(0, 3);
        form->PreBufProgress.setPosition(2);
    }
    window->syncWidgets();
    EXPECT_EQ(widget<QLabel>("FinishProgressPercent")->text(), QString("25 %"));
    EXPECT_EQ(widget<QLabel>("PreBufProgressPercent")->text(), QString("66 %"));
    EXPECT_EQ(widget<QLabel>("PostBufProgressPercent")->text(), QString("0 %"));
}

TEST_F(WindowLayoutTest, TheLanguageMenuShowsEnglishAndTheNextRunRemembersIt) {
    auto* start = widget<QPushButton>("btnStartSearchRules");
    EXPECT_TRUE(action("Language_ru")->isChecked());
    EXPECT_EQ(start->text(), QString::fromUtf8("Пуск"));

    action("Language_en")->trigger();
    EXPECT_TRUE(action("Language_en")->isChecked());
    EXPECT_FALSE(action("Language_ru")->isChecked());
    EXPECT_EQ(QSettings().value("language").toString(), QString("en"));
    EXPECT_EQ(start->text(), QString("Start"));
    EXPECT_EQ(widget<QPushButton>("btnStopIdealization")->text(), QString("Stop"));
    EXPECT_EQ(widget<QPushButton>("btnPauseSearchClass")->text(), QString("Pause"));
    EXPECT_EQ(form->btnStartSearchRules.text(), "Пуск") << "the model keeps its own words";
    form->StatusBar1.setPanel(1, "Идет процесс поиска закономерностей ...");
    window->syncWidgets();
    EXPECT_EQ(widget<QLabel>("StatusPanel1")->text(), QString("Searching for regularities ..."));
    EXPECT_EQ(motifora::shown("Ошибка чтения из файла: a.seq\nline 2: no \";\""),
              QString("Error reading from file: a.seq\nline 2: no \";\""));

    // A real message box speaks English too.
    QtDialogs boxes;
    QString caption, text;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    EXPECT_EQ(boxes.messageBox({"Сохранить текущий проект?", "Подсказка", MessageIcon::Warning,
                                MessageButtons::YesNoCancel}),
              DialogAnswer::Cancel);
    EXPECT_EQ(caption, QString("Advice"));
    EXPECT_EQ(text, QString("Save the current project?"));

    {
        // The next run starts in English.
        ScriptedDialogs otherDialogs;
        TMainForm otherForm(otherDialogs);
        MainWindow other(otherForm);
        EXPECT_EQ(other.findChild<QPushButton*>("btnStartIdealization")->text(), QString("Start"));
        EXPECT_TRUE(other.findChild<QAction*>("Language_en")->isChecked());
        other.close();
    }

    action("Language_ru")->trigger();
    EXPECT_EQ(start->text(), QString::fromUtf8("Пуск"));
    EXPECT_EQ(widget<QLabel>("StatusPanel1")->text(),
              QString::fromUtf8("Идет процесс поиска закономерностей ..."));
    EXPECT_EQ(QSettings().value("language").toString(), QString("ru"));
    EXPECT_FALSE(window->chooseLanguage("fr"));
    EXPECT_EQ(Language::current(), QString("ru"));
}

TEST_F(WindowLayoutTest, TheChosenDecimalSeparatorIsShownAndRemembered) {
    auto* confidence = widget<QLineEdit>("ConfIntEdit");
    EXPECT_EQ(confidence->text(), QString("0,05")) << "the program's own comma at first";
    EXPECT_TRUE(action("DecimalComma")->isChecked());
    action("DecimalPoint")->trigger();
    EXPECT_EQ(confidence->text(), QString("0.05"));
    EXPECT_EQ(widget<QLineEdit>("CPEdit")->text(), QString("0.8"));
    EXPECT_EQ(form->numbers().separator(), '.');
    EXPECT_TRUE(action("DecimalPoint")->isChecked());
    EXPECT_FALSE(action("DecimalComma")->isChecked());
    {
        // The next run starts with the point.
        ScriptedDialogs otherDialogs;
        TMainForm otherForm(otherDialogs);
        MainWindow other(otherForm);
        EXPECT_EQ(otherForm.numbers().separator(), '.');
        EXPECT_EQ(other.findChild<QLineEdit*>("ConfIntEdit")->text(), QString("0.05"));
        other.close();
    }
    action("DecimalComma")->trigger();
    EXPECT_EQ(confidence->text(), QString("0,05"));
}

TEST_F(WindowLayoutTest, EnglishCorrectsTheMisspeltCaptionsWhichTheProgramsOwnWordsKeep) {
    struct Caption {
        std::function<QString()> shownText;
        const char* own;
        const char* english;
    };
    BootstrapWindow* bootstrap = window->bootstrapWindow();
    const std::vector<Caption> captions = {
        {[&] { return widget<QWidget>("PosCtrlPane")->findChild<QLabel*>()->text(); },
         "Positve Control Sequencies", "Positive Control Sequences"},
        {[&] { return bootstrap->windowTitle(); }, "Bootstreap Control", "Bootstrap Control"},
        {[&] { return bootstrap->findChild<QLabel*>("PercentLabel")->text(); },
         "Percantage of Positive Samplings", "Percentage of Positive Samplings"},
        {[&] { return action("mmbtnAddSequencies")->text(); }, "Add Positive Sequencies",
         "Add Positive Sequences"},
        {[] { return AboutBox().windowTitle(); }, "AboutFrm", "About Motifora"},
        {[] { return motifora::shown("Saving Relsults of Erro Count As HTML"); },
         "Saving Relsults of Erro Count As HTML", "Saving Results of Error Count As HTML"},
        {[] { return motifora::shown("Saving Relsults As Text"); }, "Saving Relsults As Text",
         "Saving Results As Text"},
        {[] { return shownFileFilter("DNA Project (*.html)|*.html"); }, "DNA Project (*.html)",
         "HTML report (*.html)"},
        {[] { return shownFileFilter("DNA Project (*.txt)|*.txt"); }, "DNA Project (*.txt)",
         "Text export (*.txt)"},
    };
    for (const char* language : {"ru", "en", "ru"}) {
        ASSERT_TRUE(window->chooseLanguage(language));
        const bool english = std::string(language) == "en";
        for (const Caption& caption : captions)
            EXPECT_EQ(caption.shownText(),
                      QString::fromUtf8(english ? caption.english : caption.own))
                << language;
    }
}

}  // namespace
}  // namespace motifora::testing
