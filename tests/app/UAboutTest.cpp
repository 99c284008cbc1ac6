#include "app/UAbout.h"
#include "app/ProgramPicture.h"
#include "platform/Cursor.h"
#include "platform/Shell.h"
#include "support/QtPrinting.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldShell = platform::setShellHandler([this](const QString& a) { opened << a; });
        box = std::make_unique<TAbout>(nullptr);
        box->show();
    }
    void TearDown() override
    {
        box.reset();
        platform::setShellHandler(std::move(oldShell));
        platform::setScreenCursor(platform::ScreenCursor::Default);
    }
    template <typename T> T* child(const char* name) const { return box->findChild<T*>(name); }
    void moveOver(QWidget* w)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }

    platform::ShellHandler oldShell;
    QStringList opened;
    std::unique_ptr<TAbout> box;
};

TEST_F(AboutBox, ShowsTheDesignedContents)
{
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box->size(), QSize(298, 131));
    EXPECT_EQ(child<QFrame>("Panel1")->geometry(), QRect(8, 8, 281, 81));
    EXPECT_EQ(child<QLabel>("Maker")->text(), QStringLiteral("Murel Software Ltda"));
    EXPECT_EQ(child<QLabel>("Comments")->text(), QStringLiteral("Comments: 2000"));
    auto* www = child<QLabel>("www");
    EXPECT_TRUE(www->text().endsWith(QLatin1String(".example")))
        << "an address under a reserved example domain";
    EXPECT_TRUE(www->font().underline());
    EXPECT_EQ(www->palette().color(QPalette::WindowText), QColor(Qt::blue));
    auto* icon = child<QLabel>("ProgramIcon");
    EXPECT_EQ(icon->geometry(), QRect(8, 8, 65, 57));
    EXPECT_TRUE(icon->hasScaledContents());
    const QImage picture = programPicture();
    EXPECT_EQ(picture.size(), QSize(32, 32));
    EXPECT_LE(picture.colorCount(), 16);
    auto* ok = child<QPushButton>("OKButton");
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(AboutBox, EnterClosesEscapeDoesNot)
{
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_TRUE(box->isVisible());
    QTest::keyClick(child<QPushButton>("OKButton"), Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->result(), QDialog::Accepted);
}

TEST_F(AboutBox, EveryClickOnTheLinkAsksTheShellAgain)
{
    auto* www = child<QLabel>("www");
    QTest::mouseClick(www, Qt::LeftButton);
    QTest::mouseClick(www, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], www->text());
    EXPECT_TRUE(box->isVisible()) << "opening the address leaves the box open";
}

TEST_F(AboutBox, HandOverTheLinkArrowOverThePanel)
{
    moveOver(child<QLabel>("www"));
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::HandPoint);
    moveOver(child<QLabel>("www"));
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::HandPoint);
    moveOver(child<QFrame>("Panel1"));
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
    moveOver(child<QLabel>("www"));
    box.reset();
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default)
        << "the hand does not outlive the box";
}

} // namespace
