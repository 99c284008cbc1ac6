#pragma once

#include "support/TempDir.h"

#include <QByteArray>
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <ostream>

// Qt's texts in test messages and failures.
inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text;
}

namespace installertest {

// A machine in a temporary folder: the installer, its uninstaller and the installed program
// see only what lies under its root (RADAZIZ_SYSTEM_ROOT), and the loader's working folder
// goes to a temporary folder of its own.
class Sandbox {
public:
    Sandbox();

    QString root() const { return m_root; }
    QString programFiles() const { return m_root + "/opt"; }
    QString mainFolder() const { return programFiles() + "/Rodaver99"; }
    QString programFolder() const { return mainFolder() + "/Program files"; }
    QString uninstallFolder() const { return mainFolder() + "/Uninstall"; }
    QString engineFolder() const { return programFiles() + "/Common Files/Radaziz Engine"; }
    QString menuFolder(const QString& name = "Radaziz de Rendimentos 99") const
    {
        return m_root + "/usr/local/share/applications/" + name;
    }
    QString mergedMenus() const { return m_root + "/etc/xdg/menus/applications-merged"; }
    QString store() const { return m_root + "/etc/xdg/radaziz/registry.ini"; }
    QString temporary() const { return m_temp; }

    QProcessEnvironment environment() const;

private:
    testsupport::TempDir m_dir;
    QString m_root;
    QString m_temp;
};

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};
ProcessResult run(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment);

// The distribution the build wrote, and a copy of its installer's working files (the loader
// unpacks them the same way), for runs inside the test.
QString distributionFolder();
void unpackSetup(const QString& into);

// setup --silent ARGS, and the installed uninstaller --silent PRODUCT, in the sandbox.
ProcessResult runSetup(const Sandbox& sandbox, const QStringList& arguments = {});
ProcessResult runUninstall(const Sandbox& sandbox);

// Every entry under root by its relative path: a file's bytes, "<folder>" or "<link>target".
std::map<QString, QByteArray> snapshot(const QString& root);
QStringList filesUnder(const QString& root);

// Every key and value of a settings store.
QMap<QString, QVariant> storeValues(const QString& file);
void writeStore(const QString& file, const QMap<QString, QVariant>& values);

QByteArray fileBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
// The modification time of path, set to seconds since the epoch.
void setDate(const QString& path, qint64 seconds);

// The name in its source folder of a file installed at path.
QString sourceOf(const QString& installedPath);

// The packaged copy of a file of the distribution, by its name in the source folder.
QByteArray packagedFile(const QString& source);

inline const QString kProduct = QStringLiteral("Radaziz de Rendimentos 99");

} // namespace installertest
