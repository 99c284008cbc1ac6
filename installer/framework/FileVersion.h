#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// A file's version: dotted numbers ("1.0.0.0"). A file carries it as the marked text
// "@(#)FileVersion 1.0.0.0" anywhere in its bytes; a file without that text has no version.
class FileVersion {
public:
    static std::optional<FileVersion> parse(const QString& text);
    // The first marked version in the file; nothing when there is none or the file cannot be
    // read.
    static std::optional<FileVersion> ofFile(const QString& path);

    QString toString() const;
    friend auto operator<=>(const FileVersion&, const FileVersion&) = default;

private:
    std::vector<int> m_parts; // trailing zeros dropped, so 1.0 equals 1.0.0.0
};

// What is known of a file when comparing a packaged copy with one on disk.
struct FileStamp {
    std::optional<FileVersion> version;
    QDateTime date; // to the second, UTC
};

// The rule of replacing by version and date: the packaged copy replaces the one on disk when
// its version is newer, or the versions are the same (no version on both counts as the same)
// and its date is later. A version is newer than none.
bool packagedIsNewer(const FileStamp& packaged, const FileStamp& onDisk);

// The stamp of a file on disk: its marked version and its modification time.
// A file's modification time in UTC, to the second, as the manifest keeps it.
QDateTime fileDate(const QString& path);
FileStamp stampOfFile(const QString& path);
