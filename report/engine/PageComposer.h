#pragma once

#include <QDate>
#include <QLocale>

#include <functional>

namespace report {

struct Band;
struct ReportTemplate;
class PageStore;
class ReportDataSet;

struct RunContext {
    // The day printed by system-date printables, in the locale's short date format.
    QDate date;
    QLocale locale;
    // Called after each row, once its progress has been reported: the place to let the user
    // interface process its events. Returning false stops the run.
    std::function<bool()> betweenRows;
    // Called after a group header band has been printed, with the page it went on; the row of
    // the data set is then the group's first row.
    std::function<void(const Band& group, int pageNumber)> groupStarted;
};

enum class RunResult { Completed, Cancelled };

// Composes the pages of one run into the store, from the data set's first row to its last.
// The store is emptied first; each page is readable once finished (PageStore::pageAvailable).
// Progress (rows done × 100 ÷ rows) is reported through the store after each row. A cancel
// (betweenRows returning false, or PageStore::cancel) stops at once and drops the page under
// construction. A template that cannot be run (an unknown child band, an unsupported group
// expression) throws ReportError before any page is begun; errors of the data set and of the
// handlers propagate, leaving the store with the pages finished so far.
RunResult compose(const ReportTemplate& report, ReportDataSet& dataSet, PageStore& store,
                  const RunContext& context);

} // namespace report
