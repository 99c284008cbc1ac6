#pragma once

#include "report/engine/Units.h"

#include <QImage>
#include <QPageSize>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace report {

enum class Alignment : std::uint8_t { Left, Right, Center };

struct FontSpec {
    QString family;
    double pointSize = 10;
    bool bold = false;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

enum class PrintableKind : std::uint8_t { Label, Data, Line, SystemDate, Picture };
enum class LineDirection : std::uint8_t { Horizontal, Vertical };

// Receives the text a printable is about to print and may replace it.
using TextHandler = std::function<void(QString& value)>;

// A box relative to the top left corner of its band.
struct Box {
    Length left = 0;
    Length top = 0;
    Length width = 0;
    Length height = 0;
};

struct Printable {
    QString name;
    PrintableKind kind = PrintableKind::Label;
    Box box;
    Alignment alignment = Alignment::Left;
    std::optional<FontSpec> font; // none: the report font
    bool autoSize = false;
    bool transparent = false;
    bool wordWrap = true;
    // A text that must keep to its place: wider than fitWidth from the box's left edge, it is
    // printed smaller, down to fitMinimumPointSize, and then on two lines (fitText). 0: the
    // text runs as wide as it is.
    Length fitWidth = 0;
    double fitMinimumPointSize = 7;
    QString caption;                                     // Label
    QString field;                                       // Data
    LineDirection direction = LineDirection::Horizontal; // Line
    QImage picture;                                      // Picture
    TextHandler onPrint;                                 // Label, Data, SystemDate

    bool isText() const noexcept
    {
        return kind == PrintableKind::Label || kind == PrintableKind::Data ||
               kind == PrintableKind::SystemDate;
    }
};

enum class BandKind : std::uint8_t {
    PageHeader,
    ColumnHeader,
    GroupHeader,
    Detail,
    PageFooter,
    Child
};

// Frame sides of a band, combined as flags.
enum FrameSide : std::uint8_t {
    FrameNone = 0,
    FrameTop = 1,
    FrameBottom = 2,
    FrameLeft = 4,
    FrameRight = 8,
    FrameAll = FrameTop | FrameBottom | FrameLeft | FrameRight,
};

struct Band {
    QString name;
    BandKind kind = BandKind::Detail;
    Length height = 0;
    std::uint8_t frame = FrameNone;
    QString child;           // name of the child band printed directly below, if any
    QString groupExpression; // GroupHeader: the key whose change prints the band
    bool newPageBefore = false;
    std::vector<Printable> printables; // in drawing order
};

struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::Letter;
    Length width = 0;
    Length height = 0;
    Length topMargin = 0;
    Length bottomMargin = 0;
    Length leftMargin = 0;
    Length rightMargin = 0;
    Length bandWidth = 0; // every band, from the left margin
};

struct ReportOptions {
    bool firstPageHeader = true;
    bool lastPageFooter = true;
    bool printIfEmpty = false;
};

// Called at the start of every run; clearing printReport cancels the run.
using BeforePrintHandler = std::function<void(bool& printReport)>;

// A report layout as plain data.
struct ReportTemplate {
    QString title;       // the print job's name
    QString dataSetName; // qualifies field references in group expressions
    PageSetup page;
    FontSpec font; // for printables without a font of their own
    ReportOptions options;
    std::vector<Band> bands; // in the order they follow each other down a page
    BeforePrintHandler beforePrint;

    Band* band(QStringView name);
    const Band* band(QStringView name) const;
    Printable* printable(QStringView name);
    const Printable* printable(QStringView name) const;

    // Attaches a text handler to the text printable of that name; throws ReportError when
    // there is none.
    void setTextHandler(QStringView printableName, TextHandler handler);
};

} // namespace report
