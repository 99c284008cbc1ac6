#pragma once

#include <QString>

#include <functional>

class QPrinter;

namespace report {

class PageStore;

// The printer the program prints on: the one chosen in the print and printer set-up dialogs,
// kept for the rest of the program's run.
QPrinter& printer();

struct PrintRequest {
    int firstPage = 1;
    int lastPage = -1; // -1: the last finished page
    int copies = 1;
    QString title; // the job's name in the printer's queue
    // Called after each page sent, with the pages sent and the pages to send; returning
    // false cancels the job.
    std::function<bool(int done, int total)> progress;
};

// Prints finished pages of the store. Copies are made by the printer where it can make them
// itself and by sending the pages again otherwise, collated as the printer is set. Throws
// ReportError when the range holds no page or the printer cannot be used.
void printStore(const PageStore& store, QPrinter& printer, const PrintRequest& request);

} // namespace report
