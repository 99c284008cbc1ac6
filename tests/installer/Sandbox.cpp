#include "Sandbox.h"

#include "installer/framework/Archive.h"
#include "installer/framework/Manifest.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <stdexcept>
#include <sys/stat.h>
#include <utime.h>

namespace installertest {

Sandbox::Sandbox()
    : m_root(QString::fromStdString((m_dir / "root").string()))
    , m_temp(QString::fromStdString((m_dir / "tmp").string()))
{
    QDir().mkpath(m_root);
    QDir().mkpath(m_temp);
}

QProcessEnvironment Sandbox::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("RADAZIZ_SYSTEM_ROOT", m_root);
    env.insert("TMPDIR", m_temp);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("LD_LIBRARY_PATH");
    return env;
}

ProcessResult run(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    if (!p.waitForFinished(300000))
        throw std::runtime_error(program.toStdString() + " did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString distributionFolder()
{
    return QStringLiteral(BREVAND_DISTRIBUTION);
}

void unpackSetup(const QString& into)
{
    QDir().mkpath(into);
    ArchiveReader reader(distributionFolder() + "/setup.1");
    ArchiveMember member;
    while (reader.next(member)) {
        const QString path = into + "/" + member.name;
        writeBytes(path, reader.readAll());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
    }
}

ProcessResult runSetup(const Sandbox& sandbox, const QStringList& arguments)
{
    return run(distributionFolder() + "/setup", QStringList{"--silent"} + arguments,
               sandbox.environment());
}

ProcessResult runUninstall(const Sandbox& sandbox)
{
    return run(sandbox.uninstallFolder() + "/uninstall", {"--silent", kProduct},
               sandbox.environment());
}

std::map<QString, QByteArray> snapshot(const QString& root)
{
    std::map<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString relative = QDir(root).relativeFilePath(path);
        if (info.isSymLink())
            entries[relative] = "<link>" + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            entries[relative] = "<folder>";
        else
            entries[relative] = fileBytes(path);
    }
    return entries;
}

QStringList filesUnder(const QString& root)
{
    QStringList files;
    for (const auto& [path, bytes] : snapshot(root))
        if (bytes != "<folder>")
            files << path;
    return files;
}

QMap<QString, QVariant> storeValues(const QString& file)
{
    QMap<QString, QVariant> values;
    QSettings settings(file, QSettings::IniFormat);
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

void writeStore(const QString& file, const QMap<QString, QVariant>& values)
{
    QDir().mkpath(QFileInfo(file).path());
    QSettings settings(file, QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void setDate(const QString& path, qint64 seconds)
{
    utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    if (utime(QFile::encodeName(path).constData(), &times) != 0)
        throw std::runtime_error("cannot date " + path.toStdString());
}

QString sourceOf(const QString& installedPath)
{
    const QString name = QFileInfo(installedPath).fileName();
    const bool launcher =
        installedPath.contains("Program files/") && !installedPath.contains("libexec");
    if (launcher && (name == "radaziz" || name == "radaziz-export"))
        return name + "-launcher";
    if (name == "radaziz-engine.cnf")
        return "radaziz-engine-1.cnf";
    return name;
}

QByteArray packagedFile(const QString& source)
{
    ArchiveReader reader(distributionFolder() + "/files.1");
    ArchiveMember member;
    while (reader.next(member))
        if (member.name.endsWith("/" + source))
            return reader.readAll();
    throw std::runtime_error(source.toStdString() + " is not in files.1");
}

} // namespace installertest
