#pragma once

#include <QFrame>

#include <memory>

namespace Ui {
class StatusWindow;
}

// A borderless box with an icon and one line, centred across the screen while the run posts a
// status.
class StatusWindow : public QFrame {
    Q_OBJECT
public:
    explicit StatusWindow(QWidget* parent);
    ~StatusWindow() override;

    void showStatus(const QString& text);
    QString text() const;

private:
    std::unique_ptr<Ui::StatusWindow> m_ui;
};
