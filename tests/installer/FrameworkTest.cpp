// The installer framework's plain rules: texts, versions, menu entries, the store, the
// engine's configuration merge, and how the installed program finds its engine.
#include "Sandbox.h"

#include "app/launcher/EngineLookup.h"
#include "installer/framework/DesktopMenu.h"
#include "installer/framework/FileVersion.h"
#include "installer/framework/LinuxPlatform.h"
#include "installer/framework/Manifest.h"
#include "installer/framework/SettingsStore.h"
#include "installer/framework/StringTable.h"
#include "installer/presetup/EngineSetup.h"
#include "support/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace installertest;

TEST(StringTable, ReadsNumberedTextsAndRefusesMalformedLines)
{
    const StringTable table = StringTable::parse("* Page buttons\n4;< Previous\n\n"
                                                 "41;Type a name; or pick one\r\n*72;not a text\n");
    EXPECT_EQ(table.text(4), "< Previous");
    EXPECT_EQ(table.text(41), "Type a name; or pick one") << "the text runs past later \";\"";
    EXPECT_FALSE(table.contains(72)) << "a comment";
    struct Case {
        const char* text;
        const char* error;
    } bad[] = {
        {"4 < Previous", "line 1: no \";\" after the text's number"},
        {"x;Next", "line 1: \"x\" is not a text number"},
        {"5;Next\n5;Again", "line 2: text 5 given twice"},
    };
    for (const Case& c : bad)
        EXPECT_EQ(testsupport::errorOf([&] { StringTable::parse(c.text); }),
                  std::string("string table ") + c.error);
}

TEST(FileVersion, PackagedFileReplacesByVersionThenDate)
{
    const auto v = [](const char* text) {
        return FileVersion::parse(text);
    };
    EXPECT_EQ(v("1.0"), v("1.0.0.0"));
    EXPECT_LT(*v("1.9.9"), *v("1.10"));
    EXPECT_FALSE(v("1.x"));
    EXPECT_FALSE(v(""));
    const QDateTime early = QDateTime::fromSecsSinceEpoch(1000, Qt::UTC);
    const QDateTime late = QDateTime::fromSecsSinceEpoch(2000, Qt::UTC);
    struct Case {
        FileStamp packaged, onDisk;
        bool replaces;
    } cases[] = {
        {{v("2.0"), early}, {v("1.0"), late}, true},   // newer version wins over an earlier date
        {{v("1.0"), late}, {v("2.0"), early}, false},  // older version loses
        {{v("1.0"), late}, {v("1.0"), early}, true},   // same version: the later date
        {{v("1.0"), early}, {v("1.0"), early}, false}, // the same file
        {{{}, late}, {{}, early}, true},               // no version on both: by date
        {{{}, early}, {{}, late}, false},
        {{v("1.0"), early}, {{}, late}, true}, // a version beats none
        {{{}, late}, {v("1.0"), early}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(packagedIsNewer(c.packaged, c.onDisk), c.replaces)
            << (c.packaged.version ? c.packaged.version->toString().toStdString() : "-") << " vs "
            << (c.onDisk.version ? c.onDisk.version->toString().toStdString() : "-");
}

TEST(FileVersion, FoundAnywhereInAFileEvenAcrossReadBlocks)
{
    Sandbox s;
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* version;
    } cases[] = {
        {"none", QByteArray(1000, 'x'), nullptr},
        {"a marker without numbers is passed over",
         QByteArray("@(#)FileVersion \0 ... @(#)FileVersion 5.1.2.3\0", 45), "5.1.2.3"},
        {"across the first megabyte's end",
         QByteArray((1 << 20) - 20, 'x') + "@(#)FileVersion 12.34.56.78" + QByteArray(10, '\0'),
         "12.34.56.78"},
        {"at the very end", "@(#)FileVersion 3.2", "3.2.0.0"},
    };
    for (const Case& c : cases) {
        writeBytes(s.root() + "/file", c.bytes);
        const auto version = FileVersion::ofFile(s.root() + "/file");
        if (!c.version)
            EXPECT_FALSE(version) << c.what;
        else
            EXPECT_EQ(version ? version->toString() : QString(), c.version) << c.what;
    }
}

TEST(DesktopEntry, ExecWordsAreQuotedAndEscapedForTheDesktop)
{
    struct Case {
        QString program;
        QStringList arguments;
        const char* exec;
    } cases[] = {
        {"/opt/x/uninstall",
         {"Radaziz de Rendimentos 99"},
         R"(/opt/x/uninstall "Radaziz de Rendimentos 99")"},
        {"/opt/Program files/radaziz", {}, R"("/opt/Program files/radaziz")"},
        {"/opt/100%/a$b", {"say \"hi\""}, R"("/opt/100%%/a\\$b" "say \\"hi\\"")"},
        {"/opt/back\\slash", {}, R"("/opt/back\\\\slash")"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(desktopExecValue(c.program, c.arguments), c.exec);
}

TEST(DesktopMenu, ProgramFoldersAreSharedAndGoWithTheirLastEntry)
{
    Sandbox s;
    LinuxPlatform platform(s.root(), true);
    DesktopMenu menu(platform);
    const DesktopEntry entry{"Radaziz", "/opt/radaziz", {}, "/opt", {}};
    menu.writeEntry("Folha", "Radaziz.desktop", entry);
    menu.writeEntry("Folha", "Other.desktop", entry);
    menu.refresh("Folha");
    EXPECT_EQ(menu.existingFolders(), QStringList{"Folha"});
    const QString menuFile = menu.menuFilePath("Folha");
    EXPECT_TRUE(fileBytes(menuFile).contains("<Filename>Folha-Other.desktop</Filename>"));

    // Another folder whose name makes the same file name keeps a menu file of its own.
    menu.writeEntry("folha", "X.desktop", entry);
    menu.refresh("folha");
    EXPECT_NE(menu.menuFilePath("folha"), menuFile);
    EXPECT_EQ(menu.existingFolders(), (QStringList{"Folha", "folha"}));

    QFile::remove(s.menuFolder("Folha") + "/Radaziz.desktop");
    EXPECT_TRUE(menu.refresh("Folha"));
    EXPECT_FALSE(fileBytes(menuFile).contains("Radaziz.desktop"));
    EXPECT_TRUE(fileBytes(menuFile).contains("Other.desktop")) << "the other program's entry stays";
    QFile::remove(s.menuFolder("Folha") + "/Other.desktop");
    EXPECT_TRUE(menu.refresh("Folha"));
    EXPECT_FALSE(QFileInfo::exists(menuFile));
    EXPECT_FALSE(QFileInfo::exists(s.menuFolder("Folha")));
    EXPECT_EQ(menu.existingFolders(), QStringList{"folha"});
}

TEST(SettingsStore, RecordHoldsEachObjectOnceAndCountsCanFallToNothing)
{
    Sandbox s;
    SettingsStore store(s.store());
    store.addToRecord(kProduct, {"File", "/a"});
    store.addToRecord(kProduct, {"File", "/a"});
    store.addToRecord(kProduct, {"Folder", "/a"});
    EXPECT_EQ(store.record(kProduct).size(), 2u);
    store.setUseCount("/lib/x.so", 2);
    store.setUseCount("/lib/y.so", 1);
    store.setUseCount("/lib/x.so", 0);
    EXPECT_FALSE(store.hasUseCount("/lib/x.so"));
    EXPECT_EQ(store.useCount("/lib/y.so"), 1);
    store.setUseCount("/lib/y.so", 0);
    store.removeProduct(kProduct);
    EXPECT_TRUE(store.isEmpty());
}

TEST(EngineSetup, MergeAddsWhatIsMissingAndChangesNothingWhenItCannot)
{
    Sandbox s;
    const QString shipped = s.root() + "/shipped.cnf";
    const QString config = s.root() + "/engine.cfg";
    writeBytes(shipped, "[System]\nLanguage=0009\nSize=2048\n\n[Drivers]\nDBASE=dBase\n");
    const auto merge = [&](QString& message) {
        char buffer[256] = {};
        const int status =
            radazizEngineMergeConfig(QFile::encodeName(shipped).constData(),
                                     QFile::encodeName(config).constData(), buffer, sizeof buffer);
        message = QString::fromUtf8(buffer);
        return status;
    };
    QString message;

    // No configuration in use: the shipped one becomes it.
    ASSERT_EQ(merge(message), 0) << message.toStdString();
    EXPECT_EQ(fileBytes(config), fileBytes(shipped));

    writeBytes(config, "; mine\n[system]\nsize=64\n[Aliases]\nPAYROLL=/mnt/folha\n");
    ASSERT_EQ(merge(message), 0) << message.toStdString();
    EXPECT_EQ(fileBytes(config), "; mine\n[system]\nsize=64\nLanguage=0009\n[Aliases]\n"
                                 "PAYROLL=/mnt/folha\n[Drivers]\nDBASE=dBase\n");

    const QByteArray damaged = "[System\nSize=1\n";
    writeBytes(config, damaged);
    EXPECT_EQ(merge(message), 1);
    EXPECT_TRUE(message.contains("line 1: a section header without its \"]\""))
        << message.toStdString();
    EXPECT_EQ(fileBytes(config), damaged);
    EXPECT_EQ(QDir(s.root()).entryList(QDir::Files).size(), 2) << "no temporary file left";
}

TEST(EngineLookup, InstalledProgramFindsTheRegisteredEngineOrSaysWhy)
{
    Sandbox s;
    const QString user = s.root() + "/home/.config/radaziz/registry.ini";
    const QString system = s.store();
    const QString engine = s.engineFolder();
    writeBytes(engine + "/libradaziz-engine.so", "x");
    writeBytes(engine + "/radaziz-engine-0009.msg", "x");
    writeBytes(engine + "/radaziz-engine.cfg", "x");
    const auto registration = [&](const QString& folder, const QString& language) {
        return QMap<QString, QVariant>{{"Engine/Folder", folder},
                                       {"Engine/Language", language},
                                       {"Engine/ConfigFile", engine + "/radaziz-engine.cfg"}};
    };

    EXPECT_EQ(findInstalledEngine({user, system}).status, EngineLookup::NotInstalled);
    EXPECT_TRUE(
        engineLookupMessage(findInstalledEngine({user, system})).contains("não está instalado"));

    writeStore(system, registration(engine, "0009"));
    EngineLookup found = findInstalledEngine({user, system});
    EXPECT_EQ(found.status, EngineLookup::Found);
    EXPECT_EQ(found.folder, engine);

    // The user's own registration comes first.
    writeStore(user, registration(s.root() + "/elsewhere", "0009"));
    found = findInstalledEngine({user, system});
    EXPECT_EQ(found.status, EngineLookup::Incomplete);
    EXPECT_EQ(found.missingFile, s.root() + "/elsewhere/libradaziz-engine.so");

    writeStore(user, registration(engine, "0007"));
    found = findInstalledEngine({user, system});
    EXPECT_EQ(found.status, EngineLookup::Incomplete) << "no messages in the registered language";
    EXPECT_TRUE(engineLookupMessage(found).contains("radaziz-engine-0007.msg"));

    EXPECT_EQ(libraryPathWith(engine, "/usr/lib/x"), QFile::encodeName(engine) + ":/usr/lib/x");
    EXPECT_EQ(libraryPathWith(engine, ""), QFile::encodeName(engine));
}

TEST(LinuxPlatform, FoldersOfTheSystemOfTheUserAndUnderAScratchRoot)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", "/home/clerk");
    qputenv("XDG_CONFIG_HOME", "/home/clerk/cfg");
    qunsetenv("XDG_DATA_HOME");
    struct Case {
        LinuxPlatform platform;
        QStringList folders;
    } cases[] = {
        {LinuxPlatform({}, true),
         {"/opt", "/opt/Common Files/Radaziz Engine", "/usr/local/share/applications",
          "/etc/xdg/menus/applications-merged", "/usr/local/share/desktop-directories",
          "/etc/xdg/radaziz/registry.ini"}},
        {LinuxPlatform({}, false),
         {"/home/clerk/.local/opt", "/home/clerk/.local/opt/Common Files/Radaziz Engine",
          "/home/clerk/.local/share/applications", "/home/clerk/cfg/menus/applications-merged",
          "/home/clerk/.local/share/desktop-directories", "/home/clerk/cfg/radaziz/registry.ini"}},
        {LinuxPlatform("/tmp/m", false),
         {"/tmp/m/opt", "/tmp/m/opt/Common Files/Radaziz Engine",
          "/tmp/m/usr/local/share/applications", "/tmp/m/etc/xdg/menus/applications-merged",
          "/tmp/m/usr/local/share/desktop-directories", "/tmp/m/etc/xdg/radaziz/registry.ini"}},
    };
    for (const Case& c : cases) {
        const InstallPlatform& p = c.platform;
        EXPECT_EQ(
            (QStringList{p.programFilesFolder(), p.defaultEngineFolder(), p.programsMenuFolder(),
                         p.mergedMenusFolder(), p.menuDirectoriesFolder(), p.settingsStoreFile()}),
            c.folders);
    }
    qputenv("HOME", home);
    config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
    data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);
}
