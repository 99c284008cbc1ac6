#pragma once

#include "db/Query.h"
#include "report/PageComposer.h"
#include "report/PageStore.h"
#include "report/ReportDataSet.h"
#include "report/ReportTemplate.h"

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TCbaseEnv;

// What the report reads from the program that runs it: the payroll drive letter and the
// responsible person's name, at the moment it needs them.
struct ReportHost {
    std::function<char()> DriveFolha;
    std::function<QString()> NomeResponsavel;
};

// The statement report: the query Fun over the payroll tables and the work table, its
// persistent fields with their display texts, the template of bands and printables, and the
// handlers that decide texts at print time.
class TQRInforme : public QObject {
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
    report::ReportTemplate Template;

    // The page store of the report's runs (the printer object of the old engine).
    report::PageStore* QRPrinter = nullptr;

    // Printer settings for the next print run (0: from the first / to the last page).
    int FirstPage = 0;
    int LastPage = 0;
    int Copies = 1;

    // The day the footer shows, and the regional settings of the display texts.
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
    QLocale locale;

    // The display text of a field of Fun's current row, as a data printable prints it.
    QString displayText(const QString& fieldName) const;

    // Composes all pages into QRPrinter. betweenRows runs after each row (process events
    // there); returning false cancels. Called by the preview and print runs.
    report::RunResult composePages(std::function<bool()> betweenRows = {},
                                   std::function<void(int page)> statementStarted = {});

    // Handlers.
    void FunBeforeOpen(db::Query& DataSet);
    void QRLabel10Print(QString& Value);
    void QRDBText10Print(QString& Value);
    void QRDBText3Print(QString& Value);
    void QRLabel20Print(QString& Value);
    void QRInformeBeforePrint(bool& PrintReport);

private:
    class FunRows;
    ReportHost m_host;
    std::unique_ptr<FunRows> m_rows;
};

extern TQRInforme* QRInforme;
