#include "report/engine/pdf/PageWriter.h"

#include "report/engine/pdf/FontEmbedder.h"
#include "report/engine/pdf/ObjectWriter.h"
#include "report/engine/pdf/PdfSyntax.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace report::pdf {

namespace {

// Page content is written in the store's own unit, y upwards: one 'cm' scales it to points.
// Runs of fewer operations are written inline even when they come again: see writePage.
constexpr std::uint32_t formMinimumOps = 8;

constexpr std::string_view pageMatrix = "0.005905511811 0 0 0.005905511811 0 0 cm\n";

} // namespace

PageWriter::PageWriter(const PageStore& store, ObjectWriter& objects, FontEmbedder& fonts,
                       const std::vector<int>& imageObjects, int pages)
    : m_store(store)
    , m_objects(objects)
    , m_fonts(fonts)
    , m_imageObjects(imageObjects)
    , m_content(store, fonts)
{
    m_seenByHash.reserve(std::size_t(pages) * 12);
}

// The run of operations drawn before exactly as this one, at the same place with the same texts,
// as an index into m_seen plus one; 0 for a run not seen before, which with `remember` is
// remembered for the pages to come.
std::uint32_t PageWriter::seenBefore(int page, std::span<const DrawOp> ops, std::uint32_t start,
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
int PageWriter::formOf(std::uint32_t index)
{
    Seen& seen = m_seen[index - 1];
    if (seen.form != 0)
        return seen.form;
    const int form = m_objects.newObject();
    seen.form = form;
    const std::span<const DrawOp> run = m_store.page(seen.page).subspan(seen.start, seen.count);
    // The form starts from the graphics state of each place it is drawn at and leaves it as it
    // found it.
    ContentWriter::State page = m_content.exchange(m_content.fresh());
    m_content.writeOps(run);
    ContentWriter::State written = m_content.exchange(std::move(page));
    std::string d = "/Type/XObject/Subtype/Form/Resources";
    d += resourceDictionary(written.use);
    d += "/BBox[0 0 ";
    appendInt(d, m_store.pageWidth());
    d += ' ';
    appendInt(d, m_store.pageHeight());
    d += ']';
    m_objects.writeStream(form, std::move(d), std::move(written.content));
    return form;
}

std::string PageWriter::resourceDictionary(const Resources& use) const
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
            appendInt(d, m_fonts.fontObject(i));
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

void PageWriter::writePage(int number, int pageObject)
{
    const std::span<const DrawOp> ops = m_store.page(number);
    m_content.exchange(m_content.fresh(m_objects.spareBuffer()));
    std::string& content = m_content.content();
    content += pageMatrix;
    content += "0 G\n";

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
            m_content.writeOps(ops.subspan(begin, end - begin));
            return;
        }
        const int form = formOf(seen);
        std::vector<int>& forms = m_content.use().forms;
        if (std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(form);
        std::string& c = m_content.content();
        c += "/Fm";
        appendInt(c, form);
        c += " Do\n";
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
    ContentWriter::State written = m_content.exchange({});
    const std::string dictionary = resourceDictionary(written.use);
    int& resources = m_resourceObjects[dictionary];
    if (resources == 0) {
        resources = m_objects.newObject();
        m_objects.beginObject(resources);
        m_objects.buffer() += dictionary;
        m_objects.buffer() += "\nendobj\n";
    }
    m_objects.beginObject(pageObject);
    std::string& b = m_objects.buffer();
    b += "<</Type/Page/Parent 2 0 R/Resources ";
    appendInt(b, resources);
    b += " 0 R/Contents ";
    appendInt(b, pageObject + 1);
    b += " 0 R>>\nendobj\n";
    m_objects.writeStream(pageObject + 1, std::string(), std::move(written.content));
}

} // namespace report::pdf
