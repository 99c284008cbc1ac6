#include "report/engine/PdfWriter.h"

#include "report/engine/PageStore.h"
#include "report/engine/ReportError.h"
#include "report/engine/pdf/FontEmbedder.h"
#include "report/engine/pdf/ObjectWriter.h"
#include "report/engine/pdf/PageWriter.h"
#include "report/engine/pdf/PdfSyntax.h"

#include <QIODevice>
#include <QPainter>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace report {

namespace {

using namespace report::pdf;

// The document: its pages in sequence, the fonts and pictures they share, the catalogue, page
// tree and information.
class PdfDocument {
public:
    PdfDocument(const PageStore& store, QIODevice& device, const PdfOptions& options)
        : m_store(store)
        , m_options(options)
        , m_objects(device)
        , m_fonts(m_objects)
    {
    }

    bool write();

private:
    void writeImage(const QImage& image, int id);

    const PageStore& m_store;
    const PdfOptions& m_options;
    ObjectWriter m_objects;
    FontEmbedder m_fonts;
    std::vector<int> m_imageObjects;
};

void PdfDocument::writeImage(const QImage& source, int id)
{
    // Transparency is flattened onto the white paper.
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (source.hasAlphaChannel()) {
        image = QImage(source.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.drawImage(0, 0, source);
    }
    const bool grey = image.allGray();
    std::string pixels;
    pixels.reserve(std::size_t(image.width()) * std::size_t(image.height()) * (grey ? 1 : 3));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (grey) {
                pixels += char(qRed(row[x]));
            } else {
                pixels += char(qRed(row[x]));
                pixels += char(qGreen(row[x]));
                pixels += char(qBlue(row[x]));
            }
        }
    }
    std::string d = "/Type/XObject/Subtype/Image/Width ";
    appendInt(d, image.width());
    d += "/Height ";
    appendInt(d, image.height());
    d += grey ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB";
    d += "/BitsPerComponent 8/Interpolate true";
    m_objects.writeStream(id, std::move(d), std::move(pixels));
}

bool PdfDocument::write()
{
    std::vector<int> sequence = m_options.pages;
    if (sequence.empty()) {
        const int first = std::max(m_options.firstPage, 1);
        const int last = m_options.lastPage < 0
                             ? m_store.finishedCount()
                             : std::min(m_options.lastPage, m_store.finishedCount());
        for (int n = first; n <= last; ++n)
            sequence.push_back(n);
    }
    if (sequence.empty() || std::any_of(sequence.begin(), sequence.end(), [&](int n) {
            return n < 1 || n > m_store.finishedCount();
        }))
        throw ReportError(QStringLiteral("Não há páginas a gravar no PDF."));

    m_fonts.setUp(m_store.fonts());
    int next = 4; // 1 catalogue, 2 page tree, 3 information
    for (std::size_t i = 0; i < m_store.imageCount(); ++i)
        m_imageObjects.push_back(next++);
    const int firstPageObject = next;
    const int pages = int(sequence.size());
    m_objects.reserve(next + 2 * pages);

    PageWriter writer(m_store, m_objects, m_fonts, m_imageObjects, pages);
    for (int k = 0; k < pages; ++k) {
        writer.writePage(sequence[std::size_t(k)], firstPageObject + 2 * k);
        if (m_options.progress && !m_options.progress(k + 1, pages))
            return false;
    }
    m_fonts.writeFonts();
    for (std::size_t i = 0; i < m_imageObjects.size(); ++i)
        writeImage(m_store.image(std::uint32_t(i)), m_imageObjects[i]);
    m_objects.finishStreams();

    std::string& b = m_objects.buffer();
    m_objects.beginObject(1);
    b += "<</Type/Catalog/Pages 2 0 R>>\nendobj\n";

    m_objects.beginObject(2);
    b += "<</Type/Pages/MediaBox[0 0 ";
    appendReal(b, toPoints(m_store.pageWidth()), 3);
    b += ' ';
    appendReal(b, toPoints(m_store.pageHeight()), 3);
    b += "]/Count ";
    appendInt(b, pages);
    b += "/Kids[";
    for (int k = 0; k < pages; ++k) {
        appendInt(b, firstPageObject + 2 * k);
        b += " 0 R ";
        m_objects.flushIfFull();
    }
    b += "]>>\nendobj\n";

    m_objects.beginObject(3);
    b += "<</Producer(Radaziz)";
    if (!m_options.title.isEmpty()) {
        b += "/Title<FEFF";
        for (const QChar ch : m_options.title)
            appendHex4(b, ch.unicode());
        b += '>';
    }
    b += ">>\nendobj\n";
    m_objects.finish(1, 3);
    return true;
}

} // namespace

bool writePdf(const PageStore& store, QIODevice& device, const PdfOptions& options)
{
    return PdfDocument(store, device, options).write();
}

bool writePdf(const PageStore& store, const QString& fileName, const PdfOptions& options)
{
    // Written beside the target and renamed over it once complete, so that a failure never
    // leaves half a document under the name. Not synced to disk: an export of thousands of
    // files would wait on the disk for each.
    QTemporaryFile file(fileName + QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        throw ReportError(QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                              .arg(fileName, file.errorString()));
    }
    if (!writePdf(store, file, options))
        return false;
    const auto fail = [&](const QString& why) {
        return ReportError(
            QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2").arg(fileName, why));
    };
    if (!file.flush())
        throw fail(file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    const std::filesystem::path written(file.fileName().toStdU16String());
    file.close();
    std::error_code error;
    std::filesystem::rename(written, std::filesystem::path(fileName.toStdU16String()), error);
    if (error)
        throw fail(QString::fromStdString(error.message()));
    file.setAutoRemove(false);
    return true;
}

} // namespace report
