#pragma once

#include "report/UInforme.h"

#include <QString>

#include <functional>
#include <memory>

class QMdiArea;

namespace prep {
class WorkTableLock;
}
class QObject;

namespace db {
class Query;
class Table;
} // namespace db

// Whether the drive holds the payroll system's marker file (\FP\TELA.FP), a regular file.
bool hasPayrollMarker(char drive);

// The steps of one run of the statements, without windows: the marker check, the report, the
// preparation pass and the report's query open. The window's command and the exporter both go
// through here; each then composes the pages its own way (into the preview, or straight into
// the store it writes) and keeps the report, and with it the page store, as long as it needs
// the pages.
class StatementJob {
public:
    StatementJob(char drive, std::function<QString()> responsavel);
    ~StatementJob();
    StatementJob(const StatementJob&) = delete;
    StatementJob& operator=(const StatementJob&) = delete;

    // Throws when the drive has no marker file: "Sistema Quor nao instalado nesse Drive".
    void checkMarker() const;
    // The preparation pass on the drive with the given components; they end closed. From here
    // on the job holds the drive's work table for itself, until it is destroyed: the report's
    // query reads the table for as long as the report lives (a print reads it again).
    void prepare(db::Query& SQL, db::Table& IR, db::Table& DIRF);
    // Creates the report (owner: owner; the preview opens in the frame given) and starts
    // loading the payroll tables of its query, which does not wait for the work table: created
    // before the preparation pass, the report's query opens faster after it.
    std::unique_ptr<TQRInforme> createReport(QObject* owner,
                                             std::function<QMdiArea*()> previewFrame = {});
    // Opens the report's query over the work table the pass built.
    void openReport(TQRInforme& report);

    // All three in order, for callers that need nothing in between.
    std::unique_ptr<TQRInforme> run(db::Query& SQL, db::Table& IR, db::Table& DIRF,
                                    QObject* owner = nullptr);

private:
    char m_drive;
    std::unique_ptr<prep::WorkTableLock> m_lock;
    std::function<QString()> m_responsavel;
};
