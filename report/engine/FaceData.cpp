#include "report/engine/FaceData.h"

#include "report/engine/ReportError.h"
#include "report/engine/ReportFonts.h"

#include <QCoreApplication>
#include <QThread>

#include <map>
#include <mutex>

namespace report {

QByteArray FaceData::table(const char* tag)
{
    const QByteArray key(tag);
    auto it = tables.constFind(key);
    if (it == tables.constEnd())
        it = tables.insert(key, raw.fontTable(tag));
    return *it;
}

std::uint16_t FaceData::glyph(char32_t c)
{
    if (c < 0x10000) {
        std::uint32_t& slot = bmp[c];
        if (slot == 0)
            slot = std::uint32_t(lookUp(c)) + 1;
        return std::uint16_t(slot - 1);
    }
    const auto it = astral.constFind(c);
    if (it != astral.constEnd())
        return *it;
    const std::uint16_t g = lookUp(c);
    astral.insert(c, g);
    return g;
}

std::vector<std::uint16_t> FaceData::parts(std::uint16_t glyph)
{
    if (!outlines)
        outlines = std::make_unique<GlyphOutlines>([this](const char* tag) { return table(tag); });
    return outlines->allComponents(glyph);
}

std::uint16_t FaceData::lookUp(char32_t c) const
{
    const QList<quint32> g = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
    if (g.isEmpty() || g.front() >= quint32(metrics.numGlyphs))
        return 0;
    return std::uint16_t(g.front());
}

namespace {

struct FaceCache {
    std::map<QString, std::unique_ptr<FaceData>> byFace; // family and style as resolved
    std::map<QString, FaceData*> byRequest;              // family and weight as asked for
};

FaceCache& faceCache()
{
    thread_local FaceCache cache;
    return cache;
}

// Fonts must go before the application that loaded them; runs on the main thread.
void clearMainThreadFaces()
{
    faceCache() = FaceCache();
}

} // namespace

FaceData& faceData(const FontSpec& wanted)
{
    FaceCache& faces = faceCache();
    const QString asked = wanted.family + (wanted.bold ? QLatin1String("|b") : QLatin1String("|r"));
    if (const auto it = faces.byRequest.find(asked); it != faces.byRequest.end())
        return *it->second;

    static std::once_flag cleanup;
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        std::call_once(cleanup, [] { qAddPostRoutine(clearMainThreadFaces); });
    QFont font = makeFont(wanted);
    font.setPixelSize(1000);
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid())
        throw ReportError(QStringLiteral("A fonte \"%1\" não está disponível.").arg(wanted.family));
    const QString key = raw.familyName().toLower() + u'|' + raw.styleName();
    std::unique_ptr<FaceData>& slot = faces.byFace[key];
    if (!slot) {
        auto data = std::make_unique<FaceData>();
        data->raw = raw;
        data->metrics = readTrueTypeMetrics([&d = *data](const char* tag) { return d.table(tag); });
        data->raw.setPixelSize(data->metrics.unitsPerEm);
        data->bmp = std::make_unique<std::uint32_t[]>(0x10000);
        slot = std::move(data);
    }
    faces.byRequest.emplace(asked, slot.get());
    return *slot;
}

} // namespace report
