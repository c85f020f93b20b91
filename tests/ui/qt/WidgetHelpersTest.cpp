// Tests of the Qt building blocks: filters, message splitting, up-down stepping, the grid
// adapter, the chart, the binder, the real message box, the about box and the help viewer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QValueAxis>
#include <mutex>
#include <thread>

#include "EventWait.h"
#include "ui/model/Controls.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/HelpViewer.h"
#include "ui/qt/QtDialogs.h"
#include "ui/qt/UpDownEdit.h"

namespace motifora::testing {
namespace {

TEST(QtFileFilter, ConvertsPairsOfDescriptionAndPattern) {
    // Each filter with the Qt filter it becomes.
    const std::pair<const char*, const char*> cases[] = {
        {"DNA Project (*.dnp)|*.dnp", "DNA Project (*.dnp)"},
        {"Sequences (*.seq)|*.seq", "Sequences (*.seq)"},
        {"DNA Project (*.html)|*.html", "DNA Project (*.html)"},
        {"Text|*.txt", "Text (*.txt)"},
        {"A (*.a)|*.a|B|*.b;*.c", "A (*.a);;B (*.b *.c)"},
        {"Lonely", "Lonely"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(qtFileFilter(in), QString(out)) << in;
}

TEST(SplitMessage, KeepsTheFirstLineAsTextAndTheReasonAsDetail) {
    QString text, detail;
    splitMessage("Загрузка нуклеотидных последовательностей удачно завершена.", text, detail);
    EXPECT_EQ(text,
              QString::fromUtf8("Загрузка нуклеотидных последовательностей удачно завершена."));
    EXPECT_TRUE(detail.isEmpty());
    splitMessage("Ошибка чтения из файла: /tmp/a.seq\nline 3: no \";\" after the name\nmore", text,
                 detail);
    EXPECT_EQ(text, QString::fromUtf8("Ошибка чтения из файла: /tmp/a.seq"));
    EXPECT_EQ(detail, QString::fromUtf8("line 3: no \";\" after the name\nmore"));
}

TEST(StepUpDownText, StepsTheTypedNumberWithinTheRange) {
    struct Case {
        const char* text;
        int32_t minimum, maximum, position;
        int steps;
        const char* out;
    };
    const Case cases[] = {
        {"500", 0, 10000, 500, 1, "501"},
        {"500", 0, 10000, 500, -1, "499"},
        {"10000", 0, 10000, 500, 1, "10000"},  // held at the top
        {"0", 0, 10000, 50, -1, "0"},          // held at the bottom
        {"abc", 0, 10000, 50, 1, "51"},        // not a number: from the up-down's position
        {"3.5", 0, 100, 10, -1, "9"},
        {"", 0, 100, 10, 1, "11"},
        {" 7 ", 0, 100, 10, -1, "6"},
        {"+3", 0, 100, 10, 1, "4"},
        {"-5", 0, 100, 10, 1, "1"},  // below the range: clamped, then stepped
        {"99999999999999999999999", 0, 10000, 500, 1, "501"},  // too long for a number
        {"20000", 0, 10000, 500, -10, "9990"},
        {"5", 0, 100, 10, 1000, "100"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stepUpDownText(c.text, c.minimum, c.maximum, c.position, c.steps), c.out)
            << '"' << c.text << "\" " << c.steps;
}

TEST(UpDownEdit, KeepsAnyTypedTextAndStepsIntoTheModel) {
    std::recursive_mutex mutex;
    TextControl edit(mutex, "500");
    UpDown upDown(mutex, 0, 10000, 500);
    UpDownEdit widget(edit, upDown);
    widget.show();
    widget.edit()->selectAll();
    QTest::keyClicks(widget.edit(), "5x0");
    EXPECT_EQ(edit.text(), "5x0");  // the window's checks judge it, not the widget
    widget.clearFocus();
    EXPECT_EQ(widget.edit()->text(), QString("5x0"));
    widget.stepBy(1);
    EXPECT_EQ(edit.text(), "501");
    EXPECT_EQ(widget.edit()->text(), QString("501"));
    QTest::keyClick(widget.edit(), Qt::Key_Down);
    EXPECT_EQ(edit.text(), "500");
}

TEST(UpDownEdit, ADisabledUpDownDoesNotStep) {
    std::recursive_mutex mutex;
    TextControl edit(mutex, "10", false);
    UpDown upDown(mutex, 0, 100, 10);
    upDown.setEnabled(false);
    UpDownEdit widget(edit, upDown);
    widget.stepBy(3);
    EXPECT_EQ(edit.text(), "10");
}

TEST(GridTableModel, PresentsRowZeroAsTheHeaderAndFollowsTheGridsShape) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 3, 2);
    grid.setHeaders({"#", "Length", "Object"});
    GridTableModel model(grid);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QString("Length"));
    EXPECT_FALSE(model.refresh());  // nothing moved since construction

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy columnsInserted(&model, &QAbstractItemModel::columnsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // 100,000 rows: the adapter takes the count, and reads only the cells asked for.
    grid.setRowCount(100001);
    grid.setCell(0, 100000, "100000");
    grid.setCell(2, 100000, "{A}{C}");
    grid.setColCount(5);
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(columnsInserted.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.data(model.index(99999, 2)).toString(), QString("{A}{C}"));
    EXPECT_EQ(model.data(model.index(99999, 1)).toString(), QString());
    EXPECT_FALSE(model.data(model.index(99999, 2), Qt::EditRole).isValid());

    grid.setRowCount(3);
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(removed.count(), 1);

    // A cell write alone keeps the shape and announces the change.
    grid.setCell(1, 1, "57");
    EXPECT_TRUE(model.refresh());
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QString("57"));
}

TEST(ControlBinder, RepaintsOnlyWhatChanged) {
    std::recursive_mutex mutex;
    TextControl a(mutex, "a"), b(mutex, "b");
    ControlBinder binder;
    int paintedA = 0, paintedB = 0;
    binder.bind(a, [&] { ++paintedA; });
    binder.bind(b, [&] { ++paintedB; });
    EXPECT_EQ(binder.sync(), 2);  // the first sync paints everything
    EXPECT_EQ(binder.sync(), 0);
    b.setText("b2");
    EXPECT_EQ(binder.sync(), 1);
    b.setText("b2");  // the same text is no change
    EXPECT_EQ(binder.sync(), 0);
    EXPECT_EQ(paintedA, 1);
    EXPECT_EQ(paintedB, 2);
}

TEST(ControlBinder, EditsAndChecksMirrorTheirControls) {
    std::recursive_mutex mutex;
    TextControl edit(mutex, "0,05");
    CheckControl check(mutex, "Shift positions", false, false);
    QLineEdit line;
    QPushButton box;
    box.setCheckable(true);
    ControlBinder binder;
    binder.bindEdit(edit, &line);
    binder.bindCheck(check, &box);
    binder.sync();
    EXPECT_EQ(line.text(), QString("0,05"));
    EXPECT_FALSE(box.isEnabled());
    EXPECT_EQ(box.text(), QString("Shift positions"));
    edit.setText("0,001");
    edit.setEnabled(false);
    check.setChecked(true);
    check.setEnabled(true);
    binder.sync();
    EXPECT_EQ(line.text(), QString("0,001"));
    EXPECT_FALSE(line.isEnabled());
    EXPECT_TRUE(box.isChecked());
    EXPECT_TRUE(box.isEnabled());
}

TEST(ChartBinding, DrawsBothSeriesWithFixedOrAutomaticAxes) {
    std::recursive_mutex mutex;
    Chart chart(mutex);
    chart.setXAxis({"Position", true, 0, 0});
    chart.setYAxis({"Score", true, 0, 0});
    chart.addPoint(0, 1, -2.0);
    chart.addPoint(0, 2, 4.0);
    chart.addPoint(0, 3, 1.0);
    chart.addPoint(1, 1, 1.0);
    chart.addPoint(1, 3, 1.0);
    ChartBinding view(chart);
    ASSERT_TRUE(view.refresh());
    EXPECT_FALSE(view.chart()->legend()->isVisible());
    ASSERT_EQ(view.series(0)->count(), 3);
    EXPECT_EQ(view.series(0)->at(1), QPointF(2, 4.0));
    EXPECT_EQ(view.series(1)->count(), 2);
    EXPECT_EQ(view.series(0)->color(), QColor(Qt::red));
    EXPECT_EQ(view.series(1)->color(), QColor(0, 0, 139));
    EXPECT_EQ(view.xAxis()->titleText(), QString("Position"));
    EXPECT_EQ(view.yAxis()->titleText(), QString("Score"));
    // Automatic: every point is inside the range, with a little room.
    EXPECT_LT(view.yAxis()->min(), -2.0);
    EXPECT_GT(view.yAxis()->max(), 4.0);
    EXPECT_FALSE(view.refresh());

    chart.setYAxis({"Percentage of sampling", false, 0.0, 1.1});
    chart.setXAxis({"Score", true, 0, 0});
    ASSERT_TRUE(view.refresh());
    EXPECT_EQ(view.yAxis()->titleText(), QString("Percentage of sampling"));
    EXPECT_DOUBLE_EQ(view.yAxis()->min(), 0.0);
    EXPECT_DOUBLE_EQ(view.yAxis()->max(), 1.1);

    chart.clearSeries(0);
    chart.clearSeries(1);
    ASSERT_TRUE(view.refresh());
    EXPECT_EQ(view.series(0)->count(), 0);
}

TEST(ChartBinding, AutomaticRangeCoversSingleValuesAndNoValues) {
    double low = 0, high = 0;
    automaticRange(false, 0, 0, low, high);
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(high, 1.0);
    automaticRange(true, 3.0, 3.0, low, high);
    EXPECT_EQ(low, 2.5);
    EXPECT_EQ(high, 3.5);
    automaticRange(true, 0.0, 10.0, low, high);
    EXPECT_EQ(low, -0.5);
    EXPECT_EQ(high, 10.5);
}

// Presses `button` of the first message box that opens, and records what the box showed.
struct BoxAnswerer {
    QString text, detail, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    void answer(QMessageBox::StandardButton button) {
        QTimer::singleShot(50, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            detail = box->detailedText();
            caption = box->windowTitle();
            icon = box->icon();
            buttons = static_cast<int>(box->standardButtons());
            box->button(button)->click();
        });
    }
};

TEST(QtDialogs, MessageBoxesShowTheModelsWordsAndReturnTheButtonPressed) {
    QtDialogs dialogs;
    BoxAnswerer answerer;
    answerer.answer(QMessageBox::No);
    const DialogAnswer answer =
        dialogs.messageBox({"Сохранить текущий проект?", "Подсказка", MessageIcon::Warning,
                            MessageButtons::YesNoCancel});
    EXPECT_EQ(answer, DialogAnswer::No);
    EXPECT_EQ(answerer.text, QString::fromUtf8("Сохранить текущий проект?"));
    EXPECT_EQ(answerer.caption, QString::fromUtf8("Подсказка"));
    EXPECT_EQ(answerer.icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.buttons, int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));

    BoxAnswerer failure;
    failure.answer(QMessageBox::Ok);
    EXPECT_EQ(dialogs.messageBox({"Error reading from file: /x/neg.seq\nline 2: no letters",
                                  "Error", MessageIcon::Error, MessageButtons::Ok}),
              DialogAnswer::Ok);
    EXPECT_EQ(failure.text, QString("Error reading from file: /x/neg.seq"));
    EXPECT_EQ(failure.detail, QString("line 2: no letters"));
    EXPECT_EQ(failure.icon, QMessageBox::Critical);
    EXPECT_EQ(failure.buttons, int(QMessageBox::Ok));
}

TEST(QtDialogs, ABoxAskedForByAWorkerIsShownLaterWithoutBlockingIt) {
    QtDialogs dialogs;
    DialogAnswer answer = DialogAnswer::Cancel;
    std::thread worker([&] {
        answer = dialogs.messageBox({"Error reading from the basic array of sequncies.", "Error",
                                     MessageIcon::Error, MessageButtons::Ok});
    });
    worker.join();  // returned at once: nothing waits for the window
    EXPECT_EQ(answer, DialogAnswer::Ok);
    BoxAnswerer answerer;
    answerer.answer(QMessageBox::Ok);
    // The queued box opens in the window's thread.
    ASSERT_TRUE(waitForEvents([&] { return !answerer.text.isEmpty(); }));
    EXPECT_EQ(answerer.text, QString("Error reading from the basic array of sequncies."));
    EXPECT_EQ(answerer.caption, QString("Error"));
}

TEST(QtDialogs, FileChoosersTakeTitleFilterFolderAndDefaultName) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QtDialogs dialogs;
    QString title, filter, directory, name;
    bool saving = false;
    auto inspect = [&] {
        QTimer::singleShot(100, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            title = chooser->windowTitle();
            filter = chooser->nameFilters().join(";;");
            directory = QDir(chooser->directory()).absolutePath();
            const QStringList files = chooser->selectedFiles();
            name = files.isEmpty() ? QString() : QFileInfo(files.first()).fileName();
            saving = chooser->acceptMode() == QFileDialog::AcceptSave;
            chooser->reject();
        });
    };
    FileRequest save{"SaveProjectDlg", "DNA Project (*.dnp)|*.dnp", "Сохранение проекта",
                     "Project1.dnp", folder.path().toStdString()};
    inspect();
    EXPECT_FALSE(dialogs.saveFile(save).has_value());  // cancelled
    EXPECT_EQ(title, QString::fromUtf8("Сохранение проекта"));
    EXPECT_EQ(filter, QString("DNA Project (*.dnp)"));
    EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
    EXPECT_EQ(name, QString("Project1.dnp"));
    EXPECT_TRUE(saving);

    FileRequest open{"AddSeqsDlg", "Sequences (*.seq)|*.seq", "", "", folder.path().toStdString()};
    inspect();
    EXPECT_FALSE(dialogs.openFile(open).has_value());
    EXPECT_EQ(filter, QString("Sequences (*.seq)"));
    EXPECT_FALSE(saving);

    // Further choices come after the first filter, which stays the one chosen at first.
    open.moreFilters = "Sequences and FASTA (*.seq *.fa)|*.seq;*.fa|All files (*)|*";
    inspect();
    EXPECT_FALSE(dialogs.openFile(open).has_value());
    EXPECT_EQ(filter,
              QString("Sequences (*.seq);;Sequences and FASTA (*.seq *.fa);;All files (*)"));
}

TEST(QtDialogs, HelpShowsTheManualOrReportsItMissing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString manual = folder.filePath("manual.md");
    QtDialogs missing({folder.filePath("absent.md")});
    EXPECT_EQ(missing.launch("hh.exe", "ProgramHelp.chm"), LaunchFailure::NotFound);
    EXPECT_EQ(missing.helpViewer(), nullptr);

    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# Motifora\n\nЗагрузка последовательностей: *Source* menu.\n");
    file.close();
    QtDialogs present({folder.filePath("absent.md"), manual});
    EXPECT_EQ(present.manualPath(), QFileInfo(manual).absoluteFilePath());
    EXPECT_EQ(present.launch("hh.exe", "ProgramHelp.chm"), LaunchFailure::None);
    ASSERT_NE(present.helpViewer(), nullptr);
    EXPECT_TRUE(present.helpViewer()->isVisible());
    EXPECT_TRUE(present.helpViewer()->browser()->toPlainText().contains(
        QString::fromUtf8("Загрузка последовательностей")));
}

TEST(AboutBox, HasItsCaptionAndClosesWithClose) {
    AboutBox box;
    EXPECT_EQ(box.windowTitle(), QString("AboutFrm"));
    EXPECT_EQ(box.closeButton()->text(), QString("Close"));
    EXPECT_TRUE(box.isModal());
    QTimer::singleShot(50, [&box] { box.closeButton()->click(); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace motifora::testing
