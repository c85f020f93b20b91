// The workbench's start-up: its command line (a project from the file manager), where Help
// finds the installed manual, and the version in the about box.
#include <gtest/gtest.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <memory>

#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/CommandLine.h"
#include "ui/qt/QtDialogs.h"
#include "version/Version.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

const std::string kPositive = std::string(MOTIFORA_EXAMPLES_DIR) + "/promoters_pos.seq";

bool parse(QCommandLineParser& parser, const QStringList& arguments) {
    describeWindowCommandLine(parser);
    return parser.parse(QStringList{"motifora"} + arguments);
}

TEST(WindowCommandLine, NamesTheProjectToOpen) {
    QCommandLineParser none;
    ASSERT_TRUE(parse(none, {}));
    EXPECT_TRUE(startupProject(none).isEmpty());

    QCommandLineParser one;
    ASSERT_TRUE(parse(one, {"/data/run 1/promoters.dnp"}));
    EXPECT_EQ(startupProject(one), QString("/data/run 1/promoters.dnp"));

    QCommandLineParser two;
    ASSERT_TRUE(parse(two, {"first.dnp", "second.dnp"}));
    EXPECT_EQ(startupProject(two), QString("first.dnp"));

    QCommandLineParser version;
    ASSERT_TRUE(parse(version, {"--version"}));
    EXPECT_TRUE(version.isSet("version"));
    EXPECT_TRUE(startupProject(version).isEmpty());

    QCommandLineParser unknown;
    EXPECT_FALSE(parse(unknown, {"--no-such-option"}));
}

// A project with the example's positive sample, saved through the window model.
std::string saveExampleProject(const QTemporaryDir& folder) {
    ScriptedDialogs dialogs;
    TMainForm form(dialogs);
    dialogs.choose(kPositive);
    form.mmbtnAddSequenciesClick();
    const std::string path = folder.filePath("from file manager.dnp").toStdString();
    dialogs.choose(path);
    EXPECT_TRUE(form.saveProjectAs());
    return path;
}

TEST(WindowCommandLine, OpensTheNamedProjectOnceTheEventLoopRuns) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = saveExampleProject(folder);
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path)));

    ScriptedDialogs dialogs;
    TMainForm form(dialogs);
    QObject window;
    QCommandLineParser parser;
    ASSERT_TRUE(parse(parser, {QString::fromStdString(path)}));
    openStartupProject(parser, form, &window);
    EXPECT_EQ(form.projectName, "Project1.dnp") << "opened before the window was up";
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_TRUE(dialogs.files.empty());
    EXPECT_EQ(form.projectName, path);
    EXPECT_EQ(form.Caption.text(), "Motifora - " + path);
    EXPECT_EQ(form.manager().learnPositiveCount(), 53);
}

TEST(WindowCommandLine, ARefusedProjectIsReportedAndAGoneWindowOpensNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath("missing.dnp");

    ScriptedDialogs dialogs;
    TMainForm form(dialogs);
    {
        QCommandLineParser parser;
        ASSERT_TRUE(parse(parser, {missing}));
        auto window = std::make_unique<QObject>();
        openStartupProject(parser, form, window.get());
        window.reset();
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialogs.messages.empty());
    }
    QObject window;
    QCommandLineParser parser;
    ASSERT_TRUE(parse(parser, {missing}));
    openStartupProject(parser, form, &window);
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("Ошибка чтения из файла: " + missing.toStdString(), 0),
              0u)
        << dialogs.messages[0].text;
    EXPECT_EQ(form.projectName, "Project1.dnp");
}

TEST(ManualLookup, FindsTheInstalledManualFromTheProgramsFolder) {
    // An installed tree moved to an unusual place: prefix/bin/motifora and
    // prefix/share/motifora/manual.md.
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/motifora"));
    const QString bin = prefix.filePath("bin");
    const QString installed = prefix.filePath("share/motifora/manual.md");

    const QStringList files = defaultManualFiles(bin);
    ASSERT_GE(files.size(), 2);
    EXPECT_EQ(files[0], bin + "/manual.md");
    EXPECT_EQ(files[1], installed);
    EXPECT_TRUE(QtDialogs(QStringList{files[0], files[1]}).manualPath().isEmpty());

    QFile manual(installed);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("# Motifora\n");
    manual.close();
    EXPECT_EQ(QtDialogs(QStringList{files[0], files[1]}).manualPath(), installed);

    // A copy beside the program (a build folder) comes first.
    QFile beside(bin + "/manual.md");
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(QtDialogs(QStringList{files[0], files[1]}).manualPath(), bin + "/manual.md");
}

TEST(AboutBoxVersion, ShowsTheVersionMotiforaCliPrints) {
    AboutBox box;
    bool found = false;
    for (const QLabel* label : box.findChildren<QLabel*>())
        found = found || label->text() == "Version " + QString::fromStdString(versionText());
    EXPECT_TRUE(found) << versionText();
}

}  // namespace
}  // namespace motifora::testing
