#pragma once

#include <QString>

class QIODevice;

namespace report {

class PageStore;

struct PdfOptions {
    int firstPage = 1;
    int lastPage = -1; // -1: up to the last finished page
    QString title;     // the document's title in its properties
};

// Writes finished pages of the store as a PDF document, on the store's paper in portrait,
// each page laid out as the renderer draws it: the same faces, widths, auto-size and word
// wrap. Fonts (subsets of the faces used, with their Unicode mapping, so text can be copied
// and searched) and pictures are written once and shared by every page. Throws ReportError
// when the range holds no page or the device cannot be written.
void writePdf(const PageStore& store, QIODevice& device, const PdfOptions& options = {});

// The same into a file, which is replaced only once the document is complete.
void writePdf(const PageStore& store, const QString& fileName, const PdfOptions& options = {});

} // namespace report
