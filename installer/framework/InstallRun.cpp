#include "installer/framework/InstallRun.h"

#include "installer/framework/Archive.h"
#include "installer/framework/DesktopMenu.h"
#include "installer/framework/FileVersion.h"
#include "installer/framework/Platform.h"
#include "installer/framework/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The engine's installation library merges a shipped configuration into the one in use (or
// makes it the one in use); 0 on success, else a message in the buffer.
using MergeConfig = int (*)(const char* shipped, const char* config, char* message,
                            unsigned long size);

int percent(qint64 part, qint64 whole)
{
    return whole <= 0 ? 100 : static_cast<int>(std::min<qint64>(100, part * 100 / whole));
}

QString joinPath(const QString& folder, const QString& tail)
{
    if (tail.isEmpty())
        return QDir::cleanPath(folder);
    return QDir::cleanPath(folder + QLatin1Char('/') + tail);
}

QString shellQuotedIfNeeded(const QString& path)
{
    static const QString special = QStringLiteral(" \t\n\"'\\$`;&|<>()*?[]#~");
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return special.contains(c); }))
        return path;
    return QLatin1Char('\'') + QString(path).replace(QLatin1Char('\''), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

// Files on disk are replaced by renaming over them, which also works while a program has them
// open.
bool renameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

QString destinationProblem(const TTranslator& translator, const QString& destination)
{
    const QString text = destination.trimmed();
    if (text.isEmpty() || !QDir::isAbsolutePath(text))
        return translator.text(glid::BadDestination);
    const QFileInfo info(text);
    if (info.exists() && !info.isDir())
        return translator.text(glid::BadDestination);
    return {};
}

QString programFolderProblem(const TTranslator& translator, const QString& name)
{
    const QString text = name.trimmed();
    if (text.isEmpty() || text == QLatin1String(".") || text == QLatin1String("..") ||
        text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\')))
        return translator.text(glid::BadFolder);
    return {};
}

InstallRun::InstallRun(TInstall& root, const TTranslator& translator, InstallPlatform& platform,
                       RunView& view, RunOptions options)
    : m_root(root)
    , m_translator(translator)
    , m_platform(platform)
    , m_view(view)
    , m_options(std::move(options))
    , m_store(std::make_unique<SettingsStore>(platform.settingsStoreFile()))
    , m_menu(std::make_unique<DesktopMenu>(platform))
{
}

InstallRun::~InstallRun() = default;

RunOutcome InstallRun::execute()
{
    if (m_options.afterRestart)
        return completePending();
    // Windows left open by an interrupted step are closed before the last pages.
    const auto closeWindows = [this] {
        m_view.endCopy();
        m_view.hideStatus();
        m_view.setBusy(false);
    };
    try {
        // The copy window shows when a manager has a page for it.
        const QList<TInstallPage*> duringCopy = pagesOf(dmDuringCopyFiles);
        m_copyWindow =
            std::any_of(duringCopy.begin(), duringCopy.end(),
                        [](const TInstallPage* page) { return page->Kind == pkCopyFile; });
        readFileList();
        lookForEngine();
        m_answers.destination =
            m_options.destination.isEmpty() ? defaultDestination() : m_options.destination;
        for (TInstallObject* member : m_root.members())
            if (auto* group = qobject_cast<TMainLinkGroup*>(member))
                m_answers.programFolder = group->DestDir.mid(group->DestDir.startsWith('/'));
        if (!m_options.programFolder.isEmpty())
            m_answers.programFolder = m_options.programFolder;
        m_answers.existingFolders = m_menu->existingFolders();
        if (!showPages(dmBeforeInstall))
            throw Cancelled{};
        for (const QString& problem : {destinationProblem(m_translator, m_answers.destination),
                                       programFolderProblem(m_translator, m_answers.programFolder)})
            if (!problem.isEmpty())
                throw InstallError(problem.toStdString());
        m_answers.destination = QDir::cleanPath(m_answers.destination.trimmed());
        m_answers.programFolder = m_answers.programFolder.trimmed();

        // The store's folder first, so the record can be written from the first object on.
        const QString storeFile = m_store->file();
        const bool storeExisted = QFileInfo::exists(storeFile);
        ensureFolder(QFileInfo(storeFile).absolutePath());
        if (!storeExisted)
            record(recordkind::Store, storeFile);

        m_view.setBusy(true);
        for (TInstallObject* member : m_root.members())
            process(*member);
        m_view.setBusy(false);
        if (m_restartNeeded)
            return finishWithRestart();
        showPages(dmAfterGoodInstall);
        return RunOutcome::Completed;
    } catch (const Cancelled&) {
        closeWindows();
        showPages(dmAfterBadInstall);
        return RunOutcome::Cancelled;
    } catch (const std::exception& e) {
        closeWindows();
        showPages(dmAfterBadInstall);
        m_view.showError(QString::fromStdString(e.what()));
        return RunOutcome::Failed;
    }
}

void InstallRun::showStatus(int text)
{
    for (QObject* child : m_root.children())
        if (qobject_cast<TInstallStatusDlg*>(child))
            return m_view.showStatus(m_translator.text(text));
}

void InstallRun::readFileList()
{
    m_view.setBusy(true);
    showStatus(glid::ReadingFiles);
    if (m_root.UseLoadingProgram && m_options.distributionFolder.isEmpty())
        throw InstallError(m_translator.text(glid::NoLoader).toStdString());
    const QString files = m_options.distributionFolder + QStringLiteral("/files.1");
    m_archive = std::make_unique<ArchiveReader>(files);
    ArchiveMember member;
    if (!m_archive->next(member) || member.name != QLatin1String(Manifest::kMemberName))
        throw InstallError("files.1 is damaged: it does not begin with its list of files");
    try {
        m_manifest = Manifest::fromJson(m_archive->readAll());
    } catch (const std::runtime_error& e) {
        throw InstallError(std::string("files.1 is damaged: ") + e.what());
    }
    m_bytesTotal = m_manifest.totalSize();
    for (const TInstallFile* file : m_root.findChildren<TInstallFile*>()) {
        if (!m_manifest.find(file->UniqueID))
            throw InstallError("files.1 does not hold " + file->FileName.toStdString());
    }
    m_view.hideStatus();
    m_view.setBusy(false);
}

void InstallRun::lookForEngine()
{
    const SettingsStore::EngineRegistration engine = m_store->engine();
    m_engineWasRegistered = engine.isRegistered();
    m_engineFolder = engine.isRegistered() ? engine.folder : m_platform.defaultEngineFolder();
    m_engineLanguage = engine.language;
    m_engineConfig = engine.isRegistered() && QFileInfo(engine.configFile).isFile()
                         ? engine.configFile
                         : QString();
}

QList<TInstallPage*> InstallRun::pagesOf(TDialogManagerType type) const
{
    QList<TInstallPage*> pages;
    for (QObject* child : m_root.children())
        if (auto* manager = qobject_cast<TDialogManager*>(child);
            manager && manager->ManagerType == type)
            for (QObject* object : manager->children())
                if (auto* page = qobject_cast<TInstallPage*>(object))
                    pages << page;
    return pages;
}

bool InstallRun::showPages(TDialogManagerType type)
{
    QList<TInstallPage*> pages = pagesOf(type);
    std::stable_sort(pages.begin(), pages.end(), [](const TInstallPage* a, const TInstallPage* b) {
        return a->Order < b->Order;
    });
    return pages.isEmpty() || m_view.showPages(pages, m_answers);
}

QString InstallRun::platformFolder(TPathSpecifier type) const
{
    switch (type) {
    case psProgramFiles:
        return m_platform.programFilesFolder();
    case psEngineFolder:
        return m_engineFolder;
    case psProgramsMenu:
        return m_platform.programsMenuFolder();
    case psContainerDestDir:
    case psNone:
        break;
    }
    return {};
}

QString InstallRun::defaultDestination() const
{
    return joinPath(platformFolder(m_root.DestDirType), m_root.DestDir);
}

QString InstallRun::destinationOf(const TInstallObject& object) const
{
    if (&object == &m_root)
        return m_answers.destination;
    if (qobject_cast<const TMainLinkGroup*>(&object))
        return joinPath(m_platform.programsMenuFolder(), m_answers.programFolder);
    if (object.DestDirType != psContainerDestDir)
        return joinPath(platformFolder(object.DestDirType), object.DestDir);
    if (!object.container())
        throw InstallError(object.objectName().toStdString() + " has no container");
    return joinPath(destinationOf(*object.container()), object.DestDir);
}

void InstallRun::checkCancel() const
{
    if (m_view.cancelRequested())
        throw Cancelled{};
}

void InstallRun::record(const QString& kind, const QString& path)
{
    m_store->addToRecord(m_root.Information.ProductName, {kind, path});
}

void InstallRun::ensureFolder(const QString& path)
{
    QStringList missing;
    for (QString level = QDir::cleanPath(path); !QFileInfo::exists(level);
         level = QFileInfo(level).path()) {
        missing.prepend(level);
        if (level == QFileInfo(level).path())
            break;
    }
    const QFileInfo existing(QFileInfo(missing.isEmpty() ? path : missing.first()).path());
    if (missing.isEmpty() ? !QFileInfo(path).isDir() : !existing.isDir())
        throw InstallError("The folder " + path.toStdString() +
                           " cannot be created: a file is in its way");
    for (const QString& level : missing) {
        if (!QDir().mkdir(level))
            throw InstallError("The folder " + level.toStdString() + " cannot be created");
        m_view.note(QStringLiteral("Created folder ") + level);
    }
    // Recorded once all exist: the store itself may lie in one of them.
    for (const QString& level : missing)
        record(recordkind::Folder, level);
}

void InstallRun::process(TInstallObject& object)
{
    if (!(object.InstallTypes & itFull))
        return;
    if (auto* file = qobject_cast<TInstallFile*>(&object)) {
        const QString folder = destinationOf(*object.container());
        installFile(*file, folder,
                    file->UpdateDLLCounter ? recordkind::SharedFile : recordkind::File);
        if (qobject_cast<TUninstallEXE*>(file))
            registerUninstaller(joinPath(folder, file->DestName));
        return;
    }
    if (auto* engine = qobject_cast<TInstallEngine*>(&object))
        return installEngine(*engine);
    if (auto* links = qobject_cast<TMainLinkGroup*>(&object))
        return installLinks(*links);
    for (TInstallObject* member : object.members())
        process(*member);
}

void InstallRun::installFile(TInstallFile& file, const QString& folder, const QString& recordKind)
{
    checkCancel();
    const ManifestEntry& entry = *m_manifest.find(file.UniqueID);
    const QString dest = joinPath(folder, file.DestName);
    ensureFolder(folder);
    const QFileInfo onDisk(dest);
    const bool existed = onDisk.exists() || onDisk.isSymLink();
    if (existed && !onDisk.isFile())
        throw InstallError(dest.toStdString() + " cannot be installed: something that is not a "
                                                "file is in its place");
    const bool replace = !existed || file.OverwriteMode == owAlways ||
                         packagedIsNewer({entry.version, entry.date}, stampOfFile(dest));
    if (replace) {
        QString target = dest;
        if (existed && m_platform.isFileInUse(dest)) {
            // Written beside it, to replace it at the next start.
            for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
                target = dest + QStringLiteral(".~%1~").arg(n);
        }
        extract(entry, target, file.DestName);
        if (target != dest) {
            record(recordkind::File, target);
            m_store->addPendingReplacement({target, dest});
            m_platform.scheduleReplacement(target, dest);
            m_restartNeeded = true;
            m_view.note(QStringLiteral("In use, replaced at the next start: ") + dest);
        }
    } else {
        m_bytesDone += entry.size;
        m_view.note(QStringLiteral("Kept, the copy on disk is as new: ") + dest);
    }
    // The count first, then the record: a record never claims a count that was not raised.
    if (file.UpdateDLLCounter) {
        int count = m_store->useCount(dest);
        if (count == 0 && existed)
            count = 1; // a copy of unknown users was there; it stays theirs
        m_store->setUseCount(dest, count + 1);
    }
    record(recordKind, dest);
}

void InstallRun::positionAt(const ManifestEntry& entry)
{
    const auto index = std::find_if(m_manifest.files.begin(), m_manifest.files.end(),
                                    [&](const ManifestEntry& e) { return e.id == entry.id; }) -
                       m_manifest.files.begin();
    const int target = static_cast<int>(index) + 1; // the list of files is member 0
    if (target < m_nextMember) {
        m_archive = std::make_unique<ArchiveReader>(m_options.distributionFolder +
                                                    QStringLiteral("/files.1"));
        m_nextMember = 0;
    }
    ArchiveMember member;
    while (m_nextMember <= target) {
        if (!m_archive->next(member))
            throw InstallError("files.1 is damaged: " + entry.source.toStdString() + " is missing");
        ++m_nextMember;
    }
    if (member.name != entry.member || !member.isFile)
        throw InstallError("files.1 is damaged: " + entry.source.toStdString() +
                           " is not where its list says");
    m_memberMode = member.mode;
}

void InstallRun::extract(const ManifestEntry& entry, const QString& dest,
                         const QString& displayName)
{
    positionAt(entry);
    if (m_copyWindow)
        m_view.beginCopy(displayName);
    m_view.copyProgress(0, percent(m_bytesDone, m_bytesTotal));
    // Written under a temporary name beside the file and renamed over it when complete, so a
    // cancelled or failed copy never leaves a truncated file under the real name.
    QSaveFile out(dest);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw InstallError(dest.toStdString() +
                           " cannot be written: " + out.errorString().toStdString());
    constexpr qint64 kPiece = 64 * 1024;
    QByteArray buffer(kPiece, Qt::Uninitialized);
    qint64 done = 0;
    while (const qint64 n = m_archive->read(buffer.data(), kPiece)) {
        if (out.write(buffer.constData(), n) != n)
            throw InstallError(dest.toStdString() +
                               " cannot be written: " + out.errorString().toStdString());
        done += n;
        m_bytesDone += n;
        m_view.copyProgress(percent(done, entry.size), percent(m_bytesDone, m_bytesTotal));
        if (m_view.cancelRequested()) {
            out.cancelWriting();
            throw Cancelled{};
        }
    }
    if (done != entry.size)
        throw InstallError("files.1 is damaged: " + entry.source.toStdString() + " is incomplete");
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (m_memberMode & 0100)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!out.flush() || !out.setPermissions(permissions) ||
        !out.setFileTime(entry.date, QFileDevice::FileModificationTime) || !out.commit())
        throw InstallError(dest.toStdString() +
                           " cannot be written: " + out.errorString().toStdString());
    m_view.copyProgress(100, percent(m_bytesDone, m_bytesTotal));
    if (m_copyWindow)
        m_view.endCopy();
}

void InstallRun::installEngine(TInstallEngine& engine)
{
    checkCancel();
    if (!m_engineLanguage.isEmpty() && m_engineLanguage != engine.Language)
        throw InstallError(m_translator.text(glid::EngineLanguage).toStdString());
    const QString config =
        m_engineConfig.isEmpty() ? joinPath(m_engineFolder, engine.ConfigName) : m_engineConfig;
    const QString configFolder = QFileInfo(config).path();
    for (TInstallObject* member : engine.members()) {
        auto* file = qobject_cast<TInstallFile*>(member);
        if (!file || !(file->InstallTypes & itFull))
            continue;
        installFile(*file, file == engine.ConfigFile ? configFolder : m_engineFolder,
                    file->UpdateDLLCounter ? recordkind::SharedFile : recordkind::EngineFile);
    }
    checkCancel();
    m_store->registerEngine({m_engineFolder, engine.Language, config, engine.Drivers});
    if (!m_engineWasRegistered)
        record(recordkind::EngineRegistration, m_engineFolder);
    if (engine.ConfigFile)
        mergeEngineConfiguration(engine, joinPath(configFolder, engine.ConfigFile->DestName));
}

void InstallRun::mergeEngineConfiguration(TInstallEngine& engine, const QString& shipped)
{
    const QString config = m_store->engine().configFile;
    if (!m_root.PresetupFiles.contains(engine.SetupLibrary))
        throw InstallError("The database engine's installation library " +
                           engine.SetupLibrary.toStdString() + " is not delivered with setup");
    QLibrary library(joinPath(m_options.workFolder, engine.SetupLibrary));
    const auto merge = reinterpret_cast<MergeConfig>(library.resolve("radazizEngineMergeConfig"));
    if (!merge)
        throw InstallError("The database engine's installation library " +
                           engine.SetupLibrary.toStdString() +
                           " cannot be loaded: " + library.errorString().toStdString());
    const bool existed = QFileInfo::exists(config);
    char message[512] = {};
    if (merge(QFile::encodeName(shipped).constData(), QFile::encodeName(config).constData(),
              message, sizeof message) == 0) {
        if (!existed)
            record(recordkind::EngineFile, config);
        return;
    }
    // Merging failed: the shipped configuration is kept apart and used as it is.
    const QString fallback = joinPath(QFileInfo(config).path(), engine.FailedMergeName);
    const bool fallbackExisted = QFileInfo::exists(fallback);
    QFile in(shipped);
    QSaveFile out(fallback);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(in.readAll()) != in.size() || !out.commit())
        throw InstallError(fallback.toStdString() + " cannot be written");
    if (!fallbackExisted)
        record(recordkind::EngineFile, fallback);
    SettingsStore::EngineRegistration registration = m_store->engine();
    registration.configFile = fallback;
    m_store->registerEngine(registration);
    m_view.note(QStringLiteral("The engine configuration could not be merged (%1); saved as %2")
                    .arg(QString::fromUtf8(message), fallback));
}

void InstallRun::installLinks(TMainLinkGroup& group)
{
    checkCancel();
    showStatus(glid::InstallingLinks);
    const QString name = m_answers.programFolder;
    ensureFolder(destinationOf(group));
    ensureFolder(m_platform.mergedMenusFolder());
    ensureFolder(m_platform.menuDirectoriesFolder());
    record(recordkind::MenuFolder, destinationOf(group));
    for (TInstallObject* member : group.members()) {
        auto* link = qobject_cast<TInstallMainLink*>(member);
        if (!link || !link->Target || !(link->InstallTypes & itFull))
            continue;
        const QString folder = destinationOf(*link->Target->container());
        DesktopEntry entry;
        entry.name = QFileInfo(link->LinkName).completeBaseName();
        entry.program = joinPath(folder, link->Target->DestName);
        entry.arguments = link->Arguments;
        entry.workingFolder = folder;
        if (link->Icon)
            entry.icon = joinPath(destinationOf(*link->Icon->container()), link->Icon->DestName);
        const QString path = m_menu->writeEntry(name, link->LinkName, entry);
        record(recordkind::MenuEntry, path);
    }
    m_menu->refresh(name);
    m_view.hideStatus();
}

void InstallRun::registerUninstaller(const QString& path)
{
    const QString product = m_root.Information.ProductName;
    m_store->setUninstallEntry(product,
                               {product, shellQuotedIfNeeded(path) + QLatin1Char(' ') + product});
}

RunOutcome InstallRun::finishWithRestart()
{
    m_platform.scheduleRun(m_options.program,
                           {QStringLiteral("--after-restart"), QStringLiteral("--work"),
                            m_options.workFolder, QStringLiteral("--distribution"),
                            m_options.distributionFolder});
    // The system is restarted only with the user's consent.
    if (m_view.confirmRestart(m_translator.text(glid::RestartQuestion)) &&
        !m_platform.restartSystem())
        m_view.showError(m_translator.text(glid::RebootFailed));
    return RunOutcome::RestartPending;
}

RunOutcome InstallRun::completePending()
{
    try {
        for (const SettingsStore::Replacement& r : m_store->pendingReplacements())
            if (QFileInfo::exists(r.from) && !renameOver(r.from, r.to))
                throw InstallError(r.to.toStdString() + " cannot be replaced");
        m_store->clearPendingReplacements();
        m_platform.finishScheduledRun();
        showPages(dmAfterGoodInstall);
        return RunOutcome::Completed;
    } catch (const std::exception& e) {
        showPages(dmAfterBadInstall);
        m_view.showError(QString::fromStdString(e.what()));
        return RunOutcome::Failed;
    }
}
