#pragma once

#include <QString>

#include <functional>
#include <vector>

class QIODevice;

namespace report {

class PageStore;

struct PdfOptions {
    int firstPage = 1;
    int lastPage = -1; // -1: up to the last finished page
    // The store's pages in the order the document holds them, a page as often as it is
    // listed (copies); when given, it takes the place of firstPage and lastPage.
    std::vector<int> pages;
    QString title; // the document's title in its properties
    // Called after each page written, with the pages written and the pages to write;
    // returning false stops the writing.
    std::function<bool(int done, int total)> progress;
};

// Writes finished pages of the store as a PDF document, on the store's paper in portrait,
// each page laid out as the renderer draws it: the same faces, widths, auto-size and word
// wrap. Fonts (subsets of the faces used, with their Unicode mapping, so text can be copied
// and searched) and pictures are written once and shared by every page. Throws ReportError
// when the range holds no page or the device cannot be written. Returns false when the
// progress callback stopped the writing, leaving the device with an incomplete document.
bool writePdf(const PageStore& store, QIODevice& device, const PdfOptions& options = {});

// The same into a file, which is replaced only once the document is complete (a stopped
// writing leaves the file as it was).
bool writePdf(const PageStore& store, const QString& fileName, const PdfOptions& options = {});

} // namespace report
