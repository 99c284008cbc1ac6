#pragma once

#include "installer/framework/Components.h"
#include "installer/framework/InstallRun.h"

#include <QDialog>

#include <functional>
#include <memory>

class QListWidgetItem;
namespace Ui {
class PageWindow;
class SelectDestinationDlg;
class SelectFolderDlg;
class EndPage;
} // namespace Ui

// The modal window that shows the pages of one dialog manager one at a time, the page picture
// on its left and the buttons below; its caption is the shown page's.
class PageWindow : public QDialog {
    Q_OBJECT
public:
    PageWindow(const TTranslator& translator, QWidget* parent);
    ~PageWindow() override;

    // Shows the pages from the first. True when the last page was left with "Next >" or
    // "Finish", false on "Cancel"; the answers then hold what the pages show.
    bool run(const QList<TInstallPage*>& pages, PageAnswers& answers);

    TPageKind currentKind() const;

    // Set by the view. The system's folder browser, opened at a folder; an empty result leaves
    // the field.
    std::function<QString(QWidget*, const QString&)> browseFolder;
    // Tells why an answer is refused.
    std::function<void(QWidget*, const QString&)> refuse;

signals:
    void pageShown(TPageKind kind);

private slots:
    void PreviousBtnClick();
    void NextBtnClick();
    void CancelBtnClick();
    void FinishBtnClick();
    void BrowseBtnClick();
    void FolderListClick(QListWidgetItem* item);

private:
    void showPage(int index);
    bool acceptPage(); // checks and keeps the shown page's answer
    QWidget* makePage(TInstallPage& page);

    const TTranslator& m_translator;
    std::unique_ptr<Ui::PageWindow> m_ui;
    std::unique_ptr<Ui::SelectDestinationDlg> m_destination;
    std::unique_ptr<Ui::SelectFolderDlg> m_folder;
    std::vector<std::unique_ptr<Ui::EndPage>> m_ends;
    QList<TInstallPage*> m_pages;
    PageAnswers* m_answers = nullptr;
    int m_index = 0;
};
