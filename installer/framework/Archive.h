#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <stdexcept>

struct archive;

// The distribution's archives: compressed tar files (pax format) written and read through
// libarchive.
class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(const QString& path); // throws ArchiveError
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    void addFile(const QString& name, const QString& source, const QDateTime& date);
    void addBytes(const QString& name, const QByteArray& bytes, const QDateTime& date);
    // Completes the archive; without it the file is left incomplete.
    void close();

private:
    void header(const QString& name, qint64 size, int mode, const QDateTime& date);
    void data(const char* bytes, qint64 size);

    QString m_path;
    archive* m_archive = nullptr;
};

struct ArchiveMember {
    QString name;
    qint64 size = 0;
    int mode = 0644;
    QDateTime date;
    bool isFile = false;
};

// Reads members in order. Members are read whole or piece by piece; a member that is not read
// is skipped by next().
class ArchiveReader {
public:
    explicit ArchiveReader(const QString& path); // throws ArchiveError
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // The next member; false at the end of the archive.
    bool next(ArchiveMember& member);
    // Up to size bytes of the current member; 0 at its end.
    qint64 read(char* buffer, qint64 size);
    QByteArray readAll();

private:
    [[noreturn]] void fail(const char* what);

    QString m_path;
    archive* m_archive = nullptr;
};
