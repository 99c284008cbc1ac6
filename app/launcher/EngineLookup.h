#pragma once

// How an installed Radaziz finds its database engine: through the engine's registration in the
// machine's settings store, which the installer writes. The store is an INI file:
//   /etc/xdg/radaziz/registry.ini for the machine, ~/.config/radaziz/registry.ini (or under
//   XDG_CONFIG_HOME) for one user, which is read first; with RADAZIZ_SYSTEM_ROOT set, only
//   ROOT/etc/xdg/radaziz/registry.ini.
// Its [Engine] section names the engine's Folder, its message Language and its ConfigFile.

#include <QString>
#include <QStringList>

struct EngineLookup {
    enum Status {
        Found,
        NotInstalled, // no store names an engine
        Incomplete,   // the registered engine lacks a file
    };
    Status status = NotInstalled;
    QString folder;
    QString missingFile;
};

inline constexpr const char* kEngineLibrary = "libradaziz-engine.so";

// The settings stores to read, in order.
QStringList settingsStores();
EngineLookup findInstalledEngine(const QStringList& stores);

// What the user is told when the engine cannot be used; empty when it was found.
QString engineLookupMessage(const EngineLookup& lookup);

// The library search path for a program that loads the engine from folder.
QByteArray libraryPathWith(const QString& folder, const QByteArray& current);
