#include "report/engine/TrueTypeSubset.h"

#include "report/engine/ReportError.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

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

// Consecutive characters drawn by consecutive glyphs: one segment or group of a character map.
struct CharacterRun {
    char32_t first = 0;
    char32_t last = 0;
    std::uint16_t glyph = 0; // of the first
};

std::vector<CharacterRun> characterRuns(std::vector<MappedCharacter> characters)
{
    std::sort(characters.begin(), characters.end(),
              [](const MappedCharacter& a, const MappedCharacter& b) {
                  return a.character < b.character;
              });
    std::vector<CharacterRun> runs;
    for (const MappedCharacter& c : characters) {
        // Glyph 0 is what an unmapped character gets anyway.
        if (c.glyph == 0 || (!runs.empty() && runs.back().last >= c.character))
            continue;
        CharacterRun* last = runs.empty() ? nullptr : &runs.back();
        if (last && last->last + 1 == c.character &&
            last->glyph + (c.character - last->first) == c.glyph && c.character != 0x10000)
            last->last = c.character;
        else
            runs.push_back({c.character, c.character, c.glyph});
    }
    return runs;
}

// The largest power of two not above `count`, and its exponent: the search terms that the
// font directory and a format 4 character map both carry.
std::pair<std::uint16_t, std::uint16_t> binarySearchTerms(std::uint16_t count)
{
    std::uint16_t power = 1;
    std::uint16_t log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    return {power, log2};
}

// Format 4, for the basic plane: a segment per run, then the closing one that format requires.
QByteArray basicPlaneSubtable(const std::vector<CharacterRun>& runs)
{
    std::vector<CharacterRun> segments;
    for (const CharacterRun& r : runs) {
        if (r.first < 0xFFFF)
            segments.push_back({r.first, std::min<char32_t>(r.last, 0xFFFE), r.glyph});
    }
    segments.push_back({0xFFFF, 0xFFFF, 0});
    const auto count = std::uint16_t(segments.size());
    const auto [power, log2] = binarySearchTerms(count);
    QByteArray t;
    append16(t, 4);
    append16(t, std::uint16_t(16 + 8 * count));
    append16(t, 0); // language
    append16(t, std::uint16_t(2 * count));
    append16(t, std::uint16_t(2 * power));
    append16(t, log2);
    append16(t, std::uint16_t(2 * count - 2 * power));
    for (const CharacterRun& s : segments)
        append16(t, std::uint16_t(s.last));
    append16(t, 0); // reserved
    for (const CharacterRun& s : segments)
        append16(t, std::uint16_t(s.first));
    for (const CharacterRun& s : segments)
        append16(t, s.first == 0xFFFF ? 1 : std::uint16_t(s.glyph - s.first));
    for (std::uint16_t i = 0; i < count; ++i)
        append16(t, 0); // idRangeOffset
    return t;
}

// Format 12, for every plane.
QByteArray fullSubtable(const std::vector<CharacterRun>& runs)
{
    QByteArray t;
    append16(t, 12);
    append16(t, 0);
    append32(t, std::uint32_t(16 + 12 * runs.size()));
    append32(t, 0); // language
    append32(t, std::uint32_t(runs.size()));
    for (const CharacterRun& r : runs) {
        append32(t, r.first);
        append32(t, r.last);
        append32(t, r.glyph);
    }
    return t;
}

// Windows Unicode subtables: the basic plane's, and one for all planes when a character lies
// beyond the first.
QByteArray characterMap(const std::vector<MappedCharacter>& characters)
{
    const std::vector<CharacterRun> runs = characterRuns(characters);
    const bool beyond = !runs.empty() && runs.back().last > 0xFFFF;
    std::vector<std::pair<std::uint16_t, QByteArray>> subtables;
    subtables.emplace_back(1, basicPlaneSubtable(runs));
    if (beyond)
        subtables.emplace_back(10, fullSubtable(runs));
    QByteArray map;
    append16(map, 0);
    append16(map, std::uint16_t(subtables.size()));
    std::uint32_t offset = 4 + 8 * std::uint32_t(subtables.size());
    for (const auto& [encoding, table] : subtables) {
        append16(map, 3);
        append16(map, encoding);
        append32(map, offset);
        offset += std::uint32_t(table.size());
    }
    for (const auto& [encoding, table] : subtables)
        map += table;
    return map;
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

namespace {

constexpr std::uint16_t kMoreComponents = 0x0020;

// The length of a composite glyph's component record (flags, glyph, arguments, transform).
qsizetype componentLength(std::uint16_t flags)
{
    qsizetype length = 4 + ((flags & 0x0001) ? 4 : 2); // ARG_1_AND_2_ARE_WORDS
    if (flags & 0x0008)                                // WE_HAVE_A_SCALE
        length += 2;
    else if (flags & 0x0040) // WE_HAVE_AN_X_AND_Y_SCALE
        length += 4;
    else if (flags & 0x0080) // WE_HAVE_A_TWO_BY_TWO
        length += 8;
    return length;
}

} // namespace

GlyphOutlines::GlyphOutlines(const FontTableReader& tables)
    : m_glyf(required(tables, "glyf"))
{
    const QByteArray head = required(tables, "head");
    const int numGlyphs = u16(required(tables, "maxp"), 4);
    const QByteArray loca = required(tables, "loca");
    const bool longOffsets = s16(head, 50) != 0;
    m_offsets.resize(std::size_t(numGlyphs) + 1);
    for (int i = 0; i <= numGlyphs; ++i) {
        const std::uint32_t at = longOffsets ? u32(loca, qsizetype(i) * 4)
                                             : std::uint32_t(u16(loca, qsizetype(i) * 2)) * 2;
        // An outline beyond the table, or before the previous one, is taken for none.
        m_offsets[std::size_t(i)] = std::clamp<std::uint32_t>(
            at, i ? m_offsets[std::size_t(i) - 1] : 0, std::uint32_t(m_glyf.size()));
    }
}

QByteArrayView GlyphOutlines::outline(std::uint16_t glyph) const
{
    if (glyph >= glyphCount())
        return {};
    const std::uint32_t start = m_offsets[glyph];
    return QByteArrayView(m_glyf).sliced(start, m_offsets[glyph + 1u] - start);
}

std::vector<std::uint16_t> GlyphOutlines::components(std::uint16_t glyph) const
{
    std::vector<std::uint16_t> parts;
    const QByteArrayView o = outline(glyph);
    if (o.size() < 10 || s16(m_glyf, o.data() - m_glyf.constData()) >= 0)
        return parts;
    qsizetype at = o.data() - m_glyf.constData() + 10;
    for (;;) {
        const std::uint16_t flags = u16(m_glyf, at);
        parts.push_back(u16(m_glyf, at + 2));
        at += componentLength(flags);
        if (!(flags & kMoreComponents))
            break;
    }
    return parts;
}

std::vector<std::uint16_t> GlyphOutlines::allComponents(std::uint16_t glyph) const
{
    std::vector<std::uint16_t> all;
    std::vector<std::uint16_t> pending = {glyph};
    while (!pending.empty()) {
        const std::uint16_t g = pending.back();
        pending.pop_back();
        for (const std::uint16_t part : components(g)) {
            // A font that has a glyph drawn from itself must not hang us.
            if (part != glyph && part < glyphCount() &&
                std::find(all.begin(), all.end(), part) == all.end()) {
                all.push_back(part);
                pending.push_back(part);
            }
        }
    }
    return all;
}

QByteArray subsetTrueType(const FontTableReader& tables, std::vector<std::uint16_t> glyphs,
                          const std::vector<MappedCharacter>& characters)
{
    QByteArray head = required(tables, "head");
    QByteArray maxp = required(tables, "maxp");
    QByteArray hhea = required(tables, "hhea");
    const QByteArray hmtx = required(tables, "hmtx");
    const GlyphOutlines outlines(tables);
    const int numGlyphs = outlines.glyphCount();

    // The number of each glyph in the subset, plus one; composite glyphs bring their parts.
    std::unordered_map<std::uint16_t, std::uint16_t> number;
    std::vector<std::uint16_t> order;
    const auto add = [&](std::uint16_t g) {
        if (g < numGlyphs && number.emplace(g, std::uint16_t(order.size() + 1)).second)
            order.push_back(g);
    };
    add(0);
    for (const std::uint16_t g : glyphs)
        add(g);
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (const std::uint16_t part : outlines.components(order[i]))
            add(part);
    }
    if (order.size() > 0xFFFF)
        throw ReportError(QStringLiteral("Fonte TrueType danificada."));

    QByteArray newGlyf;
    QByteArray newLoca;
    for (const std::uint16_t g : order) {
        append32(newLoca, std::uint32_t(newGlyf.size()));
        const qsizetype at = newGlyf.size();
        newGlyf.append(outlines.outline(g));
        // A composite names its parts by their new numbers.
        if (newGlyf.size() - at >= 10 && s16(newGlyf, at) < 0) {
            qsizetype part = at + 10;
            for (;;) {
                const std::uint16_t flags = u16(newGlyf, part);
                const auto it = number.find(u16(newGlyf, part + 2));
                put16(newGlyf, part + 2, it == number.end() ? 0 : std::uint16_t(it->second - 1));
                part += componentLength(flags);
                if (!(flags & kMoreComponents))
                    break;
            }
        }
        while (newGlyf.size() % 4)
            newGlyf.append('\0');
    }
    append32(newLoca, std::uint32_t(newGlyf.size()));

    // Advance and left side bearing of every glyph of the subset.
    const int longMetrics = std::max(1, int(u16(hhea, 34)));
    QByteArray newHmtx;
    for (const std::uint16_t g : order) {
        const bool full = g < longMetrics;
        append16(newHmtx, u16(hmtx, qsizetype(full ? g : longMetrics - 1) * 4));
        append16(newHmtx, u16(hmtx, full ? qsizetype(g) * 4 + 2
                                         : qsizetype(longMetrics) * 4 + (g - longMetrics) * 2));
    }
    put16(hhea, 34, std::uint16_t(order.size()));
    put16(maxp, 4, std::uint16_t(order.size()));
    put32(head, 8, 0);  // checkSumAdjustment, set below
    put16(head, 50, 1); // long loca offsets

    std::vector<MappedCharacter> mapped;
    for (const MappedCharacter& c : characters) {
        const auto it = number.find(c.glyph);
        if (it != number.end())
            mapped.push_back({c.character, std::uint16_t(it->second - 1)});
    }

    struct Table {
        std::array<char, 4> tag;
        QByteArray data;
    };
    std::vector<Table> out;
    const auto table = [&](const char* tag, QByteArray data) {
        if (!data.isEmpty())
            out.push_back({{tag[0], tag[1], tag[2], tag[3]}, std::move(data)});
    };
    table("cmap", characterMap(mapped));
    table("cvt ", tables("cvt "));
    table("fpgm", tables("fpgm"));
    table("glyf", newGlyf);
    table("head", head);
    table("hhea", hhea);
    table("hmtx", newHmtx);
    table("loca", newLoca);
    table("maxp", maxp);
    table("prep", tables("prep"));
    std::sort(out.begin(), out.end(), [](const Table& a, const Table& b) {
        return std::string_view(a.tag.data(), 4) < std::string_view(b.tag.data(), 4);
    });

    const auto count = std::uint16_t(out.size());
    const auto [power, log2] = binarySearchTerms(count);
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
