#include "app/UAbout.h"

#include "app/ProgramPicture.h"
#include "platform/Cursor.h"
#include "platform/Shell.h"
#include "platform/TextFit.h"
#include "ui_UAbout.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

TAbout* About = nullptr;

TAbout::TAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::TAbout>())
{
    ui->setupUi(this);
    setFixedSize(size());
    platform::fitTexts(this);
    ui->ProgramIcon->setPixmap(QPixmap::fromImage(programPicture()));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    ui->Panel1->setMouseTracking(true);
    ui->www->setMouseTracking(true);
    ui->Panel1->installEventFilter(this);
    ui->www->installEventFilter(this);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

TAbout::~TAbout()
{
    // The hand belongs to the link: it does not outlive the box.
    if (platform::screenCursor() == platform::ScreenCursor::HandPoint)
        platform::setScreenCursor(platform::ScreenCursor::Default);
}

void TAbout::FormClick()
{
    platform::shellOpen(ui->www->text());
}

void TAbout::wwwMouseMove()
{
    platform::setScreenCursor(platform::ScreenCursor::HandPoint);
}

void TAbout::Panel1MouseMove()
{
    platform::setScreenCursor(platform::ScreenCursor::Default);
}

bool TAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == ui->www) {
            wwwMouseMove();
            return true; // not on to the panel below, which would take the hand back
        }
        if (watched == ui->Panel1)
            Panel1MouseMove();
    } else if (watched == ui->www && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        FormClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TAbout::keyPressEvent(QKeyEvent* event)
{
    // No button cancels the box, so Escape leaves it open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
