#pragma once

#include "installer/framework/Components.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CopyWindow;
}

// The copy window: the file being written with its own progress and the whole run's. Cancel
// (or closing the window) asks the run to stop; the run sees it before its next piece.
class CopyWindow : public QDialog {
    Q_OBJECT
public:
    CopyWindow(const TTranslator& translator, QWidget* parent);
    ~CopyWindow() override;

    void setFile(const QString& name);
    void setProgress(int filePercent, int totalPercent);
    bool cancelRequested() const { return m_cancelled; }

signals:
    void progressed(const QString& file, int filePercent, int totalPercent);

public slots:
    void reject() override;

private slots:
    void CancelBtnClick();

private:
    std::unique_ptr<Ui::CopyWindow> m_ui;
    bool m_cancelled = false;
};
