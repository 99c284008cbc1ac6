#pragma once

#include <QString>
#include <QStringList>

class InstallPlatform;

// A menu entry that starts a program.
struct DesktopEntry {
    QString name;
    QString program; // absolute path
    QStringList arguments;
    QString workingFolder;
    QString icon; // absolute path or icon name; none when empty
};

// The text of a desktop entry file for it.
QString desktopEntryText(const DesktopEntry& entry);
// The Exec value: each word quoted where it must be, with field codes and escapes applied.
QString desktopExecValue(const QString& program, const QStringList& arguments);

// Program folders of the desktop menu. A program folder named N is a submenu N: its entries
// are the files of the subfolder N of the programs menu folder, listed by a merged menu file,
// with a directory entry that gives the submenu its name and icon. The menu file always lists
// exactly the entries in the subfolder, so several programs can share a folder.
class DesktopMenu {
public:
    explicit DesktopMenu(const InstallPlatform& platform);

    // The names of the submenus that already exist, sorted regardless of case.
    QStringList existingFolders() const;

    // Where the entries of folder name lie.
    QString folderPath(const QString& name) const;
    QString menuFilePath(const QString& name) const;
    QString directoryEntryPath(const QString& name) const;

    // Writes the entry file fileName ("Radaziz.desktop") into folder name; refresh() then
    // lists it in the menu. Returns the entry's path. Throws std::runtime_error when the file
    // cannot be written.
    QString writeEntry(const QString& name, const QString& fileName, const DesktopEntry& entry);

    // Lists the folder's entries anew in its menu file, writing its directory entry; a folder
    // left without entries loses its menu file, directory entry and subfolder. Returns false
    // when something of the folder could not be removed; throws std::runtime_error when a
    // file cannot be written.
    bool refresh(const QString& name);

private:
    QString menuBaseName(const QString& name) const;

    QString m_programs;
    QString m_merged;
    QString m_directories;
    QStringList m_baseMenus;
};
