// Runs the bundled example through the workbench window and saves pictures of its pages.
//
// Usage: qt_screenshot_tour <output folder> [examples folder]
// Writes rules.png, objects.png, classes.png, errrec.png, bootstrap.png, scan.png,
// scan-chart.png, heatmap.png, crossvalidation.png and about.png.
// The dialogs are answered from a script (the example's files); everything else goes through the
// real widgets, as a user would click it.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/Application.h"
#include "ui/qt/BootstrapWindow.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ErrRecDialog.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/RadioGroupBox.h"
#include "workspace/TMainManager.h"

namespace {

using motifora::MainWindow;

bool waitFor(const std::function<bool()>& done, int timeoutMs = 600000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* widget, const QString& folder, const char* name) {
    settle();
    const QString path = QDir(folder).filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Runs `use` on the enabled child of `window` named `name`; says so on the error output and
// returns false when there is none.
template <typename Child, typename Use>
bool useEnabled(const QWidget& window, const char* name, Use use) {
    Child* child = window.findChild<Child*>(name);
    if (!child || !child->isEnabled()) {
        std::fprintf(stderr, "%s is missing or disabled\n", name);
        return false;
    }
    use(*child);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    motifora::setUpApplication(app);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [examples folder]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::string examples = argc > 2 ? argv[2] : MOTIFORA_EXAMPLES_DIR;
    const std::string positive = examples + "/promoters_pos.seq";
    const std::string negative = examples + "/promoters_neg.seq";
    QDir().mkpath(out);

    motifora::ScriptedDialogs dialogs;
    motifora::TMainForm form(dialogs);
    MainWindow window(form);
    // The size of a common laptop screen: every column and grid must fit it.
    window.resize(1280, 860);
    window.show();
    auto* pages = window.findChild<QTabWidget*>("ModePageControl");
    auto click = [&window](const char* name) {
        return useEnabled<QAbstractButton>(window, name, [](QAbstractButton& b) { b.click(); });
    };
    auto trigger = [&window](const char* name) {
        return useEnabled<QAction>(window, name, [](QAction& a) { a.trigger(); });
    };
    auto shown = [&dialogs](const char* text) {
        for (const auto& m : dialogs.messages)
            if (m.text == text) return true;
        return false;
    };
    auto fail = [&dialogs](const char* step) {
        std::fprintf(stderr, "the tour stopped at: %s (last message: %s)\n", step,
                     dialogs.messages.empty() ? "" : dialogs.messages.back().text.c_str());
        return 1;
    };

    dialogs.choose(positive);
    if (!trigger("mmbtnAddSequencies")) return fail("positive sample");
    dialogs.choose(negative);
    if (!trigger("mmbtnAddNegativeSequencies")) return fail("negative sample");
    if (!click("btnStartSearchRules") ||
        !waitFor([&] { return shown("Процесс поиска закономерностей успешно завершен."); }))
        return fail("regularity search");
    window.findChild<QTableView*>("RulesList")->selectRow(0);
    if (!save(&window, out, "rules.png")) return 1;

    pages->setCurrentIndex(1);
    if (!click("btnStartIdealization") ||
        !waitFor([&] { return shown("Процесс идеализации успешно завершен."); }))
        return fail("idealization");
    auto* ideal = window.findChild<QTableView*>("IdealizObjectsList");
    ideal->selectRow(0);
    if (!save(&window, out, "objects.png")) return 1;

    dialogs.choose(negative);
    if (!trigger("mmbtnAddControlNegative")) return fail("control sample");
    pages->setCurrentIndex(2);
    if (!click("btnStartSearchClass") || !waitFor([&] {
            return shown("Процесс классификации контрольной выборки успешно завершен.");
        }))
        return fail("classification");
    const int classes = form.mainManager->classCount();
    auto* control = window.findChild<QTableView*>("NewSeqsList");
    if (!click("btnStartRecognition") || !waitFor([&] {
            return control->model()->columnCount() == classes + 5 &&
                   !control->model()
                        ->index(control->model()->rowCount() - 1, 4 + classes)
                        .data()
                        .toString()
                        .isEmpty();
        }))
        return fail("recognition");

    // Error counting for class 1, control negatives, through the properties window.
    motifora::ErrRecDialog* properties = window.errRecDialog();
    bool propertiesSaved = false;
    QTimer::singleShot(300, [&] {
        properties->negativeGroup()->item(1)->click();
        propertiesSaved = save(properties, out, "errrec.png");
        properties->okButton()->click();
    });
    ideal->selectRow(0);
    if (!click("btnCountRecErrors") || !propertiesSaved ||
        !waitFor([&] { return window.findChild<QLineEdit*>("RecLevelEdit")->isEnabled(); }))
        return fail("error counting");
    // The learning objects of class 1 in the class-object grid.
    window.command([&form] { form.ShowObjects1Click(); });
    if (!save(&window, out, "classes.png")) return 1;

    if (!click("btnStartBootstrap")) return fail("bootstrap window");
    motifora::BootstrapWindow* bootstrap = window.bootstrapWindow();
    auto* iterations = bootstrap->findChild<QWidget*>("IterCount");
    if (auto* edit = iterations ? iterations->findChild<QLineEdit*>() : nullptr) {
        edit->setText("3");
        form.BootStrCtrl.IterCount.setText("3");
    }
    auto* average = bootstrap->findChild<QLabel*>("Label4");
    bootstrap->findChild<QPushButton*>("Bs_btnStart")->click();
    if (!waitFor([&] { return average->text() != QString("______________"); }))
        return fail("bootstrap");
    if (!save(bootstrap, out, "bootstrap.png")) return 1;

    // A second session in "Shift positions" mode: the control sequences are scanned window by
    // window against one class and the scores drawn along the sequences.
    bootstrap->hide();
    form.BootStrCtrl.Window.setVisible(false);
    pages->setCurrentIndex(0);
    dialogs.answer(motifora::DialogAnswer::No);  // do not save the first session
    dialogs.choose(positive);
    if (!trigger("mmbtnAddSequencies")) return fail("second positive sample");
    if (!click("btnShiftPositionsRadio")) return fail("shift positions");
    const size_t searchesBefore = dialogs.messages.size();
    auto shownSince = [&dialogs](size_t from, const char* text) {
        for (size_t i = from; i < dialogs.messages.size(); ++i)
            if (dialogs.messages[i].text == text) return true;
        return false;
    };
    if (!click("btnStartSearchRules") || !waitFor([&] {
            return shownSince(searchesBefore, "Процесс поиска закономерностей успешно завершен.");
        }))
        return fail("shifted regularity search");
    pages->setCurrentIndex(1);
    window.findChild<QRadioButton*>("ObjsSourceGroupItem1")->click();  // classes from the rules
    if (!click("btnStartIdealization") || !waitFor([&] {
            return shownSince(searchesBefore, "Процесс идеализации успешно завершен.");
        }))
        return fail("shifted idealization");
    dialogs.choose(negative);
    if (!trigger("mmbtnAddControlNegative")) return fail("long control sample");
    pages->setCurrentIndex(2);
    ideal->selectRow(0);
    // The scan runs on the worker; the window's timer draws the chart when it ends.
    if (!click("btnStartRecognition") || !window.chart()->isVisible() ||
        !waitFor([&] { return !form.mainManager->scanStarted(); }))
        return fail("scanning recognition");
    if (!save(&window, out, "scan.png")) return 1;
    // The same scan at 1280 x 800 with its first hit chosen: the hit table's row and the hit's
    // letters under it, the record boundaries and names over the chart, the level as a line.
    window.resize(1280, 800);
    if (auto* hits = window.findChild<QTableView*>("ScanHitsList");
        hits != nullptr && hits->model()->rowCount() > 0) {
        hits->selectRow(0);
        emit hits->clicked(hits->model()->index(0, 0));
    }
    if (!save(&window, out, "scan-chart.png")) return 1;
    window.resize(1280, 860);

    // A third session: the discriminative search of the example's positives against its
    // negatives, and its heat map at the width of a 1280-pixel screen.
    pages->setCurrentIndex(0);
    dialogs.answer(motifora::DialogAnswer::No);  // do not save the second session
    dialogs.choose(positive);
    if (!trigger("mmbtnAddSequencies")) return fail("third positive sample");
    if (!click("btnFixedPositionsRadio")) return fail("fixed positions");
    dialogs.choose(negative);
    if (!trigger("mmbtnAddNegativeSequencies")) return fail("third negative sample");
    if (!click("RegularitiesGroupItem1")) return fail("discriminative regularities");
    const size_t contrastBefore = dialogs.messages.size();
    if (!click("btnStartSearchRules") || !waitFor([&] {
            for (size_t i = contrastBefore; i < dialogs.messages.size(); ++i)
                if (dialogs.messages[i].text.find("discriminative search is finished") !=
                    std::string::npos)
                    return true;
            return false;
        }))
        return fail("discriminative search");
    if (!click("btnContrastMap")) return fail("heat map");
    auto* heatMap = window.findChild<QWidget*>("ContrastMapWindow");
    if (heatMap == nullptr) return fail("heat map window");
    heatMap->resize(1280, 420);
    if (!save(heatMap, out, "heatmap.png")) return 1;
    heatMap->hide();

    // The cross-validation window at 1280 x 800 with the discriminative score of the same samples
    // (the figures motifora-cli --contrast --cross-validate 5,1 prints).
    if (!trigger("mmbtnCrossValidation")) return fail("cross-validation window");
    auto* crossValidation = window.findChild<QWidget*>("CrossValForm");
    if (crossValidation == nullptr) return fail("cross-validation window");
    crossValidation->resize(1280, 800);
    auto clickIn = [crossValidation](const char* name) {
        return useEnabled<QAbstractButton>(*crossValidation, name,
                                           [](QAbstractButton& b) { b.click(); });
    };
    if (!clickIn("ScoreGroupItem1") || !clickIn("StartBtn") ||
        !waitFor([&] { return form.CrossValForm.shownResult() != nullptr; }))
        return fail("discriminative cross-validation");
    if (!save(crossValidation, out, "crossvalidation.png")) return 1;
    crossValidation->hide();

    motifora::AboutBox about(&window);
    about.show();
    if (!save(&about, out, "about.png")) return 1;
    about.close();
    window.close();
    return 0;
}
