#include "app/UResp.h"

#include "app/StatementJob.h"
#include "app/UMain.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "platform/TextFit.h"
#include "ui_UResp.h"

#include <QCloseEvent>

int VerificaDrive = 0;
TDResp* DResp = nullptr;

TDResp::TDResp(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , ui(std::make_unique<Ui::TDResp>())
{
    ui->setupUi(this);
    for (const platform::Drive& d : platform::drives()) {
        ui->Combo->addItem(QStringLiteral("%1:  [%2]")
                               .arg(QChar::fromLatin1(d.letter))
                               .arg(QString::fromStdString(d.root.string())),
                           QChar::fromLatin1(d.letter));
    }
    platform::fitTexts(this);
    connect(ui->OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        done(QDialog::Accepted);
    });
    connect(ui->Button1, &QPushButton::clicked, this, [this] {
        Button1Click();
        done(QDialog::Rejected);
    });
    FormCreate();
    connect(ui->Combo, &QComboBox::currentIndexChanged, this, &TDResp::ComboChange);
    ui->Responsavel->setFocus();
    ui->Responsavel->selectAll();
}

TDResp::~TDResp() = default;

char TDResp::selectedDrive() const
{
    const QVariant data = ui->Combo->currentData();
    return data.isValid() ? static_cast<char>(data.toChar().toLatin1()) : '\0';
}

void TDResp::FormCreate()
{
    const char current = static_cast<char>(platform::currentDriveNumber() + 'A');
    const int at = ui->Combo->findData(QChar::fromLatin1(current));
    ui->Combo->setCurrentIndex(at >= 0 ? at : 0);
    Main->DriveFolha = selectedDrive();
}

void TDResp::ComboChange()
{
    Main->DriveFolha = selectedDrive();
}

void TDResp::OKBtnClick()
{
    VerificaDrive = 1;
}

void TDResp::Button1Click()
{
    VerificaDrive = 0;
}

void TDResp::FormClose(TCloseAction& Action)
{
    Main->NomeResponsavel = ui->Responsavel->text();
    if (VerificaDrive != 0 && !hasPayrollMarker(Main->DriveFolha)) {
        platform::showPlainMessage(QStringLiteral("Sistema Quor nao instalado nesse Drive"));
        Action = TCloseAction::caNone;
    }
}

void TDResp::done(int result)
{
    TCloseAction action = TCloseAction::caHide;
    FormClose(action);
    if (action == TCloseAction::caNone)
        return;
    QDialog::done(result);
}

void TDResp::reject()
{
    // Esc presses "Cancela".
    ui->Button1->click();
}

void TDResp::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}
