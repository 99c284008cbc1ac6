#pragma once

#include "platform/CloseAction.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TDResp;
}

// 1 after OK was pressed, 0 after "Cancela": when set, closing the dialog checks the drive.
// It belongs to the unit, so it keeps its value from one dialog to the next.
extern int VerificaDrive;

// Asks for the responsible person and the payroll drive; refuses OK for a drive without the
// payroll system's marker file.
class TDResp : public QDialog {
    Q_OBJECT

public:
    explicit TDResp(QWidget* owner);
    ~TDResp() override;

    // The drive letter of the combo's current entry, upper case.
    char selectedDrive() const;

public slots:
    void FormCreate();
    void ComboChange();
    void OKBtnClick();
    void Button1Click();
    void FormClose(TCloseAction& Action);

    void done(int result) override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::TDResp> ui;
};

extern TDResp* DResp;
