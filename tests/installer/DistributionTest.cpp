// Whole installations and uninstallations in a sandbox, through the distribution the build
// wrote, run unattended as an administrator would.
#include "Sandbox.h"

#include "sample/SampleDrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <functional>

using namespace installertest;

namespace {

constexpr const char* kEngineLibrary = "libradaziz-engine.so";
constexpr const char* kEngineMessages = "radaziz-engine-0009.msg";

// An engine library that carries the marked version text, as the real one does.
QByteArray fakeEngine(const char* version)
{
    return QByteArray("\x7f"
                      "ELF not a real library @(#)FileVersion ") +
           version + '\0';
}

int useCount(const Sandbox& sandbox, const QString& path)
{
    const QMap<QString, QVariant> values = storeValues(sandbox.store());
    const int n = values.value("SharedFiles/size").toInt();
    for (int i = 1; i <= n; ++i)
        if (values.value(QString("SharedFiles/%1/Path").arg(i)).toString() == path)
            return values.value(QString("SharedFiles/%1/Count").arg(i)).toInt();
    return 0;
}

QString validate(const QString& file)
{
    const ProcessResult r =
        run("desktop-file-validate", {file}, QProcessEnvironment::systemEnvironment());
    return r.exitCode == 0 ? r.out + r.err
                           : QString("exit %1: %2%3").arg(r.exitCode).arg(r.out, r.err);
}

void expectInstalled(const Sandbox& s, const QString& folderName)
{
    const QStringList files{
        s.programFolder() + "/radaziz",
        s.programFolder() + "/radaziz-export",
        s.programFolder() + "/radaziz.png",
        s.programFolder() + "/libexec/radaziz",
        s.programFolder() + "/libexec/radaziz-export",
        s.uninstallFolder() + "/uninstall",
        s.uninstallFolder() + "/uninstall.png",
        s.engineFolder() + "/" + kEngineLibrary,
        s.engineFolder() + "/" + kEngineMessages,
        s.engineFolder() + "/radaziz-engine.cnf",
        s.engineFolder() + "/radaziz-engine.cfg",
        s.menuFolder(folderName) + "/Radaziz.desktop",
        s.menuFolder(folderName) + "/uninstall.desktop",
    };
    for (const QString& file : files)
        EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    for (const char* program : {"/radaziz", "/radaziz-export", "/libexec/radaziz"})
        EXPECT_TRUE(QFileInfo(s.programFolder() + program).isExecutable()) << program;
}

} // namespace

TEST(Distribution, FullInstallPutsEveryFileInPlaceAndTheProgramFindsItsEngine)
{
    Sandbox s;
    const ProcessResult setup = runSetup(s);
    ASSERT_EQ(setup.exitCode, 0) << setup.out.toStdString() << setup.err.toStdString();
    EXPECT_TRUE(setup.out.contains("Reading file information...")) << setup.out.toStdString();
    EXPECT_TRUE(setup.out.contains("Installing shell links..."));
    EXPECT_TRUE(setup.out.contains("Setup complete"));
    expectInstalled(s, "Radaziz de Rendimentos 99");
    EXPECT_TRUE(QDir(s.temporary()).isEmpty()) << "the loader's working files are removed";

    // Installed files are the packaged ones, with their recorded dates.
    EXPECT_EQ(fileBytes(s.engineFolder() + "/" + kEngineLibrary), packagedFile(kEngineLibrary));
    EXPECT_EQ(fileBytes(s.engineFolder() + "/radaziz-engine.cnf"),
              packagedFile("radaziz-engine-1.cnf"));
    EXPECT_EQ(fileBytes(s.engineFolder() + "/radaziz-engine.cfg"),
              packagedFile("radaziz-engine-1.cnf"))
        << "with no configuration in use, the shipped one becomes it";

    // Menu entries and the folder's directory entry pass the desktop's validator.
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        QStringList entries{s.menuFolder() + "/Radaziz.desktop",
                            s.menuFolder() + "/uninstall.desktop"};
        entries += QDir(s.root() + "/usr/local/share/desktop-directories")
                       .entryList({"*.directory"}, QDir::Files);
        entries.last().prepend(s.root() + "/usr/local/share/desktop-directories/");
        for (const QString& entry : entries)
            EXPECT_EQ(validate(entry), QString()) << entry.toStdString();
    }
    const QString radazizEntry = QString::fromUtf8(fileBytes(s.menuFolder() + "/Radaziz.desktop"));
    EXPECT_TRUE(radazizEntry.contains("Exec=\"" + s.programFolder() + "/radaziz\"\n"))
        << radazizEntry.toStdString();
    EXPECT_TRUE(radazizEntry.contains("Path=" + s.programFolder() + "\n"));
    EXPECT_TRUE(radazizEntry.contains("Icon=" + s.programFolder() + "/radaziz.png\n"));
    const QString uninstallEntry =
        QString::fromUtf8(fileBytes(s.menuFolder() + "/uninstall.desktop"));
    EXPECT_TRUE(uninstallEntry.contains("Exec=" + s.uninstallFolder() +
                                        "/uninstall \"Radaziz de Rendimentos 99\"\n"))
        << uninstallEntry.toStdString();
    EXPECT_TRUE(uninstallEntry.contains("Path=" + s.uninstallFolder() + "\n"));
    const QString menu =
        QString::fromUtf8(fileBytes(s.mergedMenus() + "/brevand-radaziz-de-rendimentos-99.menu"));
    EXPECT_TRUE(menu.contains("<Filename>Radaziz de Rendimentos 99-Radaziz.desktop</Filename>"));
    EXPECT_TRUE(menu.contains("<Filename>Radaziz de Rendimentos 99-uninstall.desktop</Filename>"));

    // The registrations.
    const QMap<QString, QVariant> store = storeValues(s.store());
    EXPECT_EQ(store.value("Engine/Folder").toString(), s.engineFolder());
    EXPECT_EQ(store.value("Engine/Language").toString(), "0009");
    EXPECT_EQ(store.value("Engine/ConfigFile").toString(),
              s.engineFolder() + "/radaziz-engine.cfg");
    EXPECT_EQ(store.value("Uninstall/" + kProduct + "/UninstallString").toString(),
              s.uninstallFolder() + "/uninstall " + kProduct);
    EXPECT_EQ(useCount(s, s.engineFolder() + "/" + kEngineLibrary), 1);
    EXPECT_EQ(useCount(s, s.engineFolder() + "/" + kEngineMessages), 1);

    // The installed exporter finds its engine through the registration and writes the PDF.
    testsupport::TempDir work;
    sample::writeSampleDrive(work / "drive");
    const QString pdf = QString::fromStdString((work / "out.pdf").string());
    const ProcessResult exported =
        run(s.programFolder() + "/radaziz-export",
            {"--drive", QString::fromStdString((work / "drive").string()), "--responsavel",
             "FULANO DE TAL", "--out", pdf},
            s.environment());
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    ASSERT_TRUE(QFileInfo(pdf).isFile());
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF"));

    // Without the launcher the program has no way to the engine: nothing of the build is used.
    const ProcessResult direct =
        run(s.programFolder() + "/libexec/radaziz-export", {"--help"}, s.environment());
    EXPECT_NE(direct.exitCode, 0);
    EXPECT_TRUE(direct.err.contains(kEngineLibrary)) << direct.err.toStdString();
}

TEST(Distribution, InstalledProgramSaysWhenItsEngineIsMissing)
{
    Sandbox s;
    ASSERT_EQ(runSetup(s).exitCode, 0);
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        const char* message;
    } cases[] = {
        {"engine library deleted", [&] { QFile::remove(s.engineFolder() + "/" + kEngineLibrary); },
         "está incompleta"},
        {"registration removed",
         [&] {
             QSettings store(s.store(), QSettings::IniFormat);
             store.remove("Engine");
         },
         "não está instalado"},
    };
    for (const Case& c : cases) {
        c.breakIt();
        const ProcessResult r =
            run(s.programFolder() + "/radaziz-export",
                {"--drive", s.root(), "--out", s.root() + "/x.pdf"}, s.environment());
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message)))
            << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("radaziz-export: ")) << r.err.toStdString();
    }
}

TEST(Distribution, EngineOfAnotherLanguageStopsTheRunBeforeItsFiles)
{
    Sandbox s;
    const QString otherEngine = s.root() + "/opt/Other Engine";
    writeStore(s.store(), {{"Engine/Folder", otherEngine},
                           {"Engine/Language", "0007"},
                           {"Engine/ConfigFile", otherEngine + "/radaziz-engine.cfg"}});
    const ProcessResult r = runSetup(s);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Setup incomplete")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("The Radaziz database engine installed on this machine is a "
                               "different language from the Radaziz database engine being "
                               "installed"))
        << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(s.programFolder() + "/radaziz").isFile())
        << "installed before the engine";
    EXPECT_FALSE(QFileInfo::exists(otherEngine)) << "no engine file was copied";
    EXPECT_FALSE(QFileInfo::exists(s.engineFolder()));
    EXPECT_FALSE(QFileInfo::exists(s.uninstallFolder()));
    EXPECT_EQ(storeValues(s.store()).value("Engine/Language").toString(), "0007");
}

TEST(Distribution, EngineFilesGoByVersionAndDateTheProgramIsAlwaysReplaced)
{
    // An engine registered in a folder of its own, where its files are replaced or kept.
    Sandbox s;
    const QString engine = s.root() + "/srv/engine";
    writeStore(s.store(), {{"Engine/Folder", engine},
                           {"Engine/Language", "0009"},
                           {"SharedFiles/size", 1},
                           {"SharedFiles/1/Path", engine + "/" + kEngineLibrary},
                           {"SharedFiles/1/Count", 3}});
    const QByteArray olderLibrary = fakeEngine("0.9.0.0");
    const QByteArray messages = "messages of a later date";
    const QByteArray newerProgram = "a program of a later version @(#)FileVersion 99.0";
    writeBytes(engine + "/" + kEngineLibrary, olderLibrary);
    writeBytes(engine + "/" + kEngineMessages, messages);
    setDate(engine + "/" + kEngineMessages, QDateTime::currentSecsSinceEpoch() + 86400 * 365);
    writeBytes(s.programFolder() + "/radaziz", newerProgram);
    setDate(s.programFolder() + "/radaziz", QDateTime::currentSecsSinceEpoch() + 86400 * 365);

    const ProcessResult r = runSetup(s);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(engine + "/" + kEngineLibrary), packagedFile(kEngineLibrary))
        << "an older version is replaced";
    EXPECT_EQ(fileBytes(engine + "/" + kEngineMessages), messages)
        << "no version on both, and a later date on disk: kept";
    EXPECT_EQ(useCount(s, engine + "/" + kEngineLibrary), 4);
    EXPECT_EQ(useCount(s, engine + "/" + kEngineMessages), 2)
        << "a copy of unknown users counts as one user";
    EXPECT_EQ(fileBytes(s.programFolder() + "/radaziz"), packagedFile("radaziz-launcher"))
        << "the program is replaced whatever its version and date";
    EXPECT_FALSE(QFileInfo::exists(s.engineFolder())) << "not the default engine folder";
    EXPECT_EQ(storeValues(s.store()).value("Engine/ConfigFile").toString(),
              engine + "/radaziz-engine.cfg");

    // A newer library stays; an older dated copy of the same version is replaced.
    Sandbox t;
    writeStore(t.store(), {{"Engine/Folder", t.engineFolder()}, {"Engine/Language", "0009"}});
    const QByteArray newerLibrary = fakeEngine("9.0.0.0");
    writeBytes(t.engineFolder() + "/" + kEngineLibrary, newerLibrary);
    writeBytes(t.engineFolder() + "/" + kEngineMessages, messages);
    setDate(t.engineFolder() + "/" + kEngineMessages, 86400);
    ASSERT_EQ(runSetup(t).exitCode, 0);
    EXPECT_EQ(fileBytes(t.engineFolder() + "/" + kEngineLibrary), newerLibrary);
    EXPECT_EQ(fileBytes(t.engineFolder() + "/" + kEngineMessages), packagedFile(kEngineMessages));
    EXPECT_EQ(useCount(t, t.engineFolder() + "/" + kEngineLibrary), 2);
}

TEST(Distribution, AnotherProgramFolderTakesBothEntries)
{
    Sandbox s;
    const QString folder = QString::fromUtf8("Utilitários Fiscais");
    const ProcessResult r =
        runSetup(s, {"--folder", folder, "--dest", s.root() + "/srv/Radaziz 99"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(s.menuFolder(folder) + "/Radaziz.desktop").isFile());
    EXPECT_TRUE(QFileInfo(s.menuFolder(folder) + "/uninstall.desktop").isFile());
    EXPECT_FALSE(QFileInfo::exists(s.menuFolder()));
    EXPECT_TRUE(QFileInfo(s.root() + "/srv/Radaziz 99/Program files/radaziz").isFile());
    const QString entry = QString::fromUtf8(fileBytes(s.menuFolder(folder) + "/Radaziz.desktop"));
    EXPECT_TRUE(entry.contains("Exec=\"" + s.root() + "/srv/Radaziz 99/Program files/radaziz\""))
        << entry.toStdString();
    // The uninstall command line stays one path and the product, whatever the blanks.
    EXPECT_EQ(storeValues(s.store()).value("Uninstall/" + kProduct + "/UninstallString").toString(),
              "'" + s.root() + "/srv/Radaziz 99/Uninstall/uninstall' " + kProduct);
    if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
        EXPECT_EQ(validate(s.menuFolder(folder) + "/uninstall.desktop"), QString());
    }
}

TEST(Distribution, InstallThenUninstallLeavesTheMachineAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(const Sandbox&)> prepare;
    } cases[] = {
        {"an empty machine",
         [](const Sandbox&) {
         }},
        {"a machine with other programs, menus and settings",
         [](const Sandbox& s) {
             writeStore(s.store(), {{"Other/Setting", "kept"},
                                    {"Uninstall/Other Product/UninstallString", "/x"}});
             writeBytes(s.programFiles() + "/Other/program", "another program");
             writeBytes(s.menuFolder("Accessories") + "/editor.desktop",
                        "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
             writeBytes(s.mergedMenus() + "/other.menu",
                        "<Menu><Name>Applications</Name></Menu>\n");
         }},
    };
    for (const Case& c : cases) {
        Sandbox s;
        c.prepare(s);
        const auto before = snapshot(s.root());
        const auto storeBefore = storeValues(s.store());
        ASSERT_EQ(runSetup(s).exitCode, 0) << c.what;
        const ProcessResult r = runUninstall(s);
        EXPECT_EQ(r.exitCode, 0) << c.what << ": " << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("was removed from this computer")) << r.out.toStdString();
        EXPECT_EQ(storeValues(s.store()), storeBefore) << c.what;
        auto after = snapshot(s.root());
        // The store's text may be laid out anew; its values are compared above.
        if (before.count("etc/xdg/radaziz/registry.ini"))
            after["etc/xdg/radaziz/registry.ini"] = before.at("etc/xdg/radaziz/registry.ini");
        EXPECT_EQ(after, before) << c.what;
    }
}

TEST(Distribution, UninstallerKeepsFilesItDidNotInstall)
{
    Sandbox s;
    ASSERT_EQ(runSetup(s).exitCode, 0);
    writeBytes(s.programFolder() + "/FP_EMP.DBF", "payroll data saved beside the program");
    const ProcessResult r = runUninstall(s);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(s.programFolder() + "/FP_EMP.DBF"),
              "payroll data saved beside the program");
    EXPECT_TRUE(r.out.contains(s.programFolder() + " (it is not empty)")) << r.out.toStdString();
    EXPECT_EQ(filesUnder(s.mainFolder()), QStringList{"Program files/FP_EMP.DBF"});
    EXPECT_FALSE(QFileInfo::exists(s.engineFolder()));
    EXPECT_FALSE(QFileInfo::exists(s.menuFolder()));
}

TEST(Distribution, TwoInstallationsAndOneUninstallKeepTheSharedEngine)
{
    Sandbox s;
    ASSERT_EQ(runSetup(s).exitCode, 0);
    ASSERT_EQ(runSetup(s).exitCode, 0);
    const QString library = s.engineFolder() + "/" + kEngineLibrary;
    EXPECT_EQ(useCount(s, library), 2);
    const ProcessResult r = runUninstall(s);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(useCount(s, library), 1);
    EXPECT_EQ(useCount(s, s.engineFolder() + "/" + kEngineMessages), 1);
    for (const char* file :
         {kEngineLibrary, kEngineMessages, "radaziz-engine.cfg", "radaziz-engine.cnf"})
        EXPECT_TRUE(QFileInfo(s.engineFolder() + "/" + file).isFile()) << file;
    const QMap<QString, QVariant> store = storeValues(s.store());
    EXPECT_EQ(store.value("Engine/Folder").toString(), s.engineFolder());
    EXPECT_FALSE(store.contains("Uninstall/" + kProduct + "/UninstallString"));
    EXPECT_FALSE(QFileInfo::exists(s.mainFolder()));
    EXPECT_FALSE(QFileInfo::exists(s.menuFolder()));
}

TEST(Distribution, DamagedOrIncompleteDistributionFailsClearly)
{
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> damage;
        const char* message;
    } cases[] = {
        {"files.1 cut short",
         [](const QString& f) {
             QFile(f + "/files.1").resize(QFileInfo(f + "/files.1").size() / 2);
         },
         "files.1"},
        {"files.1 missing", [](const QString& f) { QFile::remove(f + "/files.1"); },
         "files.1 is missing"},
        {"setup.1 missing", [](const QString& f) { QFile::remove(f + "/setup.1"); },
         "setup.1 is missing"},
    };
    for (const Case& c : cases) {
        Sandbox s;
        const QString copy = s.temporary() + "/../distribution";
        QDir().mkpath(copy);
        for (const char* file : {"setup", "setup.1", "files.1"})
            QFile::copy(distributionFolder() + "/" + file, copy + "/" + file);
        c.damage(copy);
        const ProcessResult r = run(copy + "/setup", {"--silent"}, s.environment());
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(r.err.contains(c.message)) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(QDir(s.temporary()).isEmpty()) << c.what;
        // Whatever was written before the damage was found is whole.
        for (const QString& file : filesUnder(s.programFiles()))
            if (!file.endsWith(".cfg")) {
                EXPECT_EQ(fileBytes(s.programFiles() + "/" + file), packagedFile(sourceOf(file)))
                    << c.what << ": " << file.toStdString();
            }
    }
}
