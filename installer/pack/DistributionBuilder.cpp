#include "installer/pack/DistributionBuilder.h"

#include "installer/framework/Archive.h"
#include "installer/framework/FileVersion.h"
#include "installer/framework/Manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <set>
#include <stdexcept>

namespace {

QString sourceFolder(const DistributionSources& sources, TSourceFolder kind)
{
    switch (kind) {
    case sfProgramBuild:
        return sources.programBuild;
    case sfInstallerPlatform:
        return sources.installerPlatform;
    case sfEngineShared:
        return sources.engineShared;
    }
    return {};
}

void requireFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw std::runtime_error(path.toStdString() + " is missing");
}

// Renames the finished archives over the old ones only when all are written.
void commit(const QStringList& names, const QString& out)
{
    for (const QString& name : names) {
        const QString target = out + QLatin1Char('/') + name;
        QFile::remove(target);
        if (!QFile::rename(target + QStringLiteral(".part"), target))
            throw std::runtime_error(target.toStdString() + " cannot be written");
    }
}

} // namespace

void buildDistribution(const TInstall& root, const DistributionSources& sources, const QString& out)
{
    if (!QDir().mkpath(out))
        throw std::runtime_error(out.toStdString() + " cannot be created");

    Manifest manifest;
    std::set<int> ids;
    QStringList paths;
    for (const TInstallFile* file : root.findChildren<const TInstallFile*>()) {
        if (!ids.insert(file->UniqueID).second)
            throw std::runtime_error(file->objectName().toStdString() +
                                     ": its UniqueID is another file's too");
        const QString path =
            sourceFolder(sources, file->SourceFolder) + QLatin1Char('/') + file->FileName;
        requireFile(path);
        ManifestEntry entry;
        entry.id = file->UniqueID;
        entry.source = file->FileName;
        entry.member = QString::number(file->UniqueID) + QLatin1Char('/') + file->FileName;
        entry.size = QFileInfo(path).size();
        entry.version = FileVersion::ofFile(path);
        entry.date = fileDate(path);
        manifest.files.push_back(entry);
        paths << path;
    }

    const QDateTime now =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    ArchiveWriter main(out + QStringLiteral("/files.1.part"));
    main.addBytes(QLatin1String(Manifest::kMemberName), manifest.toJson(), now);
    for (std::size_t i = 0; i < manifest.files.size(); ++i)
        main.addFile(manifest.files[i].member, paths[static_cast<qsizetype>(i)],
                     manifest.files[i].date);
    main.close();

    requireFile(sources.installer);
    ArchiveWriter setup(out + QStringLiteral("/setup.1.part"));
    setup.addFile(QFileInfo(sources.installer).fileName(), sources.installer,
                  fileDate(sources.installer));
    for (const QString& name : root.PresetupFiles) {
        const QString path = sources.presetupFolder + QLatin1Char('/') + name;
        requireFile(path);
        setup.addFile(name, path, fileDate(path));
    }
    setup.close();

    requireFile(sources.loader);
    const QString loaderName = root.BuildInfo.LoaderName;
    QFile::remove(out + QLatin1Char('/') + loaderName + QStringLiteral(".part"));
    if (!QFile::copy(sources.loader, out + QLatin1Char('/') + loaderName + QStringLiteral(".part")))
        throw std::runtime_error(loaderName.toStdString() + " cannot be written");
    commit({QStringLiteral("files.1"), QStringLiteral("setup.1"), loaderName}, out);
}
