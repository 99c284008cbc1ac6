#pragma once

#include "platform/CloseAction.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class QMdiArea;
class QProgressBar;
class QToolBar;
class QWindow;
class THeaderControl;
class TQRPreview;

namespace Ui {
class TFPreview;
}

namespace report {
class Report;
}

// The paper names of the old engine's paper numbers, 0 to 27.
extern const std::array<QString, 28> NomesPapel;

// The print preview: a child window of the main window's frame that shows the report's pages
// while they are composed, moves between them, zooms, prints a range and sets up the printer.
class TFPreview : public QMainWindow {
    Q_OBJECT

public:
    // The owner (the report) destroys the window with itself if it still exists. The window
    // shows itself at once, maximised inside the frame, or as a window of its own without one.
    TFPreview(QObject* owner, QMdiArea* frame);
    ~TFPreview() override;

    TQRPreview* Preview;
    QToolBar* ToolBar;
    THeaderControl* Header;
    QProgressBar* ProgressBar;

    // The report being previewed; set by its creator, not owned.
    report::Report* Relatorio = nullptr;

    void AtualizaPagina(int page, int total);
    void AtualizaZoom();

    // Moves to the next statement whose bookmark holds the text; false when none does.
    bool findStatement(const QString& text);

public slots:
    void FormClose(TCloseAction& Action);
    void FormDeactivate();
    void PreviewClick();
    void PreviewPageAvailable(int PageNum);
    void PreviewProgressUpdate(int Progress);
    void ToolBarClick();
    void PrimeiraClick();
    void ProximaClick();
    void AnteriorClick();
    void UltimaClick();
    void ZoomMenosClick();
    void ZoomMaisClick();
    void ImprimirClick();
    void ConfigurarClick();
    void SairClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpToolBar();
    void setUpHeader();
    void setUpKeys();
    bool handleKey(const QKeyEvent& event);
    void onFocusWindowChanged(QWindow* now);
    void showFindBar();
    void hideFindBar();
    void findNext();
    // The window that the frame shows: the MDI child around this one, or this one.
    QWidget* frameWindow();
    void free();

    // Marks a handler as running while it lives: the window is not freed under it.
    class Busy {
    public:
        explicit Busy(TFPreview& window);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        TFPreview& m_window;
    };

    std::unique_ptr<Ui::TFPreview> ui;
    int m_printFrom = 1;
    int m_foundFirst = 0; // pages of the statement found last, for the print range
    int m_foundLast = 0;
    bool m_closing = false;
    int m_busy = 0;
    bool m_freeWhenIdle = false;
};
