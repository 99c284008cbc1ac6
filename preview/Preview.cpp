#include "preview/Preview.h"

#include "platform/Application.h"
#include "preview/HeaderControl.h"
#include "preview/PreviewPictures.h"
#include "preview/QRPreview.h"
#include "report/engine/PageStore.h"
#include "report/engine/PrinterOutput.h"
#include "report/engine/Report.h"
#include "ui_Preview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

const std::array<QString, 28> NomesPapel = {
    QStringLiteral("Default"),   QStringLiteral("Letter"),    QStringLiteral("LetterSmall"),
    QStringLiteral("Tabloid"),   QStringLiteral("Ledger"),    QStringLiteral("Legal"),
    QStringLiteral("Statement"), QStringLiteral("Executive"), QStringLiteral("A3"),
    QStringLiteral("A4"),        QStringLiteral("A4Small"),   QStringLiteral("A5"),
    QStringLiteral("B4"),        QStringLiteral("B5"),        QStringLiteral("Folio"),
    QStringLiteral("Quarto"),    QStringLiteral("qr10X14"),   QStringLiteral("qr11X17"),
    QStringLiteral("Note"),      QStringLiteral("Env9"),      QStringLiteral("Env10"),
    QStringLiteral("Env11"),     QStringLiteral("Env12"),     QStringLiteral("Env14"),
    QStringLiteral("CSheet"),    QStringLiteral("DSheet"),    QStringLiteral("ESheet"),
    QStringLiteral("Custom"),
};

namespace {

// Windows that stand for the system's own dialogs: taking the focus, they leave the preview
// open.
bool isSystemDialog(const QWidget* window)
{
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        if (qobject_cast<const QPrintDialog*>(w) || qobject_cast<const QPageSetupDialog*>(w) ||
            qobject_cast<const QFileDialog*>(w))
            return true;
        if (w->objectName() == QLatin1String("QPrintPropertiesDialog"))
            return true;
    }
    return false;
}

} // namespace

TFPreview::TFPreview(QObject* owner, QMdiArea* frame)
    : ui(std::make_unique<Ui::TFPreview>())
{
    ui->setupUi(this);
    Preview = ui->Preview;
    ToolBar = ui->ToolBar;
    Header = ui->Header;
    ProgressBar = ui->ProgressBar;
    setUpHeader();
    setUpToolBar();
    setUpKeys();

    connect(Preview, &TQRPreview::Click, this, &TFPreview::PreviewClick);
    connect(Preview, &TQRPreview::PageAvailable, this, &TFPreview::PreviewPageAvailable);
    connect(Preview, &TQRPreview::ProgressUpdate, this, &TFPreview::PreviewProgressUpdate);
    connect(Preview, &TQRPreview::wheelPastEnd, this,
            [this](int direction) { direction > 0 ? ProximaClick() : AnteriorClick(); });
    connect(Preview, &TQRPreview::zoomWheel, this, [this](int steps) {
        for (int i = 0; i < std::abs(steps); ++i)
            steps > 0 ? ZoomMenosClick() : ZoomMaisClick();
    });
    connect(ui->FindNext, &QPushButton::clicked, this, &TFPreview::findNext);
    connect(ui->FindText, &QLineEdit::returnPressed, this, &TFPreview::findNext);
    connect(ui->FindClose, &QToolButton::clicked, this, &TFPreview::hideFindBar);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TFPreview::onFocusWindowChanged);

    if (owner) {
        connect(owner, &QObject::destroyed, this, [this] { delete frameWindow(); });
    }

    if (frame) {
        QMdiSubWindow* child = frame->addSubWindow(this, Qt::FramelessWindowHint);
        connect(frame, &QMdiArea::subWindowActivated, this, [this, child](QMdiSubWindow* w) {
            if (w && w != child)
                FormDeactivate();
        });
        child->showMaximized();
    } else {
        showMaximized();
    }
    Preview->setFocus();
}

TFPreview::~TFPreview() = default;

QWidget* TFPreview::frameWindow()
{
    if (auto* child = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return child;
    return this;
}

void TFPreview::setUpHeader()
{
    Header->addSection({QString(), 200, Qt::AlignHCenter, false});
    Header->addSection({QStringLiteral("Página:"), 100, Qt::AlignLeft, true});
    Header->addSection({QStringLiteral("Zoom:    %"), 100, Qt::AlignLeft, false});
    Header->addSection({QStringLiteral("Papel:"), 140, Qt::AlignLeft, false});
    ProgressBar->raise();
}

void TFPreview::setUpToolBar()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9);
    ToolBar->setFont(font);
    const std::pair<QAction*, void (TFPreview::*)()> buttons[] = {
        {ui->Primeira, &TFPreview::PrimeiraClick},   {ui->Proxima, &TFPreview::ProximaClick},
        {ui->Anterior, &TFPreview::AnteriorClick},   {ui->Ultima, &TFPreview::UltimaClick},
        {ui->ZoomMenos, &TFPreview::ZoomMenosClick}, {ui->ZoomMais, &TFPreview::ZoomMaisClick},
        {ui->Imprimir, &TFPreview::ImprimirClick},   {ui->Configurar, &TFPreview::ConfigurarClick},
        {ui->Sair, &TFPreview::SairClick},
    };
    int picture = 0;
    for (const auto& [action, handler] : buttons) {
        action->setIcon(previewPicture(picture++));
        connect(action, &QAction::triggered, this, handler);
        if (QWidget* button = ToolBar->widgetForAction(action)) {
            button->setFixedSize(60, 35);
            button->setFont(font);
        }
    }
    const char* const separators[] = {"ToolButton6", "ToolButton4", "ToolButton9"};
    int s = 0;
    for (QAction* a : ToolBar->actions()) {
        if (a->isSeparator() && s < 3)
            a->setObjectName(QLatin1String(separators[s++]));
    }
    ToolBar->installEventFilter(this);
}

void TFPreview::setUpKeys()
{
    // Keys are read from the page control and whatever else of the window has the focus,
    // rather than through shortcuts, which need the window manager to mark the window active.
    Preview->installEventFilter(this);
    ui->FindText->installEventFilter(this);
}

bool TFPreview::handleKey(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        switch (event.key()) {
        case Qt::Key_PageDown:
            ProximaClick();
            return true;
        case Qt::Key_PageUp:
            AnteriorClick();
            return true;
        case Qt::Key_Home:
            PrimeiraClick();
            return true;
        case Qt::Key_End:
            UltimaClick();
            return true;
        case Qt::Key_Escape:
            if (!ui->FindBar->isVisible())
                return false;
            hideFindBar();
            return true;
        default:
            return false;
        }
    }
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        switch (event.key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            // Larger, as the button with the plus sign.
            ZoomMenosClick();
            return true;
        case Qt::Key_Minus:
            ZoomMaisClick();
            return true;
        case Qt::Key_F:
            showFindBar();
            return true;
        default:
            return false;
        }
    }
    return false;
}

void TFPreview::keyPressEvent(QKeyEvent* event)
{
    if (handleKey(*event))
        event->accept();
    else
        QMainWindow::keyPressEvent(event);
}

void TFPreview::AtualizaPagina(int page, int total)
{
    Header->setSectionText(1, QStringLiteral("Página: %1 de %2").arg(page).arg(total));
}

void TFPreview::AtualizaZoom()
{
    Header->setSectionText(2, QStringLiteral("Zoom: %1%").arg(Preview->Zoom()));
}

static int pageCountOf(const TQRPreview* preview)
{
    return preview->QRPrinter() ? preview->QRPrinter()->pageCount() : 0;
}

void TFPreview::PrimeiraClick()
{
    Preview->setPageNumber(1);
    AtualizaPagina(1, pageCountOf(Preview));
}

void TFPreview::ProximaClick()
{
    Preview->setPageNumber(Preview->PageNumber() + 1);
    AtualizaPagina(Preview->PageNumber(), pageCountOf(Preview));
}

void TFPreview::AnteriorClick()
{
    Preview->setPageNumber(Preview->PageNumber() - 1);
    AtualizaPagina(Preview->PageNumber(), pageCountOf(Preview));
}

void TFPreview::UltimaClick()
{
    const int count = pageCountOf(Preview);
    Preview->setPageNumber(count);
    AtualizaPagina(count, count);
}

void TFPreview::ZoomMenosClick()
{
    Preview->setZoom(Preview->Zoom() + 10);
    AtualizaZoom();
}

void TFPreview::ZoomMaisClick()
{
    Preview->setZoom(Preview->Zoom() - 10);
    AtualizaZoom();
}

void TFPreview::PreviewClick()
{
    ToolBar->setVisible(!ToolBar->isVisible());
    AtualizaZoom();
}

void TFPreview::ToolBarClick()
{
    const Qt::ToolBarArea to = toolBarArea(ToolBar) == Qt::BottomToolBarArea
                                   ? Qt::RightToolBarArea
                                   : Qt::BottomToolBarArea;
    addToolBar(to, ToolBar);
    ToolBar->show();
}

void TFPreview::PreviewPageAvailable(int PageNum)
{
    AtualizaPagina(Preview->PageNumber(), PageNum);
}

void TFPreview::PreviewProgressUpdate(int Progress)
{
    const int paper = Relatorio ? Relatorio->PaperSize() : 0;
    Header->setSectionText(3, QStringLiteral("Papel: ") +
                                  NomesPapel.at(std::size_t(paper < 0 || paper > 27 ? 0 : paper)));
    ProgressBar->setValue(Progress);
    if (Progress == 100) {
        ProgressBar->hide();
        AtualizaZoom();
        ui->Imprimir->setEnabled(true);
    }
}

void TFPreview::ImprimirClick()
{
    if (!Relatorio || !ui->Imprimir->isEnabled())
        return;
    const Busy busy(*this);
    const int pages = pageCountOf(Preview);
    QPrinter& printer = report::printer();
    QPrintDialog dialog(&printer, this);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies);
    // Beyond page 999 of a large payroll, every page can still be chosen.
    dialog.setMinMax(1, std::max(999, pages));
    int from = std::min(m_printFrom, std::max(pages, 1));
    int to = pages;
    const int shown = Preview->PageNumber();
    if (m_foundFirst > 0 && shown >= m_foundFirst && shown <= m_foundLast) {
        // The statement found last is on screen: it is what the clerk means to print.
        from = m_foundFirst;
        to = m_foundLast;
    }
    printer.setCollateCopies(true);
    printer.setPrintRange(QPrinter::PageRange);
    dialog.setFromTo(from, std::max(from, to));
    if (dialog.exec() != QDialog::Accepted)
        return;

    const int first = printer.fromPage();
    if (first > 0)
        m_printFrom = first;
    Relatorio->FirstPage = first;
    Relatorio->LastPage = printer.toPage();
    Relatorio->Copies = printer.copyCount();
    Relatorio->PrinterName = printer.printerName();
    try {
        Relatorio->Print();
    } catch (const std::exception& e) {
        platform::showException(QString::fromUtf8(e.what()));
    }
}

void TFPreview::ConfigurarClick()
{
    const Busy busy(*this);
    QPageSetupDialog dialog(&report::printer(), this);
    dialog.exec();
}

void TFPreview::SairClick()
{
    frameWindow()->close();
}

void TFPreview::FormDeactivate()
{
    if (!m_closing)
        frameWindow()->close();
}

void TFPreview::FormClose(TCloseAction& Action)
{
    Preview->setQRPrinter(nullptr);
    Action = TCloseAction::caFree;
}

void TFPreview::closeEvent(QCloseEvent* event)
{
    TCloseAction action = TCloseAction::caHide;
    FormClose(action);
    if (action == TCloseAction::caNone) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
    if (action == TCloseAction::caFree)
        free();
}

void TFPreview::free()
{
    // A handler that is still running (a print closes the window from inside its own run)
    // frees the window when it returns.
    if (m_busy > 0)
        m_freeWhenIdle = true;
    else
        frameWindow()->deleteLater();
}

TFPreview::Busy::Busy(TFPreview& window)
    : m_window(window)
{
    ++m_window.m_busy;
}

TFPreview::Busy::~Busy()
{
    if (--m_window.m_busy == 0 && m_window.m_freeWhenIdle) {
        m_window.m_freeWhenIdle = false;
        m_window.frameWindow()->deleteLater();
    }
}

void TFPreview::onFocusWindowChanged(QWindow* now)
{
    // Another application taking the focus leaves no focus window here: that is no reason.
    if (!now || m_closing || now == window()->windowHandle())
        return;
    const Qt::WindowType type = now->type();
    if (type == Qt::Popup || type == Qt::ToolTip)
        return;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other->windowHandle() == now && isSystemDialog(other))
            return;
    }
    FormDeactivate();
}

bool TFPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ToolBar && event->type() == QEvent::MouseButtonDblClick) {
        ToolBarClick();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        // In the find bar, the keys that edit its text stay with it.
        const bool editing = watched == ui->FindText && key.modifiers() == Qt::NoModifier &&
                             (key.key() == Qt::Key_Home || key.key() == Qt::Key_End);
        if (!editing && handleKey(key))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFPreview::showFindBar()
{
    ui->FindBar->show();
    ui->FindText->setFocus();
    ui->FindText->selectAll();
}

void TFPreview::hideFindBar()
{
    if (!ui->FindBar->isVisible())
        return;
    ui->FindBar->hide();
    Preview->setFocus();
}

bool TFPreview::findStatement(const QString& text)
{
    report::PageStore* store = Preview->QRPrinter();
    const int page = store ? store->findBookmark(text, Preview->PageNumber()) : 0;
    if (page == 0)
        return false;
    Preview->setPageNumber(page);
    AtualizaPagina(Preview->PageNumber(), pageCountOf(Preview));
    m_foundFirst = page;
    m_foundLast = store->bookmarkEnd(page);
    return true;
}

void TFPreview::findNext()
{
    const bool found = findStatement(ui->FindText->text());
    ui->FindResult->setText(found ? QString() : QStringLiteral("Não encontrado"));
}
