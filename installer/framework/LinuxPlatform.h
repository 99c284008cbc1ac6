#pragma once

#include "installer/framework/Platform.h"

// The installer's services on a Linux desktop. Folders follow the XDG base directories: the
// system's when run as root, the user's otherwise. With a root folder given (the environment
// variable RADAZIZ_SYSTEM_ROOT), every folder lies under it as on a system seen from "/", so a
// whole installation can run in a scratch folder.
//
//                      root                        user                          under ROOT
//   program files      /opt                        ~/.local/opt                  ROOT/opt
//   programs menu      /usr/local/share/applications  ~/.local/share/applications  ROOT/usr/...
//   merged menus       /etc/xdg/menus/applications-merged  ~/.config/menus/...       ROOT/etc/...
//   settings store     /etc/xdg/radaziz/registry.ini   ~/.config/radaziz/registry.ini  ROOT/etc/...
class LinuxPlatform : public InstallPlatform {
public:
    // The scratch root from the environment, empty when unset.
    static QString systemRootFromEnvironment();

    // root: the folder everything lies under, or empty for the real system. asAdministrator:
    // system or user folders; ignored under a root.
    LinuxPlatform(const QString& root, bool asAdministrator);
    // The machine as this process sees it: the environment's root, else by the user id.
    static LinuxPlatform fromEnvironment();

    QString programFilesFolder() const override;
    QString defaultEngineFolder() const override;
    QString programsMenuFolder() const override;
    QString mergedMenusFolder() const override;
    QString menuDirectoriesFolder() const override;
    QStringList baseMenuFiles() const override;
    QString settingsStoreFile() const override;

    // A running program's file is replaced by renaming over it; nothing waits for a restart.
    bool isFileInUse(const QString&) const override { return false; }
    void scheduleReplacement(const QString& from, const QString& to) override;
    void scheduleRun(const QString& program, const QStringList& arguments) override;
    void finishScheduledRun() override;
    bool restartSystem() override;

private:
    QString configHome() const; // /etc/xdg or the user's
    QString dataHome() const;   // /usr/local/share or the user's
    QString scheduledRunEntry() const;

    QString m_root;
    bool m_system = true;
};
