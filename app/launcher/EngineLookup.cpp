#include "app/launcher/EngineLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

QStringList settingsStores()
{
    const QString root = qEnvironmentVariable("RADAZIZ_SYSTEM_ROOT");
    if (!root.isEmpty())
        return {QDir::cleanPath(QDir(root).absolutePath()) +
                QStringLiteral("/etc/xdg/radaziz/registry.ini")};
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith(QLatin1Char('/')))
        config = QDir::homePath() + QStringLiteral("/.config");
    return {config + QStringLiteral("/radaziz/registry.ini"),
            QStringLiteral("/etc/xdg/radaziz/registry.ini")};
}

EngineLookup findInstalledEngine(const QStringList& stores)
{
    for (const QString& store : stores) {
        if (!QFileInfo(store).isFile())
            continue;
        QSettings settings(store, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("Engine"));
        const QString folder = settings.value(QStringLiteral("Folder")).toString();
        const QString language = settings.value(QStringLiteral("Language")).toString();
        const QString config = settings.value(QStringLiteral("ConfigFile")).toString();
        if (folder.isEmpty())
            continue;
        EngineLookup lookup{EngineLookup::Found, folder, {}};
        const QStringList files{
            folder + QLatin1Char('/') + QLatin1String(kEngineLibrary),
            folder + QStringLiteral("/radaziz-engine-") + language + QStringLiteral(".msg"),
            config,
        };
        for (const QString& file : files)
            if (language.isEmpty() || file.isEmpty() || !QFileInfo(file).isFile()) {
                lookup.status = EngineLookup::Incomplete;
                lookup.missingFile = file.isEmpty() || language.isEmpty()
                                         ? QStringLiteral("(configuração do motor)")
                                         : file;
                break;
            }
        return lookup;
    }
    return {};
}

QString engineLookupMessage(const EngineLookup& lookup)
{
    switch (lookup.status) {
    case EngineLookup::Found:
        return {};
    case EngineLookup::NotInstalled:
        return QStringLiteral("O motor de banco de dados do Radaziz não está instalado neste "
                              "computador. Instale o Radaziz com o programa de instalação.");
    case EngineLookup::Incomplete:
        return QStringLiteral("A instalação do motor de banco de dados do Radaziz em \"%1\" está "
                              "incompleta: falta o arquivo \"%2\". Instale o Radaziz novamente "
                              "com o programa de instalação.")
            .arg(lookup.folder, lookup.missingFile);
    }
    return {};
}

QByteArray libraryPathWith(const QString& folder, const QByteArray& current)
{
    QByteArray path = QFile::encodeName(folder);
    if (!current.isEmpty())
        path += ':' + current;
    return path;
}
