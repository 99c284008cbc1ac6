#include "installer/framework/PageWindow.h"

#include "installer/framework/Artwork.h"

#include "ui_EndPage.h"
#include "ui_PageWindow.h"
#include "ui_SelectDestinationDlg.h"
#include "ui_SelectFolderDlg.h"

#include <QDir>

PageWindow::PageWindow(const TTranslator& translator, QWidget* parent)
    : QDialog(parent)
    , m_translator(translator)
    , m_ui(std::make_unique<Ui::PageWindow>())
{
    m_ui->setupUi(this);
    setFont(translator.font());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->Picture->setPixmap(QPixmap::fromImage(pagePicture()));
    m_ui->PreviousBtn->setText(translator.text(glid::Previous));
    m_ui->NextBtn->setText(translator.text(glid::Next));
    m_ui->CancelBtn->setText(translator.text(glid::Cancel));
    m_ui->FinishBtn->setText(translator.text(glid::Finish));
    connect(m_ui->PreviousBtn, &QPushButton::clicked, this, &PageWindow::PreviousBtnClick);
    connect(m_ui->NextBtn, &QPushButton::clicked, this, &PageWindow::NextBtnClick);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &PageWindow::CancelBtnClick);
    connect(m_ui->FinishBtn, &QPushButton::clicked, this, &PageWindow::FinishBtnClick);
}

PageWindow::~PageWindow() = default;

QWidget* PageWindow::makePage(TInstallPage& page)
{
    auto* widget = new QWidget(m_ui->Pages);
    widget->setObjectName(page.objectName());
    switch (page.Kind) {
    case pkSelectDestination:
        m_destination = std::make_unique<Ui::SelectDestinationDlg>();
        m_destination->setupUi(widget);
        m_destination->QuestionText->setText(m_translator.text(glid::DestinationQuestion));
        m_destination->NextText->setText(m_translator.text(glid::DestinationNext));
        m_destination->BrowseText->setText(m_translator.text(glid::DestinationBrowse));
        m_destination->DestinationFrame->setTitle(m_translator.text(glid::DestinationFrame));
        m_destination->BrowseBtn->setText(m_translator.text(glid::Browse));
        m_destination->DestinationEdit->setText(m_answers->destination);
        connect(m_destination->BrowseBtn, &QPushButton::clicked, this, &PageWindow::BrowseBtnClick);
        break;
    case pkSelectFolder:
        m_folder = std::make_unique<Ui::SelectFolderDlg>();
        m_folder->setupUi(widget);
        // The text names the list by its label, whose "&" marks a key; here it is only text.
        m_folder->FolderText->setText(m_translator.text(glid::FolderText)
                                          .replace(QLatin1String("&&"), QLatin1String("\x01"))
                                          .remove(QLatin1Char('&'))
                                          .replace(QLatin1Char('\x01'), QLatin1Char('&')));
        m_folder->ProgramFolderLabel->setText(m_translator.text(glid::ProgramFolder));
        m_folder->ExistingFoldersLabel->setText(m_translator.text(glid::ExistingFolders));
        m_folder->FolderEdit->setText(m_answers->programFolder);
        m_folder->FolderList->addItems(m_answers->existingFolders);
        connect(m_folder->FolderList, &QListWidget::itemClicked, this,
                &PageWindow::FolderListClick);
        break;
    case pkGoodInstallation:
    case pkBadInstallation:
    case pkCopyFile: {
        auto ui = std::make_unique<Ui::EndPage>();
        ui->setupUi(widget);
        ui->MessageText->setText(
            m_translator.text(page.Kind == pkGoodInstallation ? glid::GoodText : glid::BadText));
        m_ends.push_back(std::move(ui));
        break;
    }
    }
    return widget;
}

bool PageWindow::run(const QList<TInstallPage*>& pages, PageAnswers& answers)
{
    m_pages = pages;
    m_answers = &answers;
    while (m_ui->Pages->count() > 0) {
        QWidget* old = m_ui->Pages->widget(0);
        m_ui->Pages->removeWidget(old);
        delete old;
    }
    m_destination.reset();
    m_folder.reset();
    m_ends.clear();
    for (TInstallPage* page : pages)
        m_ui->Pages->addWidget(makePage(*page));
    showPage(0);
    const bool passed = exec() == QDialog::Accepted;
    m_answers = nullptr;
    return passed;
}

TPageKind PageWindow::currentKind() const
{
    return m_pages.value(m_index) ? m_pages[m_index]->Kind : pkSelectDestination;
}

void PageWindow::showPage(int index)
{
    m_index = index;
    m_ui->Pages->setCurrentIndex(index);
    const TPageKind kind = currentKind();
    const bool ending = kind == pkGoodInstallation || kind == pkBadInstallation;
    m_ui->PreviousBtn->setVisible(!ending && index > 0);
    m_ui->NextBtn->setVisible(!ending);
    m_ui->CancelBtn->setVisible(!ending);
    m_ui->FinishBtn->setVisible(ending);
    (ending ? m_ui->FinishBtn : m_ui->NextBtn)->setDefault(true);
    switch (kind) {
    case pkSelectDestination:
        setWindowTitle(m_translator.text(glid::DestinationCaption));
        m_destination->DestinationEdit->setFocus();
        break;
    case pkSelectFolder:
        setWindowTitle(m_translator.text(glid::FolderCaption));
        m_folder->FolderEdit->setFocus();
        break;
    case pkGoodInstallation:
        setWindowTitle(m_translator.text(glid::GoodCaption));
        break;
    case pkBadInstallation:
        setWindowTitle(m_translator.text(glid::BadCaption));
        break;
    case pkCopyFile:
        setWindowTitle(m_translator.text(glid::CopyCaption));
        break;
    }
    emit pageShown(kind);
}

bool PageWindow::acceptPage()
{
    QString problem;
    switch (currentKind()) {
    case pkSelectDestination:
        problem = destinationProblem(m_translator, m_destination->DestinationEdit->text());
        if (problem.isEmpty())
            m_answers->destination = m_destination->DestinationEdit->text();
        break;
    case pkSelectFolder:
        problem = programFolderProblem(m_translator, m_folder->FolderEdit->text());
        if (problem.isEmpty())
            m_answers->programFolder = m_folder->FolderEdit->text();
        break;
    default:
        break;
    }
    if (!problem.isEmpty())
        refuse(this, problem);
    return problem.isEmpty();
}

void PageWindow::PreviousBtnClick()
{
    if (m_index > 0)
        showPage(m_index - 1);
}

void PageWindow::NextBtnClick()
{
    if (!acceptPage())
        return;
    if (m_index + 1 < m_pages.size())
        showPage(m_index + 1);
    else
        accept();
}

void PageWindow::CancelBtnClick()
{
    reject();
}

void PageWindow::FinishBtnClick()
{
    accept();
}

void PageWindow::BrowseBtnClick()
{
    const QString chosen = browseFolder(this, m_destination->DestinationEdit->text());
    if (!chosen.isEmpty())
        m_destination->DestinationEdit->setText(QDir::toNativeSeparators(chosen));
}

void PageWindow::FolderListClick(QListWidgetItem* item)
{
    if (item)
        m_folder->FolderEdit->setText(item->text());
}
