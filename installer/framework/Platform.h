#pragma once

#include <QString>
#include <QStringList>

// What the installer needs of the operating system, behind one interface so a port maps each
// service to its own: the folders that are known only on the target machine, the settings
// store, and replacing files that are in use.
class InstallPlatform {
public:
    virtual ~InstallPlatform() = default;

    // The program files folder.
    virtual QString programFilesFolder() const = 0;
    // Where the database engine goes when none is registered yet.
    virtual QString defaultEngineFolder() const = 0;
    // The desktop menu: the folder of program entries (a program folder is a subfolder of it),
    // the folder of merged menu files and the folder of menu directory entries.
    virtual QString programsMenuFolder() const = 0;
    virtual QString mergedMenusFolder() const = 0;
    virtual QString menuDirectoriesFolder() const = 0;
    // Menu files that define the desktop's own submenus, read for the list of existing ones.
    virtual QStringList baseMenuFiles() const = 0;
    // The settings store's file.
    virtual QString settingsStoreFile() const = 0;

    // True when the file is held open in a way that stops it being replaced now.
    virtual bool isFileInUse(const QString& path) const = 0;
    // Replaces to by from at the next start of the system.
    virtual void scheduleReplacement(const QString& from, const QString& to) = 0;
    // Runs the program once more, with these arguments, after the next start of the system.
    virtual void scheduleRun(const QString& program, const QStringList& arguments) = 0;
    // The run scheduled with scheduleRun has taken place and is not to happen again.
    virtual void finishScheduledRun() = 0;
    // Restarts the system; false when it could not.
    virtual bool restartSystem() = 0;
};
