#include "installer/framework/Archive.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <string>

namespace {

std::string describe(const QString& path, const char* what, archive* a)
{
    std::string message = QFileInfo(path).fileName().toStdString() + " " + what;
    if (a && archive_error_string(a))
        message += std::string(": ") + archive_error_string(a);
    return message;
}

} // namespace

ArchiveWriter::ArchiveWriter(const QString& path)
    : m_path(path)
    , m_archive(archive_write_new())
{
    if (!m_archive)
        throw ArchiveError("out of memory");
    if (archive_write_set_format_pax_restricted(m_archive) != ARCHIVE_OK ||
        archive_write_add_filter_gzip(m_archive) != ARCHIVE_OK ||
        archive_write_set_filter_option(m_archive, "gzip", "compression-level", "1") !=
            ARCHIVE_OK ||
        archive_write_open_filename(m_archive, QFile::encodeName(path).constData()) != ARCHIVE_OK) {
        const std::string message = describe(path, "cannot be written", m_archive);
        archive_write_free(m_archive);
        throw ArchiveError(message);
    }
}

ArchiveWriter::~ArchiveWriter()
{
    // An archive that was not closed is incomplete; free it without writing its end.
    if (m_archive) {
        archive_write_fail(m_archive);
        archive_write_free(m_archive);
    }
}

void ArchiveWriter::header(const QString& name, qint64 size, int mode, const QDateTime& date)
{
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname_utf8(entry, name.toUtf8().constData());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, static_cast<mode_t>(mode));
    archive_entry_set_size(entry, size);
    archive_entry_set_mtime(entry, date.toSecsSinceEpoch(), 0);
    const int status = archive_write_header(m_archive, entry);
    archive_entry_free(entry);
    if (status != ARCHIVE_OK)
        throw ArchiveError(describe(m_path, "cannot add a member", m_archive));
}

void ArchiveWriter::data(const char* bytes, qint64 size)
{
    if (size > 0 && archive_write_data(m_archive, bytes, static_cast<size_t>(size)) != size)
        throw ArchiveError(describe(m_path, "cannot be written", m_archive));
}

void ArchiveWriter::addFile(const QString& name, const QString& source, const QDateTime& date)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw ArchiveError(source.toStdString() + ": " + in.errorString().toStdString());
    const bool executable = in.permissions() & QFileDevice::ExeOwner;
    header(name, in.size(), executable ? 0755 : 0644, date);
    qint64 written = 0;
    while (!in.atEnd()) {
        const QByteArray piece = in.read(1 << 20);
        if (piece.isEmpty())
            break;
        data(piece.constData(), piece.size());
        written += piece.size();
    }
    if (written != in.size())
        throw ArchiveError(source.toStdString() + ": changed while it was being packed");
}

void ArchiveWriter::addBytes(const QString& name, const QByteArray& bytes, const QDateTime& date)
{
    header(name, bytes.size(), 0644, date);
    data(bytes.constData(), bytes.size());
}

void ArchiveWriter::close()
{
    const int status = archive_write_close(m_archive);
    archive_write_free(m_archive);
    m_archive = nullptr;
    if (status != ARCHIVE_OK)
        throw ArchiveError(describe(m_path, "cannot be completed", nullptr));
}

ArchiveReader::ArchiveReader(const QString& path)
    : m_path(path)
    , m_archive(archive_read_new())
{
    if (!m_archive)
        throw ArchiveError("out of memory");
    archive_read_support_format_tar(m_archive);
    archive_read_support_filter_gzip(m_archive);
    if (!QFileInfo(path).isFile()) {
        archive_read_free(m_archive);
        m_archive = nullptr;
        throw ArchiveError(describe(path, "is missing", nullptr));
    }
    if (archive_read_open_filename(m_archive, QFile::encodeName(path).constData(), 1 << 16) !=
        ARCHIVE_OK) {
        const std::string message = describe(path, "cannot be read", m_archive);
        archive_read_free(m_archive);
        m_archive = nullptr;
        throw ArchiveError(message);
    }
}

ArchiveReader::~ArchiveReader()
{
    if (m_archive)
        archive_read_free(m_archive);
}

void ArchiveReader::fail(const char* what)
{
    throw ArchiveError(describe(m_path, what, m_archive));
}

bool ArchiveReader::next(ArchiveMember& member)
{
    archive_entry* entry = nullptr;
    const int status = archive_read_next_header(m_archive, &entry);
    if (status == ARCHIVE_EOF)
        return false;
    if (status != ARCHIVE_OK)
        fail("is damaged");
    const char* name = archive_entry_pathname_utf8(entry);
    member.name = name ? QString::fromUtf8(name) : QString();
    member.size = archive_entry_size(entry);
    member.mode = static_cast<int>(archive_entry_perm(entry));
    member.date = QDateTime::fromSecsSinceEpoch(archive_entry_mtime(entry), Qt::UTC);
    member.isFile = archive_entry_filetype(entry) == AE_IFREG;
    return true;
}

qint64 ArchiveReader::read(char* buffer, qint64 size)
{
    const la_ssize_t n = archive_read_data(m_archive, buffer, static_cast<size_t>(size));
    if (n < 0)
        fail("is damaged");
    return n;
}

QByteArray ArchiveReader::readAll()
{
    QByteArray bytes;
    char buffer[1 << 14];
    while (const qint64 n = read(buffer, sizeof buffer))
        bytes.append(buffer, n);
    return bytes;
}
