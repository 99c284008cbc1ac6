#pragma once

// The installer components: what is installed, where and how, as objects with settings. A
// form assembles them into a tree (containment is QObject parenthood, in creation order) and
// the run in InstallRun carries the tree out.

#include "installer/framework/StringTable.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

enum TInstallType { itFull = 0x1, itDefault = 0x2, itCompact = 0x4 };

// Folders known only on the target machine.
enum TPathSpecifier {
    psNone,
    psProgramFiles,     // the program files folder
    psEngineFolder,     // the registered database engine's folder, else its default one
    psContainerDestDir, // the destination directory of the object's container
    psProgramsMenu,     // the folder of program entries of the desktop menu
};

enum TOverwriteMode {
    owAlways,      // replace whatever is on disk
    owVersionDate, // replace only by a newer version, or the same version and a later date
};

// Where the distribution's builder takes a file from.
enum TSourceFolder { sfProgramBuild, sfInstallerPlatform, sfEngineShared };

class TInstallObject : public QObject {
    Q_OBJECT
public:
    explicit TInstallObject(QObject* container);

    QString Description;
    TPathSpecifier DestDirType = psContainerDestDir;
    QString DestDir; // appended to the folder DestDirType names
    int InstallTypes = itFull | itDefault | itCompact;

    // The containing object, null for the root.
    TInstallObject* container() const;
    // The contained objects, in the order they are processed.
    QList<TInstallObject*> members() const;
};

class TInstallFile : public TInstallObject {
    Q_OBJECT
public:
    using TInstallObject::TInstallObject;

    QString FileName; // in the source folder and the distribution
    QString DestName; // as installed
    TSourceFolder SourceFolder = sfProgramBuild;
    TOverwriteMode OverwriteMode = owVersionDate;
    bool UpdateDLLCounter = false; // raise the shared use count of the installed file
    int UniqueID = 0;              // identifies the file within the distribution
};

// The uninstaller: once installed it is registered as the product's uninstall command.
class TUninstallEXE : public TInstallFile {
    Q_OBJECT
public:
    using TInstallFile::TInstallFile;
};

class TInstallGroup : public TInstallObject {
    Q_OBJECT
public:
    using TInstallObject::TInstallObject;
};

class TInstallDirectory : public TInstallObject {
    Q_OBJECT
public:
    using TInstallObject::TInstallObject;
};

// The database engine: its files go to the engine's folder, its shipped configuration beside
// the configuration in use. Before its files, an engine registered with another language
// stops the installation; after them the engine is registered and the shipped configuration
// merged into the one in use through the engine's installation library.
class TInstallEngine : public TInstallObject {
    Q_OBJECT
public:
    explicit TInstallEngine(QObject* container);

    QStringList Drivers;                // drivers the programs need
    QStringList SqlLinks;               // links to SQL servers
    QString Language;                   // the engine's message language
    TInstallFile* ConfigFile = nullptr; // the shipped configuration among the members
    QString ConfigName;                 // the configuration in use, when there is none yet
    QString FailedMergeName;            // where the shipped configuration goes when merging fails
    QString SetupLibrary;               // the installation library, one of the root's PresetupFiles
    QString LibraryFile; // the engine's library, which an installed program looks for
};

// A folder of program entries in the desktop menu.
class TMainLinkGroup : public TInstallObject {
    Q_OBJECT
public:
    using TInstallObject::TInstallObject;
};

class TInstallMainLink : public TInstallObject {
    Q_OBJECT
public:
    using TInstallObject::TInstallObject;

    QString LinkName;               // "Radaziz.desktop"
    TInstallFile* Target = nullptr; // started with the target's folder as working folder
    QStringList Arguments;
    QString HotKey;
    TInstallFile* Icon = nullptr; // the target's icon
};

struct TInstallInformation {
    QString CompanyName;
    QString ProductName; // names the uninstall entry; the uninstaller's argument
    QString Version;
};

struct TBuildInfo {
    QString LoaderName; // the program the user starts
    bool SignCode = false;
};

class TInstall : public TInstallObject {
    Q_OBJECT
public:
    explicit TInstall(QObject* owner);

    TInstallInformation Information;
    bool UseLoadingProgram = true; // started through the loader, which names the distribution
    QStringList PresetupFiles;     // delivered with the installer program itself
    bool HideMainForm = false;
    bool Reboot = false;
    TBuildInfo BuildInfo;
};

enum TDialogManagerType {
    dmBeforeInstall,
    dmAfterGoodInstall,
    dmAfterBadInstall,
    dmDuringCopyFiles,
    dmChangeDisk,
    dmReboot,
};

class TDialogManager : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    TDialogManagerType ManagerType = dmBeforeInstall;
    QPoint Offset;
};

enum TPageKind {
    pkSelectDestination,
    pkSelectFolder,
    pkGoodInstallation,
    pkBadInstallation,
    pkCopyFile,
};

// A page a dialog manager shows, in ascending Order.
class TInstallPage : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    TPageKind Kind = pkSelectDestination;
    TDialogManager* Manager = nullptr;
    int Order = 0;
    bool OverrideMainTranslator = false;
};

// The one-line status window, which shows itself whenever the run posts a status.
class TInstallStatusDlg : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};

enum TYLanguage { ylEnglish, ylPortugese };

// The language of every text: each language has its font and may carry a string table; a
// text missing from the chosen language's table is taken from the English one.
class TTranslator : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    struct Entry {
        TYLanguage language = ylEnglish;
        QString fontName;
        int fontHeight = -11; // negative: pixels
        StringTable strings;
    };

    TYLanguage TranslateIntoLanguage = ylEnglish;
    QList<Entry> Languages;

    QString text(int glid) const;
    QFont font() const;

private:
    const Entry* entry(TYLanguage language) const;
};

// Texts of the installer, by their number in the string table.
namespace glid {
inline constexpr int Previous = 4;
inline constexpr int Next = 5;
inline constexpr int Cancel = 6;
inline constexpr int CopyCaption = 13;
inline constexpr int Processing = 14;
inline constexpr int FileProgress = 15;
inline constexpr int TotalProgress = 16;
inline constexpr int Browse = 26;
inline constexpr int GoodCaption = 37;
inline constexpr int GoodText = 38;
inline constexpr int FolderCaption = 40;
inline constexpr int FolderText = 41;
inline constexpr int ProgramFolder = 42;
inline constexpr int ExistingFolders = 43;
inline constexpr int RebootFailed = 56;
inline constexpr int BadText = 60;
inline constexpr int BadCaption = 61;
inline constexpr int Finish = 72;
inline constexpr int ReadingFiles = 75;
inline constexpr int InstallingLinks = 79;
inline constexpr int DestinationCaption = 84;
inline constexpr int DestinationQuestion = 85;
inline constexpr int DestinationNext = 86;
inline constexpr int DestinationBrowse = 87;
inline constexpr int DestinationFrame = 88;
inline constexpr int EngineLanguage = 120;
inline constexpr int RestartQuestion = 200;
inline constexpr int NoLoader = 201;
inline constexpr int BadDestination = 202;
inline constexpr int BadFolder = 203;
inline constexpr int UninstallQuestion = 210;
inline constexpr int UninstallDone = 211;
inline constexpr int UninstallLeft = 212;
inline constexpr int UninstallUnknown = 213;
inline constexpr int UninstallCaption = 214;
} // namespace glid
