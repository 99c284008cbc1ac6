#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QSettings;

// The machine's settings store, which programs share the way they share a registry: the
// database engine's registration, the use counts of shared files, the list of installed
// programs with their uninstall commands and the record of what each installation put on the
// machine, and replacements waiting for the next start. One INI file.
//
// Layout (the installed program reads [Engine] too):
//   [Engine]               Folder, Language, ConfigFile, Drivers
//   [SharedFiles]          array of Path, Count
//   [Uninstall]            <product>/DisplayName, <product>/UninstallString,
//                          <product>/Objects: array of Kind, Path
//   [PendingReplacements]  array of From, To
class SettingsStore {
public:
    explicit SettingsStore(const QString& file);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const QString& file() const { return m_file; }

    struct EngineRegistration {
        QString folder;
        QString language;
        QString configFile;
        QStringList drivers;
        bool isRegistered() const { return !folder.isEmpty(); }
    };
    EngineRegistration engine() const;
    void registerEngine(const EngineRegistration& registration);
    void removeEngine();

    // 0 when the file has no use count.
    int useCount(const QString& path) const;
    bool hasUseCount(const QString& path) const;
    // A count of 0 removes the file's entry.
    void setUseCount(const QString& path, int count);

    struct UninstallEntry {
        QString displayName;
        QString uninstallString;
    };
    QStringList installedProducts() const;
    void setUninstallEntry(const QString& product, const UninstallEntry& entry);
    // Removes the entry with its record.
    void removeProduct(const QString& product);

    struct RecordedObject {
        QString kind;
        QString path;
        friend bool operator==(const RecordedObject&, const RecordedObject&) = default;
    };
    std::vector<RecordedObject> record(const QString& product) const;
    // Adds the object unless the record holds it already, and writes the store at once.
    void addToRecord(const QString& product, const RecordedObject& object);

    struct Replacement {
        QString from;
        QString to;
    };
    std::vector<Replacement> pendingReplacements() const;
    void addPendingReplacement(const Replacement& replacement);
    void clearPendingReplacements();

    bool isEmpty() const;
    // Writes what was changed; throws std::runtime_error when the store cannot be written.
    void sync();

private:
    QString productGroup(const QString& product) const;

    QString m_file;
    std::unique_ptr<QSettings> m_settings;
};
