#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAbout;
}

// The About box: the program's picture, the maker, "Comments: 2000" and the maker's web
// address as a link that the desktop opens.
class TAbout : public QDialog {
    Q_OBJECT

public:
    explicit TAbout(QWidget* owner);
    ~TAbout() override;

public slots:
    void FormClick();
    void wwwMouseMove();
    void Panel1MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TAbout> ui;
};

extern TAbout* About;
