#include "app/StatementJob.h"

#include "platform/Drives.h"
#include "prep/MontaTabelaIR.h"
#include "prep/TableDefs.h"
#include "prep/WorkTableLock.h"

#include <filesystem>
#include <stdexcept>

bool hasPayrollMarker(char drive)
{
    const platform::ResolvedPath r =
        platform::resolvePath(prep::payrollPath(drive, prep::kMarkerPath));
    std::error_code ec;
    return r.status == platform::PathStatus::Ok && std::filesystem::is_regular_file(r.path, ec);
}

StatementJob::StatementJob(char drive, std::function<QString()> responsavel)
    : m_drive(drive)
    , m_responsavel(std::move(responsavel))
{
}

StatementJob::~StatementJob() = default;

void StatementJob::checkMarker() const
{
    if (!hasPayrollMarker(m_drive))
        throw std::runtime_error("Sistema Quor nao instalado nesse Drive");
}

void StatementJob::prepare(db::Query& SQL, db::Table& IR, db::Table& DIRF)
{
    if (!m_lock)
        m_lock = std::make_unique<prep::WorkTableLock>(m_drive);
    prep::MontaTabelaIR(m_drive, SQL, IR, DIRF);
}

std::unique_ptr<TQRInforme> StatementJob::createReport(QObject* owner,
                                                       std::function<QMdiArea*()> previewFrame)
{
    ReportHost host;
    host.DriveFolha = [drive = m_drive] {
        return drive;
    };
    host.NomeResponsavel = m_responsavel;
    if (previewFrame)
        host.PreviewFrame = std::move(previewFrame);
    auto report = std::make_unique<TQRInforme>(owner, std::move(host));
    report->Fun.loadAhead();
    return report;
}

void StatementJob::openReport(TQRInforme& report)
{
    report.Fun.open();
}

std::unique_ptr<TQRInforme> StatementJob::run(db::Query& SQL, db::Table& IR, db::Table& DIRF,
                                              QObject* owner)
{
    checkMarker();
    std::unique_ptr<TQRInforme> report = createReport(owner);
    prepare(SQL, IR, DIRF);
    openReport(*report);
    return report;
}
