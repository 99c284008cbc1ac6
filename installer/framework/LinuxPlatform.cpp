#include "installer/framework/LinuxPlatform.h"

#include "installer/framework/DesktopMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <stdexcept>
#include <unistd.h>

namespace {

QString homeFolder(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.startsWith(QLatin1Char('/')) ? value : QDir::homePath() + fallback;
}

} // namespace

QString LinuxPlatform::systemRootFromEnvironment()
{
    const QString root = qEnvironmentVariable("RADAZIZ_SYSTEM_ROOT");
    return root.isEmpty() ? QString() : QDir::cleanPath(QDir(root).absolutePath());
}

LinuxPlatform::LinuxPlatform(const QString& root, bool asAdministrator)
    : m_root(root)
    , m_system(!root.isEmpty() || asAdministrator)
{
}

LinuxPlatform LinuxPlatform::fromEnvironment()
{
    return LinuxPlatform(systemRootFromEnvironment(), geteuid() == 0);
}

QString LinuxPlatform::configHome() const
{
    if (m_system)
        return m_root + QStringLiteral("/etc/xdg");
    return homeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString LinuxPlatform::dataHome() const
{
    if (m_system)
        return m_root + QStringLiteral("/usr/local/share");
    return homeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString LinuxPlatform::programFilesFolder() const
{
    return m_system ? m_root + QStringLiteral("/opt")
                    : QDir::homePath() + QStringLiteral("/.local/opt");
}

QString LinuxPlatform::defaultEngineFolder() const
{
    return programFilesFolder() + QStringLiteral("/Common Files/Radaziz Engine");
}

QString LinuxPlatform::programsMenuFolder() const
{
    return dataHome() + QStringLiteral("/applications");
}

QString LinuxPlatform::mergedMenusFolder() const
{
    return configHome() + QStringLiteral("/menus/applications-merged");
}

QString LinuxPlatform::menuDirectoriesFolder() const
{
    return dataHome() + QStringLiteral("/desktop-directories");
}

QStringList LinuxPlatform::baseMenuFiles() const
{
    // The desktop's own menu, by its prefix when it names one.
    const QString name =
        qEnvironmentVariable("XDG_MENU_PREFIX") + QStringLiteral("applications.menu");
    QStringList files;
    if (!m_root.isEmpty()) {
        files << m_root + QStringLiteral("/etc/xdg/menus/") + name;
        return files;
    }
    files << configHome() + QStringLiteral("/menus/") + name;
    if (!m_system)
        files << QStringLiteral("/etc/xdg/menus/") + name;
    return files;
}

QString LinuxPlatform::settingsStoreFile() const
{
    return configHome() + QStringLiteral("/radaziz/registry.ini");
}

void LinuxPlatform::scheduleReplacement(const QString&, const QString&)
{
    // The installer's run after the next start completes the replacements it recorded.
}

void LinuxPlatform::scheduleRun(const QString& program, const QStringList& arguments)
{
    // A desktop session starts the autostart entries of its user once at log-in.
    QDir().mkpath(QFileInfo(scheduledRunEntry()).path());
    QSaveFile file(scheduledRunEntry());
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(file.errorString().toStdString());
    file.write("[Desktop Entry]\nType=Application\nName=Setup\nExec=" +
               desktopExecValue(program, arguments).toUtf8() + "\n");
    if (!file.commit())
        throw std::runtime_error(file.errorString().toStdString());
}

QString LinuxPlatform::scheduledRunEntry() const
{
    return configHome() + QStringLiteral("/autostart/brevand-pending.desktop");
}

void LinuxPlatform::finishScheduledRun()
{
    QFile::remove(scheduledRunEntry());
}

bool LinuxPlatform::restartSystem()
{
    return QProcess::execute(QStringLiteral("systemctl"), {QStringLiteral("reboot")}) == 0;
}
