#include "report/engine/PrintProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace report {

PrintProgress::PrintProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_text(new QLabel(this))
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("PrintProgress"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setWindowModality(Qt::ApplicationModal);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &PrintProgress::reject);
    m_text->setText(QStringLiteral("Preparing pages"));
    m_text->setMinimumWidth(260);
    m_bar->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    cancel->setFocus();
}

void PrintProgress::setPage(int page)
{
    m_text->setText(QStringLiteral("Preparing page %1").arg(page));
}

void PrintProgress::setPrinted(int page, int total)
{
    m_text->setText(QStringLiteral("Printing page %1 of %2").arg(page).arg(total));
    m_bar->setRange(0, total);
    m_bar->setValue(page);
}

void PrintProgress::reject()
{
    // The run notices at its next page and closes the window itself.
    m_cancel = true;
}

} // namespace report
