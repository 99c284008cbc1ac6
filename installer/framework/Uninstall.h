#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

class InstallPlatform;

// What an uninstallation left, for the user.
struct UninstallResult {
    QStringList failed; // what could not be removed, with the reason
    QStringList kept;   // what stays on purpose: shared files still in use, folders with files
                        // that were not installed
};

class NotInstalledError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Removes what the record of product says was installed: files (shared files only when their
// use count falls to zero, the engine's other files and registration with them), menu entries
// and folders, folders the installation created when they are empty, the uninstall entry and
// the record. Touches nothing the record does not name, removes only regular files and empty
// folders, and follows no symbolic link. Throws NotInstalledError when the product has no
// entry and no record.
UninstallResult uninstallProduct(InstallPlatform& platform, const QString& product);
