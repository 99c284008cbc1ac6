#include "installer/framework/Uninstall.h"

#include "installer/framework/DesktopMenu.h"
#include "installer/framework/InstallRun.h"
#include "installer/framework/Platform.h"
#include "installer/framework/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// A path the record may name: absolute, with no "." or ".." steps.
bool isPlainAbsolute(const QString& path)
{
    if (!QDir::isAbsolutePath(path))
        return false;
    const QStringList steps = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return !steps.contains(QStringLiteral(".")) && !steps.contains(QStringLiteral(".."));
}

class Remover {
public:
    explicit Remover(UninstallResult& result)
        : m_result(result)
    {
    }

    void file(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return;
        if (info.isSymLink() || !info.isFile()) {
            m_result.kept << QStringLiteral("%1 (not a file that was installed)").arg(path);
            return;
        }
        QFile file(path);
        if (!file.remove())
            m_result.failed << QStringLiteral("%1 (%2)").arg(path, file.errorString());
    }

    void folder(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.exists() || info.isSymLink() || !info.isDir())
            return;
        if (!QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot)) {
            m_result.kept << QStringLiteral("%1 (it is not empty)").arg(path);
            return;
        }
        if (!QDir().rmdir(path))
            m_result.failed << QStringLiteral("%1 (the folder cannot be removed)").arg(path);
    }

private:
    UninstallResult& m_result;
};

} // namespace

UninstallResult uninstallProduct(InstallPlatform& platform, const QString& product)
{
    const QString storeFile = platform.settingsStoreFile();
    SettingsStore store(storeFile);
    std::vector<SettingsStore::RecordedObject> objects = store.record(product);
    if (objects.empty() && !store.installedProducts().contains(product))
        throw NotInstalledError(product.toStdString() + " is not installed");

    UninstallResult result;
    std::erase_if(objects, [&](const SettingsStore::RecordedObject& o) {
        if (isPlainAbsolute(o.path))
            return false;
        result.failed << QStringLiteral("%1 (not a plain absolute path in the record)").arg(o.path);
        return true;
    });
    const auto all = [&](const QString& kind) {
        QStringList paths;
        for (const auto& o : objects)
            if (o.kind == kind)
                paths << o.path;
        return paths;
    };
    Remover remove(result);

    // Shared files lose one use; the last user removes them. The engine's other pieces stay
    // as long as any of its shared files does.
    bool engineInUse = false;
    for (const QString& path : all(recordkind::SharedFile)) {
        const int count = store.useCount(path);
        if (count > 1) {
            store.setUseCount(path, count - 1);
            engineInUse = true;
            result.kept << QStringLiteral("%1 (used by %2 more)").arg(path).arg(count - 1);
            continue;
        }
        store.setUseCount(path, 0);
        remove.file(path);
    }
    for (const QString& path : all(recordkind::File))
        remove.file(path);

    DesktopMenu menu(platform);
    for (const QString& path : all(recordkind::MenuEntry))
        if (path.endsWith(QLatin1String(".desktop")))
            remove.file(path);
    for (const QString& path : all(recordkind::MenuFolder)) {
        try {
            if (!menu.refresh(QFileInfo(path).fileName()))
                result.failed << QStringLiteral("%1 (the menu folder cannot be removed)").arg(path);
        } catch (const std::exception& e) {
            result.failed << QStringLiteral("%1 (%2)").arg(path, QString::fromStdString(e.what()));
        }
    }

    if (!engineInUse) {
        for (const QString& path : all(recordkind::EngineFile))
            remove.file(path);
        for (const QString& folder : all(recordkind::EngineRegistration))
            if (store.engine().folder == folder)
                store.removeEngine();
    }

    store.removeProduct(product);
    if (!all(recordkind::Store).isEmpty() && store.isEmpty() && !QFile::remove(storeFile))
        result.failed << QStringLiteral("%1 (the settings store cannot be removed)").arg(storeFile);

    // Deepest first, so a folder's subfolders are gone before it.
    QStringList folders = all(recordkind::Folder);
    std::sort(folders.begin(), folders.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& path : folders)
        remove.folder(path);
    return result;
}
