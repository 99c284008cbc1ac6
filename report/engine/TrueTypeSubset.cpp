#include "report/engine/TrueTypeSubset.h"

#include "report/engine/ReportError.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace report {

namespace {

std::uint16_t u16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        throw ReportError(QStringLiteral("Fonte TrueType danificada."));
    return std::uint16_t((std::uint8_t(b[at]) << 8) | std::uint8_t(b[at + 1]));
}

std::int16_t s16(const QByteArray& b, qsizetype at)
{
    return std::int16_t(u16(b, at));
}

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    return (std::uint32_t(u16(b, at)) << 16) | u16(b, at + 2);
}

void put16(QByteArray& b, qsizetype at, std::uint16_t v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}

void put32(QByteArray& b, qsizetype at, std::uint32_t v)
{
    put16(b, at, std::uint16_t(v >> 16));
    put16(b, at + 2, std::uint16_t(v));
}

void append16(QByteArray& b, std::uint16_t v)
{
    b.append(char(v >> 8));
    b.append(char(v));
}

void append32(QByteArray& b, std::uint32_t v)
{
    append16(b, std::uint16_t(v >> 16));
    append16(b, std::uint16_t(v));
}

std::uint32_t checksum(const QByteArray& table)
{
    std::uint32_t sum = 0;
    QByteArray padded = table;
    while (padded.size() % 4)
        padded.append('\0');
    for (qsizetype i = 0; i < padded.size(); i += 4)
        sum += u32(padded, i);
    return sum;
}

QByteArray required(const FontTableReader& tables, const char* tag)
{
    QByteArray t = tables(tag);
    if (t.isEmpty()) {
        throw ReportError(
            QStringLiteral("A fonte não tem a tabela TrueType \"%1\".").arg(QLatin1String(tag)));
    }
    return t;
}

// Offsets of each glyph's outline in 'glyf', numGlyphs + 1 of them.
std::vector<std::uint32_t> readLoca(const QByteArray& head, const QByteArray& loca, int numGlyphs)
{
    const bool longOffsets = s16(head, 50) != 0;
    std::vector<std::uint32_t> offsets(std::size_t(numGlyphs) + 1);
    for (int i = 0; i <= numGlyphs; ++i)
        offsets[std::size_t(i)] = longOffsets ? u32(loca, qsizetype(i) * 4)
                                              : std::uint32_t(u16(loca, qsizetype(i) * 2)) * 2;
    return offsets;
}

// Name 6 of the 'name' table, from a Windows (UTF-16) or Macintosh (8-bit) record.
QString readPostScriptName(const QByteArray& name)
{
    if (name.size() < 6)
        return QString();
    const int count = u16(name, 2);
    const int strings = u16(name, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype r = 6 + qsizetype(i) * 12;
        if (r + 12 > name.size())
            break;
        const int platform = u16(name, r);
        const int id = u16(name, r + 6);
        const int length = u16(name, r + 8);
        const qsizetype at = strings + qsizetype(u16(name, r + 10));
        if (id != 6 || at + length > name.size())
            continue;
        QString text;
        if (platform == 3 || platform == 0) {
            for (int k = 0; k + 1 < length; k += 2)
                text += QChar(u16(name, at + k));
        } else if (platform == 1) {
            text = QString::fromLatin1(name.constData() + at, length);
        }
        // PostScript names are printable ASCII without delimiters.
        QString clean;
        for (const QChar c : text) {
            if (c.unicode() > 32 && c.unicode() < 127 && !QStringLiteral("[](){}<>/%").contains(c))
                clean += c;
        }
        if (!clean.isEmpty())
            return clean;
    }
    return QString();
}

} // namespace

TrueTypeMetrics readTrueTypeMetrics(const FontTableReader& tables)
{
    const QByteArray head = required(tables, "head");
    const QByteArray hhea = required(tables, "hhea");
    const QByteArray maxp = required(tables, "maxp");
    const QByteArray hmtx = required(tables, "hmtx");
    required(tables, "glyf"); // outlines must be TrueType, not CFF

    TrueTypeMetrics m;
    m.unitsPerEm = u16(head, 18);
    m.xMin = s16(head, 36);
    m.yMin = s16(head, 38);
    m.xMax = s16(head, 40);
    m.yMax = s16(head, 42);
    m.ascender = s16(hhea, 4);
    m.descender = s16(hhea, 6);
    m.numGlyphs = u16(maxp, 4);
    const QByteArray os2 = tables("OS/2");
    m.capHeight = os2.size() >= 90 && u16(os2, 0) >= 2 ? s16(os2, 88) : m.ascender * 7 / 10;

    const int metrics = std::max(1, int(u16(hhea, 34)));
    m.advances.resize(std::size_t(m.numGlyphs));
    int last = 0;
    for (int g = 0; g < m.numGlyphs; ++g) {
        // Glyphs past the last long metric share its advance.
        if (g < metrics)
            last = u16(hmtx, qsizetype(g) * 4);
        m.advances[std::size_t(g)] = last;
    }
    m.postScriptName = readPostScriptName(tables("name"));
    if (m.unitsPerEm <= 0)
        throw ReportError(QStringLiteral("Fonte TrueType danificada."));
    return m;
}

QByteArray subsetTrueType(const FontTableReader& tables, std::vector<bool> used)
{
    QByteArray head = required(tables, "head");
    const QByteArray maxp = required(tables, "maxp");
    const QByteArray loca = required(tables, "loca");
    const QByteArray glyf = required(tables, "glyf");
    const int numGlyphs = u16(maxp, 4);
    const std::vector<std::uint32_t> offsets = readLoca(head, loca, numGlyphs);

    used.resize(std::size_t(numGlyphs), false);
    if (numGlyphs > 0)
        used[0] = true; // .notdef must stay

    // Composite glyphs draw other glyphs: keep those too, to any depth.
    std::vector<int> pending;
    for (int g = 0; g < numGlyphs; ++g) {
        if (used[std::size_t(g)])
            pending.push_back(g);
    }
    while (!pending.empty()) {
        const int g = pending.back();
        pending.pop_back();
        const std::uint32_t start = offsets[std::size_t(g)];
        const std::uint32_t end = offsets[std::size_t(g) + 1];
        if (end <= start || s16(glyf, start) >= 0)
            continue;
        qsizetype at = qsizetype(start) + 10;
        for (;;) {
            const std::uint16_t flags = u16(glyf, at);
            const std::uint16_t component = u16(glyf, at + 2);
            if (component < numGlyphs && !used[component]) {
                used[component] = true;
                pending.push_back(component);
            }
            at += 4;
            at += (flags & 0x0001) ? 4 : 2; // ARG_1_AND_2_ARE_WORDS
            if (flags & 0x0008)             // WE_HAVE_A_SCALE
                at += 2;
            else if (flags & 0x0040) // WE_HAVE_AN_X_AND_Y_SCALE
                at += 4;
            else if (flags & 0x0080) // WE_HAVE_A_TWO_BY_TWO
                at += 8;
            if (!(flags & 0x0020)) // MORE_COMPONENTS
                break;
        }
    }

    QByteArray newGlyf;
    QByteArray newLoca;
    for (int g = 0; g < numGlyphs; ++g) {
        append32(newLoca, std::uint32_t(newGlyf.size()));
        const std::uint32_t start = offsets[std::size_t(g)];
        const std::uint32_t end = offsets[std::size_t(g) + 1];
        if (used[std::size_t(g)] && end > start && end <= std::uint32_t(glyf.size())) {
            newGlyf.append(glyf.constData() + start, qsizetype(end - start));
            while (newGlyf.size() % 4)
                newGlyf.append('\0');
        }
    }
    append32(newLoca, std::uint32_t(newGlyf.size()));

    put32(head, 8, 0);  // checkSumAdjustment, set below
    put16(head, 50, 1); // long loca offsets

    struct Table {
        std::array<char, 4> tag;
        QByteArray data;
    };
    std::vector<Table> out;
    const auto add = [&](const char* tag, QByteArray data) {
        if (!data.isEmpty())
            out.push_back({{tag[0], tag[1], tag[2], tag[3]}, std::move(data)});
    };
    add("cvt ", tables("cvt "));
    add("fpgm", tables("fpgm"));
    add("glyf", newGlyf);
    add("head", head);
    add("hhea", required(tables, "hhea"));
    add("hmtx", required(tables, "hmtx"));
    add("loca", newLoca);
    add("maxp", maxp);
    add("prep", tables("prep"));
    std::sort(out.begin(), out.end(), [](const Table& a, const Table& b) {
        return std::string_view(a.tag.data(), 4) < std::string_view(b.tag.data(), 4);
    });

    const auto count = std::uint16_t(out.size());
    std::uint16_t power = 1;
    std::uint16_t log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray font;
    append32(font, 0x00010000);
    append16(font, count);
    append16(font, std::uint16_t(power * 16));
    append16(font, log2);
    append16(font, std::uint16_t(count * 16 - power * 16));
    std::uint32_t offset = 12 + 16u * count;
    qsizetype headOffset = 0;
    for (const Table& t : out) {
        font.append(t.tag.data(), 4);
        append32(font, checksum(t.data));
        append32(font, offset);
        append32(font, std::uint32_t(t.data.size()));
        if (std::string_view(t.tag.data(), 4) == "head")
            headOffset = offset;
        offset += std::uint32_t((t.data.size() + 3) & ~qsizetype(3));
    }
    for (const Table& t : out) {
        font.append(t.data);
        while (font.size() % 4)
            font.append('\0');
    }
    put32(font, headOffset + 8, 0xB1B0AFBAu - checksum(font));
    return font;
}

} // namespace report
