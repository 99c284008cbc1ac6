#pragma once

#include "report/engine/PageStore.h"

#include <QVarLengthArray>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace report::pdf {

class FontEmbedder;

// The fonts, forms and pictures one content stream draws on. Each page and form names only
// these in its resource dictionary: a reader reads a page's or form's dictionary each time it
// draws it, so one dictionary of the document's thousands of forms, shared by all, would be
// read again for every band of every page.
struct Resources {
    std::vector<bool> fonts;
    std::vector<bool> images;
    std::vector<int> forms; // in the order first drawn
};

// Writes the store's drawing operations as the operators of a content stream, each page laid
// out as the renderer draws it: the same faces, widths, auto-size and word wrap. Coordinates
// are the store's, y upwards; the page's matrix scales them to points.
class ContentWriter {
public:
    // A content stream being written: a form's is written in the middle of a page's.
    struct State {
        std::string content;
        Resources use;
        int fill = -1;         // the grey level set, -1 before any
        double lineWidth = -1; // -1 before any
    };

    ContentWriter(const PageStore& store, FontEmbedder& fonts);

    // A stream that has set nothing yet and draws on nothing, written into `buffer`.
    State fresh(std::string buffer = {}) const;
    // Goes on with another stream; returns the one written so far.
    State exchange(State state);

    std::string& content() noexcept { return m_state.content; }
    Resources& use() noexcept { return m_state.use; }

    void writeOps(std::span<const DrawOp> ops);

private:
    void writeOp(const DrawOp& op);
    void writeText(const DrawOp& op);

    void fillColour(int level)
    {
        if (m_state.fill != level) {
            m_state.content += level ? "1 g\n" : "0 g\n";
            m_state.fill = level;
        }
    }
    void lineWidth(double w);

    // y of the store (downwards from the top) as PDF y (upwards from the bottom).
    double flip(double y) const noexcept { return m_pageHeight - y; }

    const PageStore& m_store;
    FontEmbedder& m_fonts;
    const double m_pageHeight;
    State m_state;
    QVarLengthArray<std::uint16_t, 128> m_glyphs;
};

} // namespace report::pdf
