#pragma once

#include "installer/framework/Components.h"
#include "installer/framework/Manifest.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

class ArchiveReader;
class DesktopMenu;
class InstallPlatform;
class SettingsStore;

// What the pages before the installation show and the user changes.
struct PageAnswers {
    QString destination;         // the main installation directory
    QString programFolder;       // the program folder's name in the desktop menu
    QStringList existingFolders; // submenus that already exist, sorted
};

// Checks of the user's answers: a message for the user, empty when the answer will do.
QString destinationProblem(const TTranslator& translator, const QString& destination);
QString programFolderProblem(const TTranslator& translator, const QString& name);

// How a run shows itself: in windows, or as lines on a terminal.
class RunView {
public:
    virtual ~RunView() = default;

    virtual void showStatus(const QString& text) = 0;
    virtual void hideStatus() = 0;
    virtual void setBusy(bool busy) = 0;
    // The pages, in order; false when the user cancelled.
    virtual bool showPages(const QList<TInstallPage*>& pages, PageAnswers& answers) = 0;
    virtual void beginCopy(const QString& file) = 0;
    // Also lets the windows handle what is pending, so that Cancel can be pressed.
    virtual void copyProgress(int filePercent, int totalPercent) = 0;
    virtual void endCopy() = 0;
    virtual bool cancelRequested() const = 0;
    virtual void showError(const QString& message) = 0;
    virtual bool confirmRestart(const QString& question) = 0;
    // A line about what the run did that no window shows (a file kept, a folder created).
    virtual void note(const QString&) {}
};

struct RunOptions {
    QString distributionFolder; // where files.1 lies; empty when not started by the loader
    QString workFolder;         // the loader's working folder, which holds the presetup files
    QString destination;        // answers given beforehand, instead of the page defaults
    QString programFolder;
    bool afterRestart = false; // the run that completes replacements after a restart
    QString program;           // this installer, run again after a restart
};

enum class RunOutcome { Completed, Failed, Cancelled, RestartPending };

// One run of the installer over a configuration tree: reads the list of files, shows the
// pages, installs the root's members in order and ends on the completion or failure pages.
// Every installed object is recorded in the settings store as soon as it is on disk, so the
// uninstaller can remove what a failed or cancelled run left; the run itself removes nothing.
class InstallRun {
public:
    InstallRun(TInstall& root, const TTranslator& translator, InstallPlatform& platform,
               RunView& view, RunOptions options);
    ~InstallRun();

    RunOutcome execute();

    // The main installation directory the configuration gives before the user's answers.
    QString defaultDestination() const;

private:
    struct Cancelled {};

    QString platformFolder(TPathSpecifier type) const;
    // The pages of the managers of a type, in the configuration's order.
    QList<TInstallPage*> pagesOf(TDialogManagerType type) const;

    void showStatus(int text);
    void readFileList();
    void lookForEngine();
    bool showPages(TDialogManagerType manager);
    void process(TInstallObject& object);
    void installFile(TInstallFile& file, const QString& folder, const QString& recordKind);
    void extract(const ManifestEntry& entry, const QString& dest, const QString& displayName);
    void installEngine(TInstallEngine& engine);
    void mergeEngineConfiguration(TInstallEngine& engine, const QString& shipped);
    void installLinks(TMainLinkGroup& group);
    void registerUninstaller(const QString& path);
    RunOutcome finishWithRestart();
    RunOutcome completePending();
    QString destinationOf(const TInstallObject& object) const;
    void ensureFolder(const QString& path);
    void record(const QString& kind, const QString& path);
    void checkCancel() const;
    void positionAt(const ManifestEntry& entry);

    TInstall& m_root;
    const TTranslator& m_translator;
    InstallPlatform& m_platform;
    RunView& m_view;
    RunOptions m_options;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<DesktopMenu> m_menu;
    std::unique_ptr<ArchiveReader> m_archive;
    Manifest m_manifest;
    PageAnswers m_answers;
    QString m_engineFolder;
    QString m_engineLanguage; // of the engine registered before the run
    QString m_engineConfig;   // the configuration in use before the run, if any
    bool m_engineWasRegistered = false;
    int m_nextMember = 1; // the archive's member that is read next
    int m_memberMode = 0644;
    qint64 m_bytesDone = 0;
    qint64 m_bytesTotal = 0;
    bool m_restartNeeded = false;
    bool m_copyWindow = false;
};

// The run's own errors, carrying the message shown to the user.
class InstallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Record kinds, shared with the uninstaller.
namespace recordkind {
inline const QString File = QStringLiteral("File");
inline const QString SharedFile = QStringLiteral("SharedFile"); // with a use count
inline const QString EngineFile = QStringLiteral("EngineFile"); // goes with the engine
inline const QString Folder = QStringLiteral("Folder");         // created by the run
inline const QString MenuEntry = QStringLiteral("MenuEntry");
inline const QString MenuFolder = QStringLiteral("MenuFolder");
inline const QString EngineRegistration = QStringLiteral("EngineRegistration");
inline const QString Store = QStringLiteral("Store"); // the settings store file was created
} // namespace recordkind
