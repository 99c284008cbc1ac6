#pragma once

#include "db/Query.h"
#include "db/Table.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QMdiArea;
class StatementJob;

namespace Ui {
class TMain;
}

// The program's frame: the menu, the parent of the preview window, and the two values the
// whole job shares, the responsible person's name and the payroll drive letter.
class TMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TMain(QWidget* parent = nullptr);
    ~TMain() override;

    // The responsible person's name, exactly as typed in the dialog.
    QString NomeResponsavel;
    // The payroll drive letter, upper case; NUL until the dialog first runs.
    char DriveFolha = '\0';

    // Database components of the preparation pass.
    db::Query SQL;
    db::Table IR;
    db::Table DIRF;

    // The preparation pass on DriveFolha, with the components above.
    void MontaTabelaIR();

    // The frame the preview window opens in.
    QMdiArea* mdiArea() const;

public slots:
    void InformedeRendimentos1Click();
    void Sair1Click();
    void Sobre1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void runJob();

    std::unique_ptr<Ui::TMain> ui;
    StatementJob* m_job = nullptr; // the run under way
    bool m_running = false;
    bool m_closing = false;
};

extern TMain* Main;
