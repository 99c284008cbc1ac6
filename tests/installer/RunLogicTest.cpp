// The run's rules that no window shows: files in use, the engine configuration's merge, a run
// without the loader. The pages pass by themselves; what the run shows is recorded.
#include "Sandbox.h"

#include "installer/InstInfo.h"
#include "installer/framework/InstallRun.h"
#include "installer/framework/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>

using namespace installertest;

namespace {

struct ScriptedView : RunView {
    QStringList shown; // statuses, pages, errors, in order
    bool restartAnswer = false;

    void showStatus(const QString& text) override { shown << "status: " + text; }
    void hideStatus() override {}
    void setBusy(bool) override {}
    bool showPages(const QList<TInstallPage*>& pages, PageAnswers&) override
    {
        for (const TInstallPage* page : pages)
            shown << "page: " + page->objectName();
        return true;
    }
    void beginCopy(const QString&) override {}
    void copyProgress(int, int) override {}
    void endCopy() override {}
    bool cancelRequested() const override { return false; }
    void showError(const QString& message) override { shown << "error: " + message; }
    bool confirmRestart(const QString& question) override
    {
        shown << "question: " + question;
        return restartAnswer;
    }
};

// Reports one file in use, and what the run asked of the system.
struct FakePlatform : LinuxPlatform {
    using LinuxPlatform::LinuxPlatform;
    QString inUse;
    bool restartWorks = true;
    QStringList calls;

    bool isFileInUse(const QString& path) const override { return path == inUse; }
    void scheduleReplacement(const QString& from, const QString& to) override
    {
        calls << "replace " + from + " -> " + to;
    }
    void scheduleRun(const QString& program, const QStringList& arguments) override
    {
        calls << "run " + program + " " + arguments.join(' ');
    }
    void finishScheduledRun() override { calls << "run done"; }
    bool restartSystem() override
    {
        calls << "restart";
        return restartWorks;
    }
};

struct LogicRun {
    Sandbox sandbox;
    TForm1 form;
    FakePlatform platform{sandbox.root(), true};
    ScriptedView view;
    RunOptions options;

    LogicRun()
    {
        options.distributionFolder = distributionFolder();
        options.workFolder = sandbox.temporary() + "/work";
        options.program = options.workFolder + "/brevand";
        unpackSetup(options.workFolder);
    }

    RunOutcome execute()
    {
        InstallRun run(*form.Install1, *form.MainTranslator, platform, view, options);
        return run.execute();
    }
};

} // namespace

TEST(InstallerRun, ShowsItsStatusesAndPagesInOrder)
{
    LogicRun run;
    EXPECT_EQ(run.execute(), RunOutcome::Completed);
    EXPECT_EQ(run.view.shown,
              (QStringList{"status: Reading file information...", "page: SelectDestinationDlg",
                           "page: SelectFolderDlg", "status: Installing shell links...",
                           "page: GoodInstallationDlg"}));
}

TEST(InstallerRun, FileInUseIsReplacedAfterARestartTheUserAgreesTo)
{
    struct Case {
        bool agrees;
        bool restartWorks;
        QStringList restartCalls;
        bool rebootMessage;
    } cases[] = {
        {false, true, {}, false},
        {true, true, {"restart"}, false},
        {true, false, {"restart"}, true},
    };
    for (const Case& c : cases) {
        LogicRun run;
        const QString library = run.sandbox.engineFolder() + "/libradaziz-engine.so";
        const QByteArray old = "an old engine in use @(#)FileVersion 0.1";
        writeBytes(library, old);
        run.platform.inUse = library;
        run.platform.restartWorks = c.restartWorks;
        run.view.restartAnswer = c.agrees;
        EXPECT_EQ(run.execute(), RunOutcome::RestartPending);
        EXPECT_EQ(fileBytes(library), old) << "untouched while in use";
        EXPECT_EQ(fileBytes(library + ".~1~"), packagedFile("libradaziz-engine.so"))
            << "the new copy waits beside it";
        QStringList expected{"replace " + library + ".~1~ -> " + library,
                             "run " + run.options.program + " --after-restart --work " +
                                 run.options.workFolder + " --distribution " +
                                 run.options.distributionFolder};
        expected += c.restartCalls;
        EXPECT_EQ(run.platform.calls, expected);
        EXPECT_TRUE(run.view.shown.last().startsWith(c.rebootMessage ? "error: Could not reboot"
                                                                     : "question: "))
            << run.view.shown.join("\n").toStdString();
        EXPECT_FALSE(run.view.shown.contains("page: GoodInstallationDlg"));

        // The run after the restart completes the replacement.
        InstallRun second(
            *run.form.Install1, *run.form.MainTranslator, run.platform, run.view,
            {run.options.distributionFolder, run.options.workFolder, {}, {}, true, {}});
        run.view.shown.clear();
        EXPECT_EQ(second.execute(), RunOutcome::Completed);
        EXPECT_EQ(fileBytes(library), packagedFile("libradaziz-engine.so"));
        EXPECT_FALSE(QFileInfo::exists(library + ".~1~"));
        EXPECT_EQ(run.platform.calls.last(), "run done");
        EXPECT_EQ(run.view.shown, QStringList{"page: GoodInstallationDlg"});
    }
}

TEST(InstallerRun, EngineConfigurationIsMergedOrKeptApartWhenItCannotBe)
{
    struct Case {
        const char* what;
        QByteArray inUse;
        bool merges;
    } cases[] = {
        {"a configuration in use", "[System]\nLanguage=0009\nSharedMemorySize=4096\n[Local]\nA=1\n",
         true},
        {"a damaged configuration in use", "[System\ngarbage without an equals sign\n", false},
    };
    for (const Case& c : cases) {
        LogicRun run;
        const QString folder = run.sandbox.root() + "/srv/engine";
        const QString config = run.sandbox.root() + "/etc/engine.cfg";
        writeStore(run.sandbox.store(), {{"Engine/Folder", folder},
                                         {"Engine/Language", "0009"},
                                         {"Engine/ConfigFile", config}});
        writeBytes(config, c.inUse);
        EXPECT_EQ(run.execute(), RunOutcome::Completed) << c.what;
        EXPECT_TRUE(QFileInfo(run.sandbox.root() + "/etc/radaziz-engine.cnf").isFile())
            << "the shipped configuration goes beside the one in use";
        const QString registered =
            storeValues(run.sandbox.store()).value("Engine/ConfigFile").toString();
        if (c.merges) {
            const QByteArray merged = fileBytes(config);
            EXPECT_TRUE(merged.contains("SharedMemorySize=4096")) << "its own settings stay";
            EXPECT_FALSE(merged.contains("SharedMemorySize=2048"));
            EXPECT_TRUE(merged.contains("[Local]\nA=1"));
            EXPECT_TRUE(merged.contains("DefaultDriver=DBASE")) << "missing settings are added";
            EXPECT_TRUE(merged.contains("[WORKTABLE]"));
            EXPECT_EQ(registered, config);
        } else {
            EXPECT_EQ(fileBytes(config), c.inUse) << "left as it was";
            EXPECT_EQ(fileBytes(run.sandbox.root() + "/etc/IDAPINEW.CFG"),
                      packagedFile("radaziz-engine-1.cnf"));
            EXPECT_EQ(registered, run.sandbox.root() + "/etc/IDAPINEW.CFG");
        }
    }
}

TEST(InstallerRun, FailuresShowTheFailurePageThenTheMessage)
{
    struct Case {
        const char* what;
        std::function<void(LogicRun&)> prepare;
        const char* message;
    } cases[] = {
        {"started without the loader", [](LogicRun& r) { r.options.distributionFolder.clear(); },
         "Setup must be started with its loader program"},
        {"the engine's installation library missing",
         [](LogicRun& r) { QFile::remove(r.options.workFolder + "/libradaziz-engine-setup.so"); },
         "libradaziz-engine-setup.so cannot be loaded"},
        {"a folder where a file goes",
         [](LogicRun& r) { QDir().mkpath(r.sandbox.programFolder() + "/radaziz"); },
         "something that is not a file is in its place"},
    };
    for (const Case& c : cases) {
        LogicRun run;
        c.prepare(run);
        EXPECT_EQ(run.execute(), RunOutcome::Failed) << c.what;
        ASSERT_GE(run.view.shown.size(), 2);
        EXPECT_EQ(run.view.shown[run.view.shown.size() - 2], "page: BadInstallationDlg") << c.what;
        EXPECT_TRUE(run.view.shown.last().startsWith("error: ")) << c.what;
        EXPECT_TRUE(run.view.shown.last().contains(c.message))
            << c.what << ": " << run.view.shown.last().toStdString();
    }
}
