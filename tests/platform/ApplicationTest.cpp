#include "platform/Application.h"
#include "platform/Cursor.h"
#include "platform/Messages.h"
#include "platform/Regional.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

TEST(Application, ErrorDisplayAddsAFullStopAfterLettersOnly)
{
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Table does not exist: C:\\dirf99\\ir_cru.dbf",
         "Table does not exist: C:\\dirf99\\ir_cru.dbf."},
        {"Feito.", "Feito."},
        {"", ""},
        {"Erro (1)", "Erro (1)"}, // ')' sorts before '.'
        {"Erro 1", "Erro 1."},    // '1' sorts after '.'
        {"Erro -", "Erro -"},
        {"Erro /", "Erro /."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::exceptionDisplayText(QString::fromUtf8(c.message)),
                  QString::fromUtf8(c.shown));
}

TEST(Application, MessagesGoThroughTheSeam)
{
    std::vector<platform::Message> shown;
    auto old = platform::setMessageHandler([&](const platform::Message& m) { shown.push_back(m); });
    platform::showException(QStringLiteral("Field 'IR_VALE' not found"));
    platform::showPlainMessage(QStringLiteral("Sistema Quor nao instalado nesse Drive"));
    platform::setMessageHandler(std::move(old));

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Utilitário de Impressão Radaziz (DIRF99)"));
    EXPECT_EQ(shown[0].text, QStringLiteral("Field 'IR_VALE' not found."));
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::Stop);
    EXPECT_EQ(shown[1].text, QStringLiteral("Sistema Quor nao instalado nesse Drive"));
    EXPECT_EQ(shown[1].icon, platform::MessageIcon::None);
}

TEST(Application, ScreenCursorIsOneValue)
{
    platform::setScreenCursor(platform::ScreenCursor::SqlWait);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::setScreenCursor(platform::ScreenCursor::HandPoint);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    platform::setScreenCursor(platform::ScreenCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no stack of overrides left behind";
    EXPECT_EQ(platform::screenCursor(), platform::ScreenCursor::Default);
}

TEST(Application, RegionalSettingsDefaultToBrazil)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const QLocale l = platform::regionalLocale();
    if (QLocale::system().language() == QLocale::C) {
        EXPECT_EQ(l.language(), QLocale::Portuguese);
        EXPECT_EQ(l.territory(), QLocale::Brazil);
    }
    EXPECT_EQ(l.language() == QLocale::C, false);
    QLocale::setDefault(saved);
}
