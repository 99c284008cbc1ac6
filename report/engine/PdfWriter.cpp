#include "report/engine/PdfWriter.h"

#include "report/engine/FaceData.h"
#include "report/engine/PageStore.h"
#include "report/engine/ReportError.h"
#include "report/engine/TextFit.h"
#include "report/engine/TextPlacement.h"
#include "report/engine/TrueTypeSubset.h"
#include "report/engine/pdf/GlyphNames.h"

#include <QIODevice>
#include <QPainter>
#include <QTemporaryFile>
#include <QVarLengthArray>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace report {

namespace {

// Page content is written in the store's own unit, y upwards: one 'cm' scales it to points.
// Runs of fewer operations are written inline even when they come again: see writePage.
constexpr std::uint32_t formMinimumOps = 8;

constexpr std::string_view pageMatrix = "0.005905511811 0 0 0.005905511811 0 0 cm\n";

void appendInt(std::string& s, long long v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// A number with up to `decimals` decimals, trailing zeros dropped.
void appendReal(std::string& s, double v, int decimals = 1)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    long long n = std::llround(v * double(scale));
    if (n < 0) {
        s += '-';
        n = -n;
    }
    appendInt(s, n / scale);
    long long frac = n % scale;
    if (frac == 0)
        return;
    int digits = decimals;
    while (frac % 10 == 0) {
        frac /= 10;
        --digits;
    }
    s += '.';
    std::string f = std::to_string(frac);
    s.append(std::size_t(digits) - f.size(), '0');
    s += f;
}

void appendHex2(std::string& s, unsigned v)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    s += hex[(v >> 4) & 15];
    s += hex[v & 15];
}

void appendHex4(std::string& s, unsigned v)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    s += hex[(v >> 12) & 15];
    s += hex[(v >> 8) & 15];
    s += hex[(v >> 4) & 15];
    s += hex[v & 15];
}

class Deflater {
public:
    explicit Deflater(int strategy)
    {
        if (deflateInit2(&m_z, Z_BEST_SPEED, Z_DEFLATED, 15, 8, strategy) != Z_OK)
            throw ReportError(QStringLiteral("Não foi possível iniciar a compressão do PDF."));
    }
    ~Deflater() { deflateEnd(&m_z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Reuses one stream: setting up zlib's tables for every page would cost more than the
    // compression itself.
    const std::string& compress(std::string_view in)
    {
        deflateReset(&m_z);
        m_out.resize(deflateBound(&m_z, uLong(in.size())));
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        m_z.avail_in = uInt(in.size());
        m_z.next_out = reinterpret_cast<Bytef*>(m_out.data());
        m_z.avail_out = uInt(m_out.size());
        if (deflate(&m_z, Z_FINISH) != Z_STREAM_END)
            throw ReportError(QStringLiteral("Falha na compressão do PDF."));
        m_out.resize(m_out.size() - m_z.avail_out);
        return m_out;
    }

private:
    z_stream m_z{};
    std::string m_out;
};

// Compresses streams on a second thread, in the order they are queued, so that laying out the
// next pages overlaps compressing the last ones.
class StreamCompressor {
public:
    struct Stream {
        int id = 0;
        std::string dictionary;
        std::string data;
        bool fixedCodes = false; // see writeStream
    };

    StreamCompressor()
        : m_thread([this] { work(); })
    {
    }

    ~StreamCompressor()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    StreamCompressor(const StreamCompressor&) = delete;
    StreamCompressor& operator=(const StreamCompressor&) = delete;

    // Streams are handed over in batches: waking the thread for each page costs more than
    // compressing it.
    void push(Stream stream)
    {
        bool wake = false;
        {
            const std::lock_guard lock(m_mutex);
            m_in.push_back(std::move(stream));
            ++m_inFlight;
            wake = m_in.size() >= batch;
        }
        if (wake)
            m_wake.notify_one();
    }

    int inFlight()
    {
        const std::lock_guard lock(m_mutex);
        return m_inFlight;
    }

    // The next compressed stream; with `wait`, waits for it while any is still in flight.
    bool pop(Stream& stream, bool wait)
    {
        std::unique_lock lock(m_mutex);
        if (wait && m_out.empty()) {
            m_flush = true;
            m_wake.notify_one();
            m_done.wait(lock, [this] { return !m_out.empty() || m_inFlight == 0 || m_error; });
        }
        if (m_error)
            std::rethrow_exception(m_error);
        if (m_out.empty())
            return false;
        stream = std::move(m_out.front());
        m_out.pop_front();
        --m_inFlight;
        return true;
    }

private:
    void work()
    {
        Deflater deflater(Z_DEFAULT_STRATEGY);
        Deflater fixed(Z_FIXED);
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] {
                return m_stop || m_in.size() >= batch || (m_flush && !m_in.empty());
            });
            if (m_stop)
                return;
            Stream s = std::move(m_in.front());
            m_in.pop_front();
            if (m_in.empty())
                m_flush = false;
            lock.unlock();
            try {
                s.data = (s.fixedCodes ? fixed : deflater).compress(s.data);
            } catch (...) {
                lock.lock();
                m_error = std::current_exception();
                m_done.notify_all();
                return;
            }
            lock.lock();
            m_out.push_back(std::move(s));
            if (m_in.empty() || m_out.size() >= batch)
                m_done.notify_one();
        }
    }

    static constexpr std::size_t batch = 8;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Stream> m_in;
    std::deque<Stream> m_out;
    int m_inFlight = 0;
    bool m_flush = false; // the writer waits: work on short of a batch
    bool m_stop = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: starts once the rest is set up
};

class Output {
public:
    explicit Output(QIODevice& device)
        : m_device(device)
    {
        m_buffer.reserve(1 << 20);
    }

    std::string& buffer() noexcept { return m_buffer; }
    qint64 position() const noexcept { return m_written + qint64(m_buffer.size()); }

    void flushIfFull()
    {
        if (m_buffer.size() >= (1u << 20))
            flush();
    }

    void flush()
    {
        if (m_buffer.empty())
            return;
        if (m_device.write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size()))
            throw ReportError(
                QStringLiteral("Não foi possível gravar o PDF: %1").arg(m_device.errorString()));
        m_written += qint64(m_buffer.size());
        m_buffer.clear();
    }

private:
    QIODevice& m_device;
    std::string m_buffer;
    qint64 m_written = 0;
};

// Text is drawn in simple TrueType fonts, a byte per character: print spoolers turn the PDF
// into PostScript and back, and only a simple font's glyph names carry the characters through
// that (a composite font's Unicode mapping is lost on the way). The characters of
// Windows-1252 have their codes in WinAnsiEncoding; the rest get codes from 33 on, in order of
// first use, in further fonts of the same face that name their glyphs in /Differences.
constexpr int firstDifferencesCode = 33;

// Each font embeds a program of its own glyphs, numbered from 0 in the order first drawn: a
// PDF 1.2 writer (a virtual PDF printer's) keeps a TrueType font only when the glyphs its codes
// reach are numbered below 256, and draws the text as bitmaps, without its characters,
// otherwise.
constexpr std::size_t programGlyphs = 256;

// A face as embedded in one document: the codes of the characters drawn.
struct Face {
    FaceData* data = nullptr;
    QByteArray name; // PostScript name
    // Per character: its font (an index into the document's fonts) plus one, times 256, plus
    // its code; 0 for a character not drawn yet.
    std::array<std::uint32_t, 256> latin{};
    std::unordered_map<char32_t, std::uint32_t> beyondLatin;
    int winAnsiFont = -1;
    int differencesFont = -1; // the last, which may have codes left
};

// A simple font: up to 256 characters of a face, each a code.
struct SimpleFont {
    int face = 0;
    int object = 0; // font dictionary; then its ToUnicode map, descriptor and font program
    bool winAnsi = false;
    int nextCode = firstDifferencesCode;
    std::bitset<256> used;
    std::array<char32_t, 256> character{};
    std::array<std::uint16_t, 256> glyph{}; // the face's
    std::vector<std::uint16_t> program{0};  // the face's glyphs in the program, in its order
};

// A store font: a face at a size, in the store's unit.
struct FontUse {
    int face = 0;
    double size = 0;   // the em
    double ascent = 0; // from the top of a line to its baseline
    double lineSpacing = 0;
};

// The fonts, forms and pictures one content stream draws on. Each page and form names only
// these in its resource dictionary: a reader reads a page's or form's dictionary each time it
// draws it, so one dictionary of the document's thousands of forms, shared by all, would be
// read again for every band of every page.
struct Resources {
    std::vector<bool> fonts;
    std::vector<bool> images;
    std::vector<int> forms; // in the order first drawn
};

class PdfDocument {
public:
    PdfDocument(const PageStore& store, QIODevice& device, const PdfOptions& options)
        : m_store(store)
        , m_out(device)
        , m_options(options)
    {
    }

    bool write();

private:
    void setUpFonts();
    void beginObject(int id);
    void writeStream(int id, std::string dictionary, std::string data, bool fixedCodes = false);
    void writeCompressed(const StreamCompressor::Stream& stream);
    void writeReady(bool wait);
    void writePage(int number, int pageObject);
    void writeOps(std::span<const DrawOp> ops);
    void writeOp(const DrawOp& op);
    std::uint32_t seenBefore(int page, std::span<const DrawOp> ops, std::uint32_t start,
                             std::uint32_t count, bool remember);
    int formOf(std::uint32_t seen);
    int newObject();
    void writeText(const DrawOp& op);
    std::uint32_t code(int face, char32_t c, std::uint16_t glyph);
    int addFont(int face, bool winAnsi);
    bool addGlyph(SimpleFont& font, std::uint16_t glyph);
    void writeFont(int index);
    void writeImage(const QImage& image, int id);
    void clearResources(Resources& use) const;
    std::string resourceDictionary(const Resources& use) const;

    void fillColour(int level)
    {
        if (m_fill != level) {
            m_content += level ? "1 g\n" : "0 g\n";
            m_fill = level;
        }
    }

    void lineWidth(double w)
    {
        if (m_lineWidth != w) {
            appendReal(m_content, w, 2);
            m_content += " w\n";
            m_lineWidth = w;
        }
    }

    // y of the store (downwards from the top) as PDF y (upwards from the bottom).
    double flip(double y) const noexcept { return m_pageHeight - y; }

    const PageStore& m_store;
    Output m_out;
    const PdfOptions& m_options;
    StreamCompressor m_compressor;

    std::vector<qint64> m_offsets; // per object number
    std::vector<Face> m_faces;
    std::vector<SimpleFont> m_fonts;
    std::vector<FontUse> m_fontUses;
    std::vector<int> m_imageObjects;
    int m_nextObject = 4; // 1 catalogue, 2 page tree, 3 information

    // Runs of operations seen so far, by hash, to find bands drawn again exactly as before.
    struct Seen {
        int page = 0;
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        int form = 0;           // its form's object, once it is drawn again
        std::uint32_t next = 0; // another run with the same hash, plus one
    };
    std::unordered_map<std::size_t, std::uint32_t> m_seenByHash; // index plus one
    std::vector<Seen> m_seen;

    // What the content being written draws on (the page's, or a form's while it is written).
    Resources m_use;
    std::unordered_map<std::string, int> m_resourceObjects; // page resources, by dictionary

    std::string m_content;
    std::vector<std::string> m_spare;
    int m_fill = -1;
    double m_lineWidth = -1;
    double m_pageHeight = 0;
    QVarLengthArray<std::uint16_t, 128> m_glyphs;
};

void PdfDocument::beginObject(int id)
{
    m_offsets[std::size_t(id)] = m_out.position();
    std::string& b = m_out.buffer();
    appendInt(b, id);
    b += " 0 obj\n";
}

void PdfDocument::writeStream(int id, std::string dictionary, std::string data, bool fixedCodes)
{
    // Enough in flight to keep the compressing thread busy, not so many that pages pile up.
    while (m_compressor.inFlight() >= 32)
        writeReady(true);
    m_compressor.push({id, std::move(dictionary), std::move(data), fixedCodes});
    writeReady(false);
}

void PdfDocument::writeReady(bool wait)
{
    StreamCompressor::Stream s;
    while (m_compressor.pop(s, wait)) {
        writeCompressed(s);
        wait = false;
        // The buffer goes round again for a later page's content.
        if (m_spare.size() < 64)
            m_spare.push_back(std::move(s.data));
    }
}

void PdfDocument::writeCompressed(const StreamCompressor::Stream& stream)
{
    beginObject(stream.id);
    std::string& b = m_out.buffer();
    b += "<<";
    b += stream.dictionary;
    b += "/Filter/FlateDecode/Length ";
    appendInt(b, qint64(stream.data.size()));
    b += ">>\nstream\n";
    b += stream.data;
    b += "\nendstream\nendobj\n";
    m_out.flushIfFull();
}

void PdfDocument::setUpFonts()
{
    std::map<FaceData*, int> index;
    for (const FontSpec& spec : m_store.fonts()) {
        FaceData& data = faceData(spec);
        auto it = index.find(&data);
        if (it == index.end()) {
            const int n = int(m_faces.size());
            Face face;
            face.data = &data;
            QString name = data.metrics.postScriptName;
            if (name.isEmpty())
                name = QStringLiteral("Face%1").arg(n);
            face.name = name.toLatin1();
            m_faces.push_back(std::move(face));
            it = index.emplace(&data, n).first;
        }
        FontUse use;
        use.face = it->second;
        use.size = pointsToLength(spec.pointSize);
        const double perUnit = use.size / data.metrics.unitsPerEm;
        // The same vertical metrics as the screen's font engine reports for the face.
        use.ascent = data.raw.ascent() * perUnit;
        use.lineSpacing = (data.raw.ascent() + data.raw.descent() + data.raw.leading()) * perUnit;
        m_fontUses.push_back(use);
    }
}

void PdfDocument::writeText(const DrawOp& op)
{
    const FontUse& use = m_fontUses[op.font];
    FaceData& data = *m_faces[std::size_t(use.face)].data;
    const QString& text = m_store.string(op.ref);
    const qsizetype n = text.size();

    // One glyph per character; the low half of a surrogate pair holds 0xFFFF.
    m_glyphs.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, text[i + 1]);
            m_glyphs[i] = data.glyph(cp);
            m_glyphs[++i] = 0xFFFF;
        } else {
            m_glyphs[i] = data.glyph(c.unicode());
        }
    }

    struct Line {
        qsizetype start = 0;
        qsizetype length = 0;
        double x = 0;
        bool ellipsis = false;
    };
    QVarLengthArray<Line, 2> lines;
    double size = use.size;
    double left = 0;
    double boxWidth = 0;
    double boxHeight = op.height;
    const std::uint16_t ellipsisGlyph = op.fit() ? data.glyph(ellipsisCharacter) : 0;
    const auto measure = [&](qsizetype from, qsizetype length, bool ellipsis) {
        long long units = ellipsis ? data.advance(ellipsisGlyph) : 0;
        for (qsizetype i = from; i < from + length; ++i) {
            if (m_glyphs[i] != 0xFFFF)
                units += data.advance(m_glyphs[i]);
        }
        return double(units) * size / data.metrics.unitsPerEm;
    };
    if (op.fit()) {
        const FontSpec& style = m_store.fonts()[op.font];
        const FittedText fit = fitText(text, style, op.width, op.fitMinimumPointSize());
        size = pointsToLength(fit.pointSize);
        left = op.x + op.width;
        double right = op.x;
        for (const FittedLine& l : fit.lines) {
            const double width = measure(l.start, l.length, l.ellipsis);
            double x = op.x;
            if (op.alignment() == Alignment::Right)
                x += op.width - width;
            else if (op.alignment() == Alignment::Center)
                x += (op.width - width) / 2;
            lines.append({l.start, l.length, x, l.ellipsis});
            left = std::min(left, x);
            right = std::max(right, x + width);
        }
        boxWidth = right - left;
        boxHeight = std::max(boxHeight, double(lines.size()) * use.lineSpacing * size / use.size);
    } else {
        const TextPlacement placed =
            placeText(text, op.x, op.width, op.alignment(), op.autoSize(), op.wordWrap(),
                      [&](QStringView part) {
                          return measure(part.data() - text.constData(), part.size(), false);
                      });
        for (const PlacedLine& l : placed.lines)
            lines.append({l.start, l.length, l.x, false});
        left = placed.left;
        boxWidth = placed.width;
    }
    const double scale = size / use.size;

    std::string& c = m_content;
    if (!op.transparent()) {
        fillColour(1);
        appendReal(c, left);
        c += ' ';
        appendReal(c, flip(op.y + boxHeight));
        c += ' ';
        appendReal(c, boxWidth);
        c += ' ';
        appendReal(c, boxHeight);
        c += " re f\n";
    }
    fillColour(0);
    c += "BT ";
    double x = 0;
    double y = 0;
    double baseline = op.y + use.ascent * scale;
    int font = -1; // the font set in this text object
    bool open = false;
    const auto glyph = [&](std::uint16_t g, char32_t unicode) {
        const std::uint32_t k = code(use.face, unicode, g);
        const int f = int(k >> 8) - 1;
        if (f != font) {
            if (open)
                c += ")Tj";
            if (std::size_t(f) >= m_use.fonts.size())
                m_use.fonts.resize(m_fonts.size(), false);
            m_use.fonts[std::size_t(f)] = true;
            c += "/F";
            appendInt(c, f);
            c += ' ';
            appendReal(c, size, 2);
            c += " Tf";
            font = f;
            open = false;
        }
        if (!open) {
            c += '(';
            open = true;
        }
        // The bytes that end or escape a string are escaped.
        const char byte = char(k & 0xFF);
        if (byte == '(' || byte == ')' || byte == '\\')
            c += '\\';
        c += byte;
    };
    for (const Line& line : lines) {
        const double px = line.x;
        const double py = flip(baseline);
        appendReal(c, px - x);
        c += ' ';
        appendReal(c, py - y);
        c += " Td";
        x = px;
        y = py;
        for (qsizetype i = line.start; i < line.start + line.length; ++i) {
            const std::uint16_t g = m_glyphs[i];
            if (g == 0xFFFF)
                continue;
            const QChar ch = text[i];
            char32_t u = ch.unicode();
            if (ch.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
                u = QChar::surrogateToUcs4(ch, text[i + 1]);
            else if (ch.isSurrogate())
                u = 0xFFFD; // half a pair stands for no character
            glyph(g, u);
        }
        if (line.ellipsis)
            glyph(ellipsisGlyph, ellipsisCharacter);
        if (open)
            c += ")Tj";
        open = false;
        c += ' ';
        baseline += use.lineSpacing * scale;
    }
    c += "ET\n";
}

// The font and code of a character of a face (see Face::latin), given its glyph when first
// drawn.
std::uint32_t PdfDocument::code(int faceIndex, char32_t c, std::uint16_t glyph)
{
    Face& face = m_faces[std::size_t(faceIndex)];
    std::uint32_t& slot = c < face.latin.size() ? face.latin[c] : face.beyondLatin[c];
    if (slot != 0)
        return slot;
    int font = -1;
    int code = pdf::winAnsiCode(c);
    if (code != 0) {
        if (face.winAnsiFont < 0)
            face.winAnsiFont = addFont(faceIndex, true);
        // A character whose glyphs find no room goes to a font of the rest.
        if (addGlyph(m_fonts[std::size_t(face.winAnsiFont)], glyph))
            font = face.winAnsiFont;
    }
    if (font < 0) {
        if (face.differencesFont < 0 || m_fonts[std::size_t(face.differencesFont)].nextCode > 255 ||
            !addGlyph(m_fonts[std::size_t(face.differencesFont)], glyph)) {
            face.differencesFont = addFont(faceIndex, false);
            addGlyph(m_fonts[std::size_t(face.differencesFont)], glyph);
        }
        font = face.differencesFont;
        code = m_fonts[std::size_t(font)].nextCode++;
    }
    SimpleFont& f = m_fonts[std::size_t(font)];
    f.used.set(std::size_t(code));
    f.character[std::size_t(code)] = c;
    f.glyph[std::size_t(code)] = glyph;
    slot = std::uint32_t(font + 1) << 8 | std::uint32_t(code);
    return slot;
}

int PdfDocument::addFont(int faceIndex, bool winAnsi)
{
    SimpleFont font;
    font.face = faceIndex;
    font.winAnsi = winAnsi;
    font.object = newObject();
    newObject(); // ToUnicode map
    newObject(); // descriptor
    newObject(); // font program
    m_fonts.push_back(std::move(font));
    return int(m_fonts.size() - 1);
}

// Adds a glyph, and the glyphs it is drawn from, to a font's program; false, leaving the
// program as it was, when they would not all be numbered below 256.
bool PdfDocument::addGlyph(SimpleFont& font, std::uint16_t glyph)
{
    std::vector<std::uint16_t>& program = font.program;
    const std::size_t before = program.size();
    const auto add = [&](std::uint16_t g) {
        if (std::find(program.begin(), program.end(), g) == program.end())
            program.push_back(g);
    };
    add(glyph);
    for (const std::uint16_t part : m_faces[std::size_t(font.face)].data->parts(glyph))
        add(part);
    if (program.size() <= programGlyphs)
        return true;
    program.resize(before);
    return false;
}

int PdfDocument::newObject()
{
    m_offsets.push_back(0);
    return int(m_offsets.size() - 1);
}

// The run of operations drawn before exactly as this one, at the same place with the same texts,
// as an index into m_seen plus one; 0 for a run not seen before, which with `remember` is
// remembered for the pages to come.
std::uint32_t PdfDocument::seenBefore(int page, std::span<const DrawOp> ops, std::uint32_t start,
                                      std::uint32_t count, bool remember)
{
    const std::span<const DrawOp> run = ops.subspan(start, count);
    const std::string_view bytes(reinterpret_cast<const char*>(run.data()),
                                 run.size() * sizeof(DrawOp));
    const std::size_t hash = std::hash<std::string_view>()(bytes);
    const auto it = m_seenByHash.find(hash);
    const std::uint32_t head = it == m_seenByHash.end() ? 0 : it->second;
    for (std::uint32_t i = head; i != 0; i = m_seen[i - 1].next) {
        const Seen& seen = m_seen[i - 1];
        if (seen.count == count &&
            std::memcmp(m_store.page(seen.page).data() + seen.start, run.data(), bytes.size()) == 0)
            return i;
    }
    if (remember) {
        m_seen.push_back({page, start, count, 0, head});
        m_seenByHash[hash] = std::uint32_t(m_seen.size());
    }
    return 0;
}

// The form that draws a run seen before, written when first needed.
int PdfDocument::formOf(std::uint32_t index)
{
    Seen& seen = m_seen[index - 1];
    if (seen.form != 0)
        return seen.form;
    const int form = newObject();
    seen.form = form;
    const std::span<const DrawOp> run = m_store.page(seen.page).subspan(seen.start, seen.count);
    // The form starts from the graphics state of each place it is drawn at and leaves it as it
    // found it.
    std::string pageContent;
    std::swap(pageContent, m_content);
    Resources pageUse;
    clearResources(pageUse);
    std::swap(pageUse, m_use);
    const int fill = m_fill;
    const double width = m_lineWidth;
    m_fill = -1;
    m_lineWidth = -1;
    writeOps(run);
    std::string d = "/Type/XObject/Subtype/Form/Resources";
    d += resourceDictionary(m_use);
    d += "/BBox[0 0 ";
    appendInt(d, m_store.pageWidth());
    d += ' ';
    appendInt(d, m_store.pageHeight());
    d += ']';
    writeStream(form, std::move(d), std::move(m_content));
    m_content = std::move(pageContent);
    m_use = std::move(pageUse);
    m_fill = fill;
    m_lineWidth = width;
    return form;
}

void PdfDocument::writeOps(std::span<const DrawOp> ops)
{
    for (const DrawOp& op : ops)
        writeOp(op);
}

void PdfDocument::writeOp(const DrawOp& op)
{
    const double frame = pointsToLength(1.0);
    std::string& c = m_content;
    const auto point = [&](double x, double y) {
        appendReal(c, x);
        c += ' ';
        appendReal(c, flip(y));
    };

    switch (op.kind) {
    case OpKind::Fill:
        fillColour(1);
        point(op.x, op.y + op.height);
        c += ' ';
        appendInt(c, op.width);
        c += ' ';
        appendInt(c, op.height);
        c += " re f\n";
        break;
    case OpKind::Frame: {
        // Strokes 1 point wide lying inside the band's edge; a stroked line keeps at least
        // one device pixel where a thin fill could vanish.
        lineWidth(frame);
        const std::uint8_t sides = op.frameSides();
        const double l = op.x, t = op.y, r = op.x + op.width, b = op.y + op.height;
        const double h = frame / 2;
        const auto segment = [&](double x1, double y1, double x2, double y2) {
            point(x1, y1);
            c += " m ";
            point(x2, y2);
            c += " l\n";
        };
        if (sides & FrameTop)
            segment(l, t + h, r, t + h);
        if (sides & FrameBottom)
            segment(l, b - h, r, b - h);
        if (sides & FrameLeft)
            segment(l + h, t, l + h, b);
        if (sides & FrameRight)
            segment(r - h, t, r - h, b);
        c += "S\n";
        break;
    }
    case OpKind::Line:
        lineWidth(0); // the thinnest line the device can draw: one device pixel
        if (op.vertical()) {
            const double x = op.x + op.width / 2.0;
            point(x, op.y);
            c += " m ";
            point(x, op.y + op.height);
        } else {
            const double y = op.y + op.height / 2.0;
            point(op.x, y);
            c += " m ";
            point(op.x + op.width, y);
        }
        c += " l S\n";
        break;
    case OpKind::Picture:
        c += "q ";
        appendInt(c, op.width);
        c += " 0 0 ";
        appendInt(c, op.height);
        c += ' ';
        point(op.x, op.y + op.height);
        c += " cm/Im";
        appendInt(c, op.ref);
        c += " Do Q\n";
        m_use.images[op.ref] = true;
        break;
    case OpKind::Text:
        writeText(op);
        break;
    }
}

void PdfDocument::clearResources(Resources& use) const
{
    use.fonts.assign(m_fonts.size(), false);
    use.images.assign(m_imageObjects.size(), false);
    use.forms.clear();
}

std::string PdfDocument::resourceDictionary(const Resources& use) const
{
    std::string d = "<<";
    if (std::find(use.fonts.begin(), use.fonts.end(), true) != use.fonts.end()) {
        d += "/Font<<";
        for (std::size_t i = 0; i < use.fonts.size(); ++i) {
            if (!use.fonts[i])
                continue;
            d += "/F";
            appendInt(d, qint64(i));
            d += ' ';
            appendInt(d, m_fonts[i].object);
            d += " 0 R";
        }
        d += ">>";
    }
    const bool images = std::find(use.images.begin(), use.images.end(), true) != use.images.end();
    if (images || !use.forms.empty()) {
        d += "/XObject<<";
        for (const int form : use.forms) {
            d += "/Fm";
            appendInt(d, form);
            d += ' ';
            appendInt(d, form);
            d += " 0 R";
        }
        for (std::size_t i = 0; i < use.images.size(); ++i) {
            if (!use.images[i])
                continue;
            d += "/Im";
            appendInt(d, qint64(i));
            d += ' ';
            appendInt(d, m_imageObjects[i]);
            d += " 0 R";
        }
        d += ">>";
    }
    d += ">>";
    return d;
}

void PdfDocument::writePage(int number, int pageObject)
{
    const std::span<const DrawOp> ops = m_store.page(number);
    if (!m_spare.empty()) {
        m_content = std::move(m_spare.back());
        m_spare.pop_back();
    }
    m_content.clear();
    m_content += pageMatrix;
    m_content += "0 G\n";
    m_fill = -1;
    m_lineWidth = -1;
    m_pageHeight = m_store.pageHeight();
    clearResources(m_use);

    // Bands run from one white band fill to the next. Those drawn before exactly as here (the
    // heading and payer box of a company's every page, the footer) are drawn from forms, as few
    // and as large as runs drawn before allow: a reader fetches every form it draws, with the
    // fonts it names, and that costs more than reading a small run inline.
    struct Band {
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
        std::uint32_t seen = 0;
    };
    QVarLengthArray<Band, 32> bands;
    for (std::uint32_t begin = 0; begin < ops.size();) {
        std::uint32_t end = begin + 1;
        while (end < ops.size() && ops[end].kind != OpKind::Fill)
            ++end;
        bands.append({begin, end, seenBefore(number, ops, begin, end - begin, true)});
        begin = end;
    }
    const auto draw = [&](std::uint32_t begin, std::uint32_t end, std::uint32_t seen) {
        if (seen == 0 || end - begin < formMinimumOps) {
            writeOps(ops.subspan(begin, end - begin));
            return;
        }
        const int form = formOf(seen);
        if (std::find(m_use.forms.begin(), m_use.forms.end(), form) == m_use.forms.end())
            m_use.forms.push_back(form);
        m_content += "/Fm";
        appendInt(m_content, form);
        m_content += " Do\n";
    };
    for (qsizetype i = 0; i < bands.size();) {
        if (bands[i].seen == 0) {
            draw(bands[i].begin, bands[i].end, 0);
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < bands.size() && bands[j].seen != 0)
            ++j;
        // The longest runs from the first band on that were drawn before as a whole; a whole
        // run not drawn before is remembered for the pages to come.
        for (bool whole = true; i < j; whole = false) {
            qsizetype k = j;
            std::uint32_t seen = 0;
            for (; k > i + 1; --k) {
                seen = seenBefore(number, ops, bands[i].begin, bands[k - 1].end - bands[i].begin,
                                  false);
                if (seen)
                    break;
            }
            if (k == i + 1)
                seen = bands[i].seen;
            if (whole && k < j)
                seenBefore(number, ops, bands[i].begin, bands[j - 1].end - bands[i].begin, true);
            draw(bands[i].begin, bands[k - 1].end, seen);
            i = k;
        }
    }

    // Pages that draw on the same resources share their dictionary: most of a company's
    // pages do.
    const std::string dictionary = resourceDictionary(m_use);
    int& resources = m_resourceObjects[dictionary];
    if (resources == 0) {
        resources = newObject();
        beginObject(resources);
        m_out.buffer() += dictionary;
        m_out.buffer() += "\nendobj\n";
    }
    beginObject(pageObject);
    std::string& b = m_out.buffer();
    b += "<</Type/Page/Parent 2 0 R/Resources ";
    appendInt(b, resources);
    b += " 0 R/Contents ";
    appendInt(b, pageObject + 1);
    b += " 0 R>>\nendobj\n";
    writeStream(pageObject + 1, std::string(), std::move(m_content));
    m_content = std::string();
}

void PdfDocument::writeFont(int index)
{
    const SimpleFont& font = m_fonts[std::size_t(index)];
    const Face& face = m_faces[std::size_t(font.face)];
    FaceData& data = *face.data;
    const TrueTypeMetrics& m = data.metrics;
    const double scale = 1000.0 / m.unitsPerEm;
    // A font left without codes (its first character found no room) is written all the same.
    int first = 0;
    while (first < 255 && !font.used[std::size_t(first)])
        ++first;
    int last = 255;
    while (last > first && !font.used[std::size_t(last)])
        --last;
    // Each font is a subset of its own.
    std::string name = "RDZ";
    for (int i = 0, n = index; i < 3; ++i, n /= 26)
        name += char('A' + n % 26);
    name += '+';
    name += face.name.toStdString();

    // Widths in the font dictionary itself: a reader builds the font again for every page and
    // form that names it (poppler does), and an object of their own would be one more to find.
    std::string d = "<</Type/Font/Subtype/TrueType/BaseFont/";
    d += name;
    d += "/FirstChar ";
    appendInt(d, first);
    d += "/LastChar ";
    appendInt(d, last);
    d += "/Widths[";
    for (int code = first; code <= last; ++code) {
        if (code != first)
            d += ' ';
        if (font.used[std::size_t(code)])
            appendReal(d, m.advances[font.glyph[std::size_t(code)]] * scale, 3);
        else
            d += '0';
    }
    d += "]/FontDescriptor ";
    appendInt(d, font.object + 2);
    if (font.winAnsi) {
        d += " 0 R/Encoding/WinAnsiEncoding";
    } else {
        d += " 0 R/Encoding<</Type/Encoding/Differences[";
        appendInt(d, first);
        for (int code = first; code <= last; ++code) {
            d += '/';
            d += pdf::glyphName(font.character[std::size_t(code)]);
        }
        d += "]>>";
    }
    d += "/ToUnicode ";
    appendInt(d, font.object + 1);
    d += " 0 R>>\nendobj\n";
    beginObject(font.object);
    m_out.buffer() += d;

    std::string cmap = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                       "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                       "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                       "1 begincodespacerange\n<00><FF>\nendcodespacerange\n";
    std::vector<int> codes;
    std::vector<MappedCharacter> characters;
    for (int code = first; code <= last; ++code) {
        if (font.used[std::size_t(code)]) {
            codes.push_back(code);
            characters.push_back(
                {font.character[std::size_t(code)], font.glyph[std::size_t(code)]});
        }
    }
    for (std::size_t i = 0; i < codes.size(); i += 100) {
        const std::size_t count = std::min<std::size_t>(100, codes.size() - i);
        appendInt(cmap, qint64(count));
        cmap += " beginbfchar\n";
        for (std::size_t k = i; k < i + count; ++k) {
            const char32_t u = font.character[std::size_t(codes[k])];
            cmap += '<';
            appendHex2(cmap, unsigned(codes[k]));
            cmap += "><";
            if (u >= 0x10000) {
                appendHex4(cmap, QChar::highSurrogate(u));
                appendHex4(cmap, QChar::lowSurrogate(u));
            } else {
                appendHex4(cmap, unsigned(u));
            }
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    // Not compressed: it is read again with the font, and a few hundred bytes once per
    // document cost less than inflating them every time.
    beginObject(font.object + 1);
    std::string& b = m_out.buffer();
    b += "<</Length ";
    appendInt(b, qint64(cmap.size()));
    b += ">>\nstream\n";
    b += cmap;
    b += "\nendstream\nendobj\n";

    d = "<</Type/FontDescriptor/FontName/";
    d += name;
    d += "/Flags 32/FontBBox[";
    for (int v : {m.xMin, m.yMin, m.xMax, m.yMax}) {
        appendReal(d, v * scale, 0);
        d += ' ';
    }
    d += "]/ItalicAngle 0/Ascent ";
    appendReal(d, m.ascender * scale, 0);
    d += "/Descent ";
    appendReal(d, m.descender * scale, 0);
    d += "/CapHeight ";
    appendReal(d, m.capHeight * scale, 0);
    d += "/StemV 80/FontFile2 ";
    appendInt(d, font.object + 3);
    d += " 0 R>>\nendobj\n";
    beginObject(font.object + 2);
    m_out.buffer() += d;

    const QByteArray file = subsetTrueType([&data](const char* tag) { return data.table(tag); },
                                           font.program, characters);
    std::string length1 = "/Length1 ";
    appendInt(length1, file.size());
    writeStream(font.object + 3, std::move(length1), file.toStdString(), true);
}

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
    writeStream(id, std::move(d), std::move(pixels));
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

    setUpFonts();
    for (std::size_t i = 0; i < m_store.imageCount(); ++i)
        m_imageObjects.push_back(m_nextObject++);
    const int firstPageObject = m_nextObject;
    const int pages = int(sequence.size());
    m_offsets.assign(std::size_t(m_nextObject + 2 * pages), 0);
    m_seenByHash.reserve(std::size_t(pages) * 12);

    std::string& b = m_out.buffer();
    b += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";

    for (int k = 0; k < pages; ++k) {
        writePage(sequence[std::size_t(k)], firstPageObject + 2 * k);
        if (m_options.progress && !m_options.progress(k + 1, pages))
            return false;
    }
    for (std::size_t i = 0; i < m_fonts.size(); ++i)
        writeFont(int(i));
    for (std::size_t i = 0; i < m_imageObjects.size(); ++i)
        writeImage(m_store.image(std::uint32_t(i)), m_imageObjects[i]);

    while (m_compressor.inFlight() > 0)
        writeReady(true);

    beginObject(1);
    b += "<</Type/Catalog/Pages 2 0 R>>\nendobj\n";

    beginObject(2);
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
        m_out.flushIfFull();
    }
    b += "]>>\nendobj\n";

    beginObject(3);
    b += "<</Producer(Radaziz)";
    if (!m_options.title.isEmpty()) {
        b += "/Title<FEFF";
        for (const QChar ch : m_options.title)
            appendHex4(b, ch.unicode());
        b += '>';
    }
    b += ">>\nendobj\n";

    const qint64 xref = m_out.position();
    b += "xref\n0 ";
    appendInt(b, qint64(m_offsets.size()));
    b += "\n0000000000 65535 f \n";
    for (std::size_t id = 1; id < m_offsets.size(); ++id) {
        char line[24];
        std::snprintf(line, sizeof line, "%010lld 00000 n \n",
                      static_cast<long long>(m_offsets[id]));
        b += line;
        m_out.flushIfFull();
    }
    b += "trailer\n<</Size ";
    appendInt(b, qint64(m_offsets.size()));
    b += "/Root 1 0 R/Info 3 0 R>>\nstartxref\n";
    appendInt(b, xref);
    b += "\n%%EOF\n";
    m_out.flush();
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
