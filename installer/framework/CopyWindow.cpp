#include "installer/framework/CopyWindow.h"

#include "ui_CopyWindow.h"

CopyWindow::CopyWindow(const TTranslator& translator, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CopyWindow>())
{
    m_ui->setupUi(this);
    setFont(translator.font());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(translator.text(glid::CopyCaption));
    m_ui->ProcessingText->setText(translator.text(glid::Processing));
    QFont bold = m_ui->ProcessingText->font();
    bold.setBold(true);
    m_ui->ProcessingText->setFont(bold);
    m_ui->FileProgressText->setText(translator.text(glid::FileProgress));
    m_ui->TotalProgressText->setText(translator.text(glid::TotalProgress));
    m_ui->CancelBtn->setText(translator.text(glid::Cancel));
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &CopyWindow::CancelBtnClick);
}

CopyWindow::~CopyWindow() = default;

void CopyWindow::setFile(const QString& name)
{
    m_ui->FileText->setText(name);
    m_ui->FileProgress->setValue(0);
}

void CopyWindow::setProgress(int filePercent, int totalPercent)
{
    m_ui->FileProgress->setValue(filePercent);
    m_ui->TotalProgress->setValue(totalPercent);
    emit progressed(m_ui->FileText->text(), filePercent, totalPercent);
}

void CopyWindow::reject()
{
    CancelBtnClick();
}

void CopyWindow::CancelBtnClick()
{
    m_cancelled = true;
    m_ui->CancelBtn->setEnabled(false);
}
