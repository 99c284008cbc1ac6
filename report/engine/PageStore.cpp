#include "report/engine/PageStore.h"

#include "report/engine/ReportError.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// Letters without their accents, case folded: what a search compares.
QString searchKey(const QString& text)
{
    QString out;
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    }
    return out.toCaseFolded();
}

} // namespace

PageStore::PageStore(QObject* parent)
    : QObject(parent)
{
}

PageStore::~PageStore() = default;

int PageStore::pageCount() const noexcept
{
    return int(m_pages.size()) + (m_pageOpen ? 1 : 0);
}

std::span<const DrawOp> PageStore::page(int number) const noexcept
{
    if (number < 1 || number > int(m_pages.size()))
        return {};
    return m_pages[std::size_t(number - 1)];
}

std::size_t PageStore::memoryUsage() const noexcept
{
    // Heap blocks carry about 16 bytes of bookkeeping each.
    constexpr std::size_t block = 16;
    std::size_t bytes = m_pages.capacity() * sizeof(m_pages[0]) + block;
    for (const auto& p : m_pages)
        bytes += p.capacity() * sizeof(DrawOp) + block;
    bytes += m_strings.capacity() * sizeof(QString) + block;
    for (const QString& s : m_strings)
        bytes += std::size_t(s.capacity()) * 2 + 24 + block;
    // A hash node holds a shared copy of the key and its id, in spans of about 1.2 entries
    // per slot.
    bytes += std::size_t(m_stringIds.capacity()) * (sizeof(QString) + 8 + 2);
    for (const QImage& image : m_images)
        bytes += std::size_t(image.sizeInBytes()) + block;
    return bytes;
}

void PageStore::beginRun(QPageSize::PageSizeId paper, Length width, Length height)
{
    m_pages.clear();
    m_current.clear();
    m_pageOpen = false;
    m_composing = true;
    m_cancelled = false;
    m_strings.clear();
    m_stringIds.clear();
    m_fonts.clear();
    m_images.clear();
    m_bookmarks.clear();
    m_paper = paper;
    m_pageWidth = width;
    m_pageHeight = height;
}

void PageStore::endRun()
{
    const bool completed = !m_cancelled;
    m_composing = false;
    emit runFinished(completed);
}

void PageStore::beginPage()
{
    m_current.clear();
    m_pageOpen = true;
}

void PageStore::finishPage()
{
    // An exact-size copy: a page keeps no slack, and the scratch buffer is reused.
    m_pages.emplace_back(m_current.begin(), m_current.end());
    m_current.clear();
    m_pageOpen = false;
    emit pageAvailable(int(m_pages.size()));
}

void PageStore::abandonPage()
{
    m_current.clear();
    m_pageOpen = false;
}

void PageStore::setPreviewed(bool previewed)
{
    if (previewed == m_previewed)
        return;
    m_previewed = previewed;
    if (!previewed) {
        if (m_composing)
            cancel();
        emit previewReleased();
    }
}

void PageStore::addBookmark(int page, QString text)
{
    m_bookmarks.push_back({page, searchKey(text)});
}

int PageStore::findBookmark(const QString& needle, int afterPage) const
{
    const QString key = searchKey(needle.trimmed());
    if (key.isEmpty() || m_bookmarks.empty())
        return 0;
    const auto start = std::upper_bound(m_bookmarks.begin(), m_bookmarks.end(), afterPage,
                                        [](int page, const Bookmark& b) { return page < b.page; });
    const auto matches = [&](const Bookmark& b) {
        return b.text.contains(key);
    };
    auto it = std::find_if(start, m_bookmarks.end(), matches);
    if (it == m_bookmarks.end()) {
        it = std::find_if(m_bookmarks.begin(), start, matches);
        if (it == start)
            return 0;
    }
    return it->page;
}

int PageStore::bookmarkEnd(int page) const noexcept
{
    const auto next = std::upper_bound(m_bookmarks.begin(), m_bookmarks.end(), page,
                                       [](int p, const Bookmark& b) { return p < b.page; });
    return next != m_bookmarks.end() ? next->page - 1 : std::max(finishedCount(), page);
}

void PageStore::reportProgress(int percent)
{
    emit progressChanged(percent);
}

void PageStore::addFill(Length x, Length y, Length width, Length height)
{
    add(DrawOp{OpKind::Fill, 0, 0, 0, x, y, width, height, 0});
}

void PageStore::addFrame(Length x, Length y, Length width, Length height, std::uint8_t sides)
{
    add(DrawOp{OpKind::Frame, 0, sides, 0, x, y, width, height, 0});
}

void PageStore::addText(Length x, Length y, Length width, Length height, std::uint8_t font,
                        std::uint8_t flags, std::uint32_t text, std::uint8_t fitMinimum)
{
    add(DrawOp{OpKind::Text, font, flags, fitMinimum, x, y, width, height, text});
}

void PageStore::addLine(Length x, Length y, Length width, Length height, bool vertical)
{
    add(DrawOp{OpKind::Line, 0, std::uint8_t(vertical ? DrawOp::Vertical : 0), 0, x, y, width,
               height, 0});
}

void PageStore::addPicture(Length x, Length y, Length width, Length height, std::uint32_t image)
{
    add(DrawOp{OpKind::Picture, 0, 0, 0, x, y, width, height, image});
}

std::uint32_t PageStore::internString(const QString& text)
{
    const auto it = m_stringIds.constFind(text);
    if (it != m_stringIds.constEnd())
        return *it;
    const auto id = std::uint32_t(m_strings.size());
    // Held in composed form, so that a name typed with combining accents ("E" and U+0301)
    // prints as the face's own "É": the faces lack combining marks, and a PDF maps each
    // character to one glyph. Once per distinct text; the key stays the text as given.
    m_strings.push_back(text.normalized(QString::NormalizationForm_C));
    m_stringIds.insert(text, id);
    return id;
}

std::uint8_t PageStore::internFont(const FontSpec& font)
{
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i] == font)
            return std::uint8_t(i);
    }
    if (m_fonts.size() > std::numeric_limits<std::uint8_t>::max())
        throw ReportError(QStringLiteral("O relatório usa fontes demais."));
    m_fonts.push_back(font);
    return std::uint8_t(m_fonts.size() - 1);
}

std::uint32_t PageStore::internImage(const QImage& image)
{
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        if (m_images[i].cacheKey() == image.cacheKey())
            return std::uint32_t(i);
    }
    m_images.push_back(image);
    return std::uint32_t(m_images.size() - 1);
}

} // namespace report
