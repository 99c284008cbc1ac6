// Runs of the installer inside the test, over the distribution the build wrote: its windows
// driven as a user would, and a platform that reports files in use.
#include "Sandbox.h"

#include "installer/InstInfo.h"
#include "installer/framework/CopyWindow.h"
#include "installer/framework/LinuxPlatform.h"
#include "installer/framework/PageWindow.h"
#include "installer/framework/SettingsStore.h"
#include "installer/framework/Uninstall.h"
#include "installer/framework/WidgetView.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace installertest;

namespace {

// A sandboxed run in windows: the form with its configuration, the working files of the
// loader, and a hook for each page shown.
struct WindowRun {
    Sandbox sandbox;
    TForm1 form;
    LinuxPlatform platform{sandbox.root(), true};
    WidgetView view{*form.MainTranslator, &form};
    RunOptions options;
    std::vector<TPageKind> pagesSeen;
    QStringList errors;
    std::map<TPageKind, std::function<void(PageWindow&)>> onPage;

    WindowRun()
    {
        options.distributionFolder = distributionFolder();
        options.workFolder = sandbox.temporary() + "/work";
        unpackSetup(options.workFolder);
        view.errorBox = [this](QWidget*, const QString& message) {
            errors << message;
        };
        QObject::connect(&view, &WidgetView::pageShown, [this](PageWindow* window, TPageKind kind) {
            pagesSeen.push_back(kind);
            // Acted on once the window's own event loop runs.
            QTimer::singleShot(0, window, [this, window, kind] {
                if (auto it = onPage.find(kind); it != onPage.end())
                    it->second(*window);
            });
        });
    }

    RunOutcome execute()
    {
        InstallRun run(*form.Install1, *form.MainTranslator, platform, view, options);
        return run.execute();
    }
};

QPushButton* button(PageWindow& window, const char* name)
{
    return window.findChild<QPushButton*>(name);
}

void click(PageWindow& window, const char* name)
{
    button(window, name)->click();
}

QLineEdit* edit(PageWindow& window, const char* name)
{
    return window.findChild<QLineEdit*>(name);
}

} // namespace

TEST(InstallerWindows, CancelOnTheDestinationPageInstallsNothing)
{
    WindowRun run;
    run.onPage[pkSelectDestination] = [](PageWindow& w) {
        click(w, "CancelBtn");
    };
    run.onPage[pkBadInstallation] = [](PageWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Setup incomplete");
        EXPECT_TRUE(button(w, "FinishBtn")->isVisible());
        EXPECT_FALSE(button(w, "NextBtn")->isVisible());
        click(w, "FinishBtn");
    };
    const auto before = snapshot(run.sandbox.root());
    EXPECT_EQ(run.execute(), RunOutcome::Cancelled);
    EXPECT_EQ(run.pagesSeen, (std::vector{pkSelectDestination, pkBadInstallation}));
    EXPECT_TRUE(run.errors.isEmpty()) << "a cancel shows no message box";
    EXPECT_EQ(snapshot(run.sandbox.root()), before);
}

TEST(InstallerWindows, CancelWhileTheEngineIsCopiedKeepsTheProgramAndLeavesNoPartialFile)
{
    WindowRun run;
    run.onPage[pkSelectDestination] = [](PageWindow& w) {
        click(w, "NextBtn");
    };
    run.onPage[pkSelectFolder] = [](PageWindow& w) {
        click(w, "NextBtn");
    };
    run.onPage[pkBadInstallation] = [](PageWindow& w) {
        click(w, "FinishBtn");
    };
    bool cancelledMidFile = false;
    QObject::connect(
        &run.view, &WidgetView::copyStarted, [&](CopyWindow* window, const QString& file) {
            EXPECT_EQ(window->windowTitle(), "Copying installation files");
            if (file != "libradaziz-engine.so")
                return;
            QObject::connect(window, &CopyWindow::progressed, window,
                             [&, window](const QString&, int done, int) {
                                 if (!cancelledMidFile && done > 0 && done < 100) {
                                     cancelledMidFile = true;
                                     window->findChild<QPushButton*>("CancelBtn")->click();
                                 }
                             });
        });
    EXPECT_EQ(run.execute(), RunOutcome::Cancelled);
    EXPECT_TRUE(cancelledMidFile);
    EXPECT_EQ(run.pagesSeen.back(), pkBadInstallation);
    EXPECT_TRUE(run.errors.isEmpty());
    const Sandbox& s = run.sandbox;
    EXPECT_EQ(fileBytes(s.programFolder() + "/radaziz"), packagedFile("radaziz-launcher"));
    EXPECT_TRUE(
        QDir(s.engineFolder()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        << "no file, whole or partial, under any name";
    EXPECT_FALSE(QFileInfo::exists(s.uninstallFolder())) << "nothing after the cancel";
    for (const QString& file : filesUnder(s.programFiles()))
        EXPECT_EQ(fileBytes(s.programFiles() + "/" + file), packagedFile(sourceOf(file)))
            << file.toStdString();

    // The record lets the uninstaller remove what the cancelled run left.
    const UninstallResult removed = uninstallProduct(run.platform, kProduct);
    EXPECT_TRUE(removed.failed.isEmpty()) << removed.failed.join("\n").toStdString();
    EXPECT_EQ(filesUnder(s.root()), QStringList{});
}

TEST(InstallerWindows, PreviousShowsTheDestinationAsLeftAndTheFolderPageNamesTheMenu)
{
    WindowRun run;
    const Sandbox& s = run.sandbox;
    // Existing submenus, of the desktop's own menu and of other programs.
    writeBytes(s.root() + "/etc/xdg/menus/applications.menu",
               "<Menu><Name>Applications</Name><Menu><Name>zeta</Name></Menu>"
               "<Menu><Name>Accessories</Name></Menu></Menu>");
    writeBytes(s.mergedMenus() + "/other.menu",
               "<Menu><Name>Applications</Name><Menu><Name>beta</Name></Menu></Menu>");
    const QString typed = s.root() + "/srv/Escritório/Radaziz";
    const QString browsed = s.root() + "/srv/Escolhida";
    run.view.browseFolder = [&](QWidget*, const QString& start) {
        EXPECT_EQ(start, s.mainFolder());
        return browsed;
    };
    int destinationVisits = 0;
    run.onPage[pkSelectDestination] = [&](PageWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Choose Destination Location");
        EXPECT_FALSE(button(w, "PreviousBtn")->isVisible()) << "the first page has no Previous";
        if (++destinationVisits == 1) {
            EXPECT_EQ(edit(w, "DestinationEdit")->text(), s.mainFolder());
            click(w, "BrowseBtn");
            EXPECT_EQ(edit(w, "DestinationEdit")->text(), browsed);
            edit(w, "DestinationEdit")->setText(typed);
        } else {
            EXPECT_EQ(edit(w, "DestinationEdit")->text(), typed);
        }
        click(w, "NextBtn");
    };
    int folderVisits = 0;
    run.onPage[pkSelectFolder] = [&](PageWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Select folder in start menu");
        EXPECT_TRUE(button(w, "PreviousBtn")->isVisible());
        auto* list = w.findChild<QListWidget*>("FolderList");
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        EXPECT_EQ(names, (QStringList{"Accessories", "beta", "zeta"}));
        if (++folderVisits == 1) {
            EXPECT_EQ(edit(w, "FolderEdit")->text(), kProduct);
            list->setCurrentRow(1);
            emit list->itemClicked(list->item(1));
            EXPECT_EQ(edit(w, "FolderEdit")->text(), "beta");
            edit(w, "FolderEdit")->setText("Folha de Pagamento");
            click(w, "PreviousBtn");
        } else {
            EXPECT_EQ(edit(w, "FolderEdit")->text(), "Folha de Pagamento");
            click(w, "NextBtn");
        }
    };
    run.onPage[pkGoodInstallation] = [](PageWindow& w) {
        EXPECT_EQ(w.windowTitle(), "Setup complete");
        EXPECT_FALSE(button(w, "CancelBtn")->isVisible());
        click(w, "FinishBtn");
    };
    EXPECT_EQ(run.execute(), RunOutcome::Completed) << run.errors.join("\n").toStdString();
    EXPECT_EQ(destinationVisits, 2);
    EXPECT_TRUE(QFileInfo(typed + "/Program files/radaziz").isFile());
    EXPECT_TRUE(QFileInfo(s.menuFolder("Folha de Pagamento") + "/Radaziz.desktop").isFile());
    EXPECT_TRUE(QFileInfo(s.menuFolder("Folha de Pagamento") + "/uninstall.desktop").isFile());
}

TEST(InstallerWindows, AnswersThatCannotBeUsedAreRefusedOnTheirPage)
{
    WindowRun run;
    int refusals = 0;
    run.view.errorBox = [&](QWidget*, const QString&) {
        ++refusals;
    };
    run.onPage[pkSelectDestination] = [&](PageWindow& w) {
        edit(w, "DestinationEdit")->setText("relative/folder");
        click(w, "NextBtn");
        EXPECT_EQ(w.currentKind(), pkSelectDestination) << "stays on the page";
        click(w, "CancelBtn");
    };
    run.onPage[pkBadInstallation] = [](PageWindow& w) {
        click(w, "FinishBtn");
    };
    EXPECT_EQ(run.execute(), RunOutcome::Cancelled);
    EXPECT_EQ(refusals, 1);
}
