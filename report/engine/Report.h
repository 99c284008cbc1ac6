#pragma once

#include "report/engine/PageComposer.h"
#include "report/engine/ReportTemplate.h"

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>

namespace report {

class PageStore;
class ReportDataSet;

// The report object of the engine: a template run over a data set into a page store, shown
// by a preview and printed onto a printer. A concrete report supplies the data set and may
// react to the start of each group.
class Report : public QObject {
    Q_OBJECT

public:
    explicit Report(QObject* owner = nullptr);
    ~Report() override;

    ReportTemplate Template;

    // The store of the preview run (the old engine's printer object). It lives as long as the
    // report, so a preview may show it after composition has ended.
    PageStore* QRPrinter = nullptr;

    // Printer settings for the next print run. FirstPage and LastPage 0 mean from the first
    // and to the last page; an empty printer name, the printer the program has chosen.
    int FirstPage = 0;
    int LastPage = 0;
    int Copies = 1;
    QString PrinterName;

    // The day the system-date printables show, and the regional settings of the texts.
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
    QLocale locale;

    // The preview event: called by Preview() before any page is composed, with the store
    // the pages will go to. It opens the preview window and binds it to the store.
    std::function<void(PageStore& printer)> OnPreview;
    // Whether the program is ending; the preview and print runs stop when it is.
    std::function<bool()> Terminated = [] {
        return false;
    };

    // The paper of the template's page in the old engine's numbering, 0 to 27 (1: Letter).
    int PaperSize() const noexcept;

    // Composes every page into QRPrinter. betweenRows runs after each row; returning false
    // cancels.
    RunResult compose(std::function<bool()> betweenRows = {});

    // Calls OnPreview, composes into QRPrinter while the user interface keeps running, then
    // goes on running it until the preview lets go of the store or the program ends. Returns
    // at once when composition was cancelled.
    void Preview();

    // Composes the report again onto the printer with the printer settings, leaving out the
    // pages outside the range, and shows the "Printing progress" window with its cancel
    // button meanwhile. Throws ReportError (or the data set's error) when the run fails.
    void Print();

protected:
    virtual ReportDataSet& dataSet() = 0;
    // A group header band has been printed on pageNumber of the store being composed; the
    // data set is at the group's first row.
    virtual void groupStarted(const Band& group, int pageNumber, PageStore& store);

private:
    RunResult composeInto(PageStore& store, std::function<bool()> betweenRows);
};

// Old-engine paper number of a page size; 0 ("Default") for sizes it has no number for.
int paperSizeIndex(QPageSize::PageSizeId paper) noexcept;

} // namespace report
