#include "app/UResp.h"
#include "app/UMain.h"
#include "platform/Messages.h"
#include "support/FakeDrives.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class URespTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        c = drives.addDrive('C');
        f = drives.addDrive('F');
        std::filesystem::create_directories(f / "Fp");
        testsupport::writeFile(f / "Fp" / "tela.fp", "");
        std::filesystem::current_path(f / "Fp");
        Main = &main;
        oldHandler = platform::setMessageHandler(
            [this](const platform::Message& m) { messages.push_back(m.text); });
        dialog = std::make_unique<TDResp>(&main);
        dialog->show();
        finished = std::make_unique<QSignalSpy>(dialog.get(), &QDialog::finished);
    }
    void TearDown() override
    {
        dialog.reset();
        platform::setMessageHandler(std::move(oldHandler));
    }

    QComboBox* combo() const { return dialog->findChild<QComboBox*>("Combo"); }
    QLineEdit* name() const { return dialog->findChild<QLineEdit*>("Responsavel"); }
    QPushButton* button(const char* objectName) const
    {
        return dialog->findChild<QPushButton*>(objectName);
    }
    void choose(char letter)
    {
        combo()->setCurrentIndex(combo()->findData(QChar::fromLatin1(letter)));
    }

    testsupport::FakeDrives drives;
    std::filesystem::path c, f;
    TMain main;
    platform::MessageHandler oldHandler;
    std::vector<QString> messages;
    std::unique_ptr<TDResp> dialog;
    std::unique_ptr<QSignalSpy> finished;
};

} // namespace

TEST_F(URespTest, OpensOnTheCurrentDriveWithThePromptSelected)
{
    EXPECT_EQ(main.DriveFolha, 'F');
    EXPECT_EQ(dialog->selectedDrive(), 'F');
    EXPECT_EQ(combo()->count(), 2);
    EXPECT_TRUE(combo()->currentText().startsWith("F:"));
    EXPECT_EQ(name()->text(), QStringLiteral("Digite o Nome do Responsável"));
    EXPECT_EQ(name()->selectedText(), name()->text()) << "typing replaces the prompt";
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Responsavel pelas Informações"));
    choose('C');
    EXPECT_EQ(main.DriveFolha, 'C');
}

TEST_F(URespTest, OkOnAPayrollDriveCloses)
{
    QTest::keyClicks(name(), "JOSÉ DA SILVA");
    QTest::mouseClick(button("OKBtn"), Qt::LeftButton);
    ASSERT_EQ(finished->count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(VerificaDrive, 1);
    EXPECT_EQ(main.NomeResponsavel, QStringLiteral("JOSÉ DA SILVA"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(URespTest, OkWithoutMarkerIsRefusedAndCancelStillCloses)
{
    std::filesystem::create_directories(c / "FP" / "TELA.FP"); // a directory does not count
    choose('C');
    name()->setText("ANA");
    QTest::mouseClick(button("OKBtn"), Qt::LeftButton);
    EXPECT_EQ(finished->count(), 0);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Sistema Quor nao instalado nesse Drive"));
    EXPECT_EQ(main.NomeResponsavel, QStringLiteral("ANA")) << "stored on a refused close too";

    name()->setText("BEATRIZ");
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    ASSERT_EQ(finished->count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(messages.size(), 1u) << "Cancela never checks the drive";
    EXPECT_EQ(VerificaDrive, 0);
    EXPECT_EQ(main.NomeResponsavel, QStringLiteral("BEATRIZ"));
}

TEST_F(URespTest, EnterPressesOkAndEscPressesCancela)
{
    QTest::keyClick(name(), Qt::Key_Return);
    ASSERT_EQ(finished->count(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(main.NomeResponsavel, QStringLiteral("Digite o Nome do Responsável"))
        << "the prompt left as it is is stored unchanged";

    auto second = std::make_unique<TDResp>(&main);
    second->show();
    QSignalSpy spy(second.get(), &QDialog::finished);
    QTest::keyClick(second->findChild<QLineEdit*>("Responsavel"), Qt::Key_Escape);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(second->result(), QDialog::Rejected);
    EXPECT_EQ(VerificaDrive, 0);
}

TEST_F(URespTest, TabOrderRunsOkNameComboCancela)
{
    auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextTabStop(button("OKBtn")), name());
    EXPECT_EQ(nextTabStop(name()), combo());
    EXPECT_EQ(nextTabStop(combo()), button("Button1"));
}
