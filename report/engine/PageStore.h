#pragma once

#include "report/engine/ReportTemplate.h"
#include "report/engine/Units.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPageSize>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace report {

enum class OpKind : std::uint8_t { Fill, Frame, Text, Line, Picture };

// One device-independent drawing operation. Coordinates are page coordinates, from the top
// left corner of the paper. Kept at 24 bytes: a page holds about a hundred of them.
struct DrawOp {
    OpKind kind = OpKind::Fill;
    std::uint8_t font = 0;       // Text: index into PageStore::fonts()
    std::uint8_t flags = 0;      // see the accessors
    std::uint8_t fitMinimum = 0; // Text that fits its place: the smallest size, in 1/4 point
    Length x = 0;
    Length y = 0;
    Length width = 0;
    Length height = 0;
    std::uint32_t ref = 0; // Text: string id; Picture: image id

    enum : std::uint8_t {
        AlignMask = 0x03,
        AutoSize = 0x04,
        Transparent = 0x08,
        WordWrap = 0x10,
        Vertical = 0x20,
    };

    // Fill: a white rectangle. Frame: black sides of a band, 1 point thick (at least one device
    // pixel) inside the rectangle's edge. Text: its box; painted white first unless
    // transparent. Line: one device pixel through the middle of the box. Picture: an image
    // stretched into the box.
    // A text with a minimum size to fit (fitMinimum) keeps to its place, `width` from x: drawn as
    // fitText decides, smaller or on two lines when it would run beyond it; its box is the text's,
    // as with auto-size.
    Alignment alignment() const noexcept { return Alignment(flags & AlignMask); }
    bool autoSize() const noexcept { return flags & AutoSize; }
    bool transparent() const noexcept { return flags & Transparent; }
    bool wordWrap() const noexcept { return flags & WordWrap; }
    bool vertical() const noexcept { return flags & Vertical; }
    bool fit() const noexcept { return fitMinimum != 0; }
    double fitMinimumPointSize() const noexcept { return fitMinimum / 4.0; }
    std::uint8_t frameSides() const noexcept { return flags; }
};
static_assert(sizeof(DrawOp) == 24);

// The composed pages of one run, as drawing operations. Texts, fonts and images are held once
// in tables and referred to by index, so the captions repeated on every page cost an index per
// page, not a copy. Pages are numbered from 1; a page can be read as soon as it is finished,
// while later ones are still being composed.
class PageStore : public QObject {
    Q_OBJECT

public:
    explicit PageStore(QObject* parent = nullptr);
    ~PageStore() override;

    // Pages begun so far, the page under construction included.
    int pageCount() const noexcept;
    // Pages that are complete and readable.
    int finishedCount() const noexcept { return int(m_pages.size()); }
    bool isComposing() const noexcept { return m_composing; }

    // The operations of a finished page, in drawing order; empty for a page that is not
    // finished (or does not exist).
    std::span<const DrawOp> page(int number) const noexcept;

    const QString& string(std::uint32_t id) const { return m_strings[id]; }
    const std::vector<FontSpec>& fonts() const noexcept { return m_fonts; }
    const QImage& image(std::uint32_t id) const { return m_images[id]; }
    std::size_t stringCount() const noexcept { return m_strings.size(); }
    std::size_t imageCount() const noexcept { return m_images.size(); }

    QPageSize::PageSizeId paper() const noexcept { return m_paper; }
    Length pageWidth() const noexcept { return m_pageWidth; }
    Length pageHeight() const noexcept { return m_pageHeight; }

    // Stops a running composition after the current row (a preview that lets go of the store
    // does this). Cleared by the next run.
    void cancel() noexcept { m_cancelled = true; }
    bool isCancelled() const noexcept { return m_cancelled; }

    // Whether a preview shows the store. Releasing it cancels a running composition and
    // announces previewReleased, which ends the wait of whoever started the preview.
    bool isPreviewed() const noexcept { return m_previewed; }
    void setPreviewed(bool previewed);

    // Places in the run that a reader may look for (one per statement, say), in page order.
    struct Bookmark {
        int page = 0;
        QString text; // what a search matches against
    };
    const std::vector<Bookmark>& bookmarks() const noexcept { return m_bookmarks; }
    void addBookmark(int page, QString text);
    // The first page of the bookmark after `page` whose text contains `needle` (case and
    // accents ignored), wrapping round to the start; 0 when none matches.
    int findBookmark(const QString& needle, int afterPage) const;
    // The last page of the bookmark that starts at `page`: the page before the next bookmark,
    // or the last page.
    int bookmarkEnd(int page) const noexcept;

    // Bytes held by the pages and their tables, an estimate of the heap they use.
    std::size_t memoryUsage() const noexcept;

    // --- Filled by page composition ---
    void beginRun(QPageSize::PageSizeId paper, Length width, Length height);
    void endRun();
    void beginPage();
    void finishPage();
    // Forgets the page under construction (a cancelled run).
    void abandonPage();
    bool hasOpenPage() const noexcept { return m_pageOpen; }
    void reportProgress(int percent);

    void addFill(Length x, Length y, Length width, Length height);
    void addFrame(Length x, Length y, Length width, Length height, std::uint8_t sides);
    void addText(Length x, Length y, Length width, Length height, std::uint8_t font,
                 std::uint8_t flags, std::uint32_t text, std::uint8_t fitMinimum = 0);
    void addLine(Length x, Length y, Length width, Length height, bool vertical);
    void addPicture(Length x, Length y, Length width, Length height, std::uint32_t image);

    std::uint32_t internString(const QString& text);
    std::uint8_t internFont(const FontSpec& font);
    std::uint32_t internImage(const QImage& image);

signals:
    // A page has been finished and can be drawn.
    void pageAvailable(int pageNumber);
    // Share of the rows composed, 0 to 100.
    void progressChanged(int percent);
    void runFinished(bool completed);
    // The preview has let go of the store.
    void previewReleased();

private:
    void add(const DrawOp& op) { m_current.push_back(op); }

    std::vector<std::vector<DrawOp>> m_pages;
    std::vector<DrawOp> m_current;
    bool m_pageOpen = false;
    bool m_composing = false;
    bool m_cancelled = false;
    bool m_previewed = false;
    std::vector<Bookmark> m_bookmarks;

    std::vector<QString> m_strings;
    QHash<QString, std::uint32_t> m_stringIds;
    std::vector<FontSpec> m_fonts;
    std::vector<QImage> m_images;

    QPageSize::PageSizeId m_paper = QPageSize::Letter;
    Length m_pageWidth = 0;
    Length m_pageHeight = 0;
};

} // namespace report
