#pragma once

#include "db/Query.h"
#include "report/engine/PageComposer.h"
#include "report/engine/PageStore.h"
#include "report/engine/Report.h"
#include "report/engine/ReportDataSet.h"

#include <QString>

#include <functional>
#include <memory>

class QMdiArea;
class TCbaseEnv;

// What the report reads from the program that runs it: the payroll drive letter and the
// responsible person's name, at the moment it needs them.
struct ReportHost {
    std::function<char()> DriveFolha;
    std::function<QString()> NomeResponsavel;
    // The frame the preview window opens in; none: a window of its own.
    std::function<QMdiArea*()> PreviewFrame = [] {
        return nullptr;
    };
};

// The statement report: the query Fun over the payroll tables and the work table, its
// persistent fields with their display texts, the template of bands and printables, and the
// handlers that decide texts at print time.
class TQRInforme : public report::Report {
    Q_OBJECT

public:
    TQRInforme(QObject* owner, ReportHost host);
    ~TQRInforme() override;

    db::Query Fun;
    db::Field& FunEP_NOME;
    db::Field& FunEP_ENDERE;
    db::Field& FunEP_CIDADE;
    db::Field& FunEP_ESTADO;
    db::Field& FunEP_CGC;
    db::Field& FunEP_CPF;
    db::Field& FunEP_TELEFO;
    db::Field& FunEP_CODIGO;
    db::Field& FunFU_CODIGO;
    db::Field& FunFU_NOME;
    db::Field& FunFU_CPF;
    db::Field& FunIN_CODIGO;
    db::Field& FunIR_TOTAL;
    db::Field& FunIN_NOME;
    TCbaseEnv* CbaseEnv1 = nullptr;

    // The display text of a field of Fun's current row, as a data printable prints it.
    QString displayText(const QString& fieldName) const;

    // Composes all pages into QRPrinter, each statement bookmarked by the employee's name and
    // CPF. betweenRows runs after each row; returning false cancels. statementStarted gets the
    // first page of each statement, with Fun at its first row.
    report::RunResult composePages(std::function<bool()> betweenRows = {},
                                   std::function<void(int page)> statementStarted = {});

    // Handlers.
    void FunBeforeOpen(db::Query& DataSet);
    void QRLabel10Print(QString& Value);
    void QRDBText10Print(QString& Value);
    void QRDBText3Print(QString& Value);
    void QRLabel20Print(QString& Value);
    void QRInformeBeforePrint(bool& PrintReport);
    void QRInformePreview(report::PageStore& Sender);

protected:
    report::ReportDataSet& dataSet() override;
    void groupStarted(const report::Band& group, int pageNumber, report::PageStore& store) override;

private:
    class FunRows;
    ReportHost m_host;
    std::unique_ptr<FunRows> m_rows;
    std::function<void(int page)> m_statementStarted;
};

extern TQRInforme* QRInforme;
