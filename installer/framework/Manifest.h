#pragma once

#include "installer/framework/FileVersion.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// The list of files in the main archive, its first member: each file's number in the
// distribution, its member name, size, version and date as they were when the distribution
// was built.
struct ManifestEntry {
    int id = 0;
    QString source; // the file's name in its source folder
    QString member; // its name in the archive
    qint64 size = 0;
    std::optional<FileVersion> version;
    QDateTime date; // UTC, to the second
};

struct Manifest {
    static constexpr const char* kMemberName = "manifest.json";

    std::vector<ManifestEntry> files;

    const ManifestEntry* find(int id) const;
    qint64 totalSize() const;

    QByteArray toJson() const;
    // Throws std::runtime_error for a text that is not a manifest.
    static Manifest fromJson(const QByteArray& json);
};
