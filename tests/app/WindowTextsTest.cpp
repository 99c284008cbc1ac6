// Every window of the program shows the whole text of each of its labels, buttons and combo
// boxes, with the faces that stand in for the designed ones.
#include "app/UAbout.h"
#include "app/UMain.h"
#include "app/UResp.h"
#include "preview/HeaderControl.h"
#include "preview/Preview.h"
#include "preview/QRPreview.h"
#include "report/engine/PrintProgress.h"
#include "report/engine/ReportFonts.h"
#include "support/FakeDrives.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString plain(QString text)
{
    return text.remove(QLatin1Char('&'));
}

void expectWholeTexts(QWidget* window)
{
    window->show();
    const QString form = window->objectName();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const QFontMetrics fm(w->font());
        const std::string name = (form + QLatin1Char('.') + w->objectName()).toStdString();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
            else
                EXPECT_LE(fm.horizontalAdvance(label->text()), label->width()) << name;
            EXPECT_LE(fm.height(), label->height() + 1) << name;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            EXPECT_LE(fm.horizontalAdvance(plain(button->text())) + 6, button->width()) << name;
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                const int text = fm.horizontalAdvance(combo->itemText(i));
                EXPECT_LE(text + 20, combo->width()) << name << " " << i;
                EXPECT_LE(text, combo->view()->minimumWidth()) << name << " list";
            }
        }
    }
}

TEST(WindowTexts, EveryWindowShowsItsWholeTexts)
{
    report::installFontSubstitutions();
    testsupport::FakeDrives drives;
    drives.addDrive('C');
    // A payroll drive mounted deep in the file system makes a long entry.
    const auto deep = drives.base() / "servidor-da-folha-de-pagamento" / "departamento-pessoal";
    std::filesystem::create_directories(deep);
    drives.mapDrive('F', deep);
    TMain main;
    Main = &main;
    main.show();

    TDResp dialog(&main);
    expectWholeTexts(&dialog);
    TAbout about(&main);
    expectWholeTexts(&about);
    report::PrintProgress progress;
    progress.setPrinted(20700, 20700);
    expectWholeTexts(&progress);

    auto* preview = new TFPreview(nullptr, main.mdiArea());
    expectWholeTexts(preview);
    THeaderControl* header = preview->Header;
    preview->AtualizaPagina(20700, 20700);
    preview->Preview->setZoom(2000);
    preview->AtualizaZoom();
    header->setSectionText(3, QStringLiteral("Papel: LetterSmall"));
    for (int i = 1; i < header->sectionCount(); ++i) {
        EXPECT_LE(header->fontMetrics().horizontalAdvance(header->sectionText(i)) + 6,
                  header->sectionWidth(i))
            << header->sectionText(i).toStdString();
    }
    delete preview;
}

} // namespace
