#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace report {

// The engine's "Printing progress" window: what is being printed, and a button that cancels
// the run at its next page.
class PrintProgress : public QDialog {
    Q_OBJECT

public:
    explicit PrintProgress(QWidget* parent = nullptr);

    bool cancelRequested() const noexcept { return m_cancel; }
    // Composing: pages done so far.
    void setPage(int page);
    // Sending to the printer: page done of total.
    void setPrinted(int page, int total);

protected:
    void reject() override;

private:
    QLabel* m_text;
    QProgressBar* m_bar;
    bool m_cancel = false;
};

} // namespace report
