#include "installer/framework/FileVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cctype>

namespace {

constexpr char kMarker[] = "@(#)FileVersion ";
constexpr std::size_t kMarkerSize = sizeof kMarker - 1;

} // namespace

std::optional<FileVersion> FileVersion::parse(const QString& text)
{
    const QStringList fields = text.trimmed().split(QLatin1Char('.'));
    FileVersion version;
    for (const QString& field : fields) {
        bool ok = false;
        const int n = field.toInt(&ok);
        if (!ok || n < 0 || field.startsWith(QLatin1Char('+')))
            return std::nullopt;
        version.m_parts.push_back(n);
    }
    while (!version.m_parts.empty() && version.m_parts.back() == 0)
        version.m_parts.pop_back();
    return version;
}

std::optional<FileVersion> FileVersion::ofFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Blocks overlap by the marker and the longest version text, so a marked version across two
    // blocks is still found whole. A marker without numbers after it (the reader's own text,
    // in a program that reads versions) is passed over.
    constexpr qint64 kBlock = 1 << 20;
    constexpr qsizetype kLongestVersion = 64;
    QByteArray block;
    qsizetype from = 0; // where the search resumes in block
    while (true) {
        const bool atEnd = file.atEnd();
        const char* begin = block.constData();
        const char* end = begin + block.size();
        const char* hit = std::search(begin + from, end, kMarker, kMarker + kMarkerSize);
        bool needMore = hit == end;
        if (hit != end) {
            const char* digits = hit + kMarkerSize;
            const char* stop = digits;
            while (stop < end && (std::isdigit(static_cast<unsigned char>(*stop)) || *stop == '.'))
                ++stop;
            if (stop - digits > kLongestVersion) {
                from = hit + 1 - begin;
                continue;
            }
            if (stop == end && !atEnd) {
                needMore = true; // the version may go on in the next block
            } else {
                if (auto version = parse(QString::fromLatin1(digits, stop - digits)))
                    return version;
                from = hit + 1 - begin;
                continue;
            }
        }
        if (needMore) {
            if (atEnd)
                return std::nullopt;
            const qsizetype keep =
                hit != end ? end - hit
                           : std::min<qsizetype>(block.size(), kMarkerSize + kLongestVersion);
            block = block.right(keep) + file.read(kBlock);
            from = 0;
        }
    }
}

QString FileVersion::toString() const
{
    QStringList fields;
    for (int n : m_parts)
        fields << QString::number(n);
    while (fields.size() < 4)
        fields << QStringLiteral("0");
    return fields.join(QLatin1Char('.'));
}

bool packagedIsNewer(const FileStamp& packaged, const FileStamp& onDisk)
{
    if (packaged.version != onDisk.version) {
        if (!onDisk.version)
            return true;
        if (!packaged.version)
            return false;
        return *packaged.version > *onDisk.version;
    }
    return packaged.date > onDisk.date;
}

QDateTime fileDate(const QString& path)
{
    const QDateTime date = QFileInfo(path).lastModified().toUTC();
    return QDateTime::fromSecsSinceEpoch(date.toSecsSinceEpoch(), Qt::UTC);
}

FileStamp stampOfFile(const QString& path)
{
    return {FileVersion::ofFile(path), fileDate(path)};
}
