#include "installer/framework/SettingsStore.h"

#include <QSettings>

#include <stdexcept>

namespace {

const QString kEngine = QStringLiteral("Engine");
const QString kShared = QStringLiteral("SharedFiles");
const QString kUninstall = QStringLiteral("Uninstall");
const QString kPending = QStringLiteral("PendingReplacements");

struct SharedCount {
    QString path;
    int count = 0;
};

std::vector<SharedCount> readCounts(QSettings& s)
{
    std::vector<SharedCount> counts;
    const int n = s.beginReadArray(kShared);
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        counts.push_back(
            {s.value(QStringLiteral("Path")).toString(), s.value(QStringLiteral("Count")).toInt()});
    }
    s.endArray();
    return counts;
}

void writeCounts(QSettings& s, const std::vector<SharedCount>& counts)
{
    s.remove(kShared);
    if (counts.empty())
        return;
    s.beginWriteArray(kShared, static_cast<int>(counts.size()));
    for (std::size_t i = 0; i < counts.size(); ++i) {
        s.setArrayIndex(static_cast<int>(i));
        s.setValue(QStringLiteral("Path"), counts[i].path);
        s.setValue(QStringLiteral("Count"), counts[i].count);
    }
    s.endArray();
}

} // namespace

SettingsStore::SettingsStore(const QString& file)
    : m_file(file)
    , m_settings(std::make_unique<QSettings>(file, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

SettingsStore::EngineRegistration SettingsStore::engine() const
{
    QSettings& s = *m_settings;
    s.beginGroup(kEngine);
    EngineRegistration r{s.value(QStringLiteral("Folder")).toString(),
                         s.value(QStringLiteral("Language")).toString(),
                         s.value(QStringLiteral("ConfigFile")).toString(),
                         s.value(QStringLiteral("Drivers")).toStringList()};
    s.endGroup();
    return r;
}

void SettingsStore::registerEngine(const EngineRegistration& r)
{
    QSettings& s = *m_settings;
    s.beginGroup(kEngine);
    s.setValue(QStringLiteral("Folder"), r.folder);
    s.setValue(QStringLiteral("Language"), r.language);
    s.setValue(QStringLiteral("ConfigFile"), r.configFile);
    s.setValue(QStringLiteral("Drivers"), r.drivers);
    s.endGroup();
    sync();
}

void SettingsStore::removeEngine()
{
    m_settings->remove(kEngine);
    sync();
}

int SettingsStore::useCount(const QString& path) const
{
    for (const SharedCount& c : readCounts(*m_settings))
        if (c.path == path)
            return c.count;
    return 0;
}

bool SettingsStore::hasUseCount(const QString& path) const
{
    for (const SharedCount& c : readCounts(*m_settings))
        if (c.path == path)
            return true;
    return false;
}

void SettingsStore::setUseCount(const QString& path, int count)
{
    std::vector<SharedCount> counts = readCounts(*m_settings);
    std::erase_if(counts, [&](const SharedCount& c) { return c.path == path; });
    if (count > 0)
        counts.push_back({path, count});
    writeCounts(*m_settings, counts);
    sync();
}

QString SettingsStore::productGroup(const QString& product) const
{
    return kUninstall + QLatin1Char('/') + product;
}

QStringList SettingsStore::installedProducts() const
{
    QSettings& s = *m_settings;
    s.beginGroup(kUninstall);
    QStringList products = s.childGroups();
    s.endGroup();
    return products;
}

void SettingsStore::setUninstallEntry(const QString& product, const UninstallEntry& entry)
{
    QSettings& s = *m_settings;
    s.beginGroup(productGroup(product));
    s.setValue(QStringLiteral("DisplayName"), entry.displayName);
    s.setValue(QStringLiteral("UninstallString"), entry.uninstallString);
    s.endGroup();
    sync();
}

void SettingsStore::removeProduct(const QString& product)
{
    m_settings->remove(productGroup(product));
    sync();
}

std::vector<SettingsStore::RecordedObject> SettingsStore::record(const QString& product) const
{
    QSettings& s = *m_settings;
    std::vector<RecordedObject> objects;
    s.beginGroup(productGroup(product));
    const int n = s.beginReadArray(QStringLiteral("Objects"));
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        objects.push_back({s.value(QStringLiteral("Kind")).toString(),
                           s.value(QStringLiteral("Path")).toString()});
    }
    s.endArray();
    s.endGroup();
    return objects;
}

void SettingsStore::addToRecord(const QString& product, const RecordedObject& object)
{
    const std::vector<RecordedObject> objects = record(product);
    if (std::find(objects.begin(), objects.end(), object) != objects.end())
        return;
    QSettings& s = *m_settings;
    s.beginGroup(productGroup(product));
    s.beginWriteArray(QStringLiteral("Objects"), static_cast<int>(objects.size() + 1));
    s.setArrayIndex(static_cast<int>(objects.size()));
    s.setValue(QStringLiteral("Kind"), object.kind);
    s.setValue(QStringLiteral("Path"), object.path);
    s.endArray();
    s.endGroup();
    sync();
}

std::vector<SettingsStore::Replacement> SettingsStore::pendingReplacements() const
{
    QSettings& s = *m_settings;
    std::vector<Replacement> pending;
    const int n = s.beginReadArray(kPending);
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        pending.push_back(
            {s.value(QStringLiteral("From")).toString(), s.value(QStringLiteral("To")).toString()});
    }
    s.endArray();
    return pending;
}

void SettingsStore::addPendingReplacement(const Replacement& replacement)
{
    QSettings& s = *m_settings;
    const int n = static_cast<int>(pendingReplacements().size());
    s.beginWriteArray(kPending, n + 1);
    s.setArrayIndex(n);
    s.setValue(QStringLiteral("From"), replacement.from);
    s.setValue(QStringLiteral("To"), replacement.to);
    s.endArray();
    sync();
}

void SettingsStore::clearPendingReplacements()
{
    m_settings->remove(kPending);
    sync();
}

bool SettingsStore::isEmpty() const
{
    return m_settings->allKeys().isEmpty();
}

void SettingsStore::sync()
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw std::runtime_error("the settings store " + m_file.toStdString() +
                                 " cannot be written");
}
