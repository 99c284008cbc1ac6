#include "installer/framework/TerminalView.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

} // namespace

TerminalView::TerminalView(const TTranslator& translator, std::FILE* out, std::FILE* err)
    : m_translator(translator)
    , m_out(out)
    , m_err(err)
{
    interrupted = false;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

TerminalView::~TerminalView()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void TerminalView::print(std::FILE* stream, const QString& line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

void TerminalView::showStatus(const QString& text)
{
    print(m_out, text);
}

bool TerminalView::showPages(const QList<TInstallPage*>& pages, PageAnswers& answers)
{
    for (const TInstallPage* page : pages) {
        switch (page->Kind) {
        case pkSelectDestination:
            print(m_out, QStringLiteral("Destination directory: ") + answers.destination);
            break;
        case pkSelectFolder:
            print(m_out, QStringLiteral("Program folder: ") + answers.programFolder);
            break;
        case pkGoodInstallation:
            print(m_out, m_translator.text(glid::GoodCaption) + QStringLiteral(": ") +
                             m_translator.text(glid::GoodText));
            break;
        case pkBadInstallation:
            print(m_err, m_translator.text(glid::BadCaption) + QStringLiteral(": ") +
                             m_translator.text(glid::BadText));
            break;
        case pkCopyFile:
            break;
        }
    }
    return true;
}

void TerminalView::beginCopy(const QString& file)
{
    print(m_out, QStringLiteral("Copying ") + file);
}

bool TerminalView::cancelRequested() const
{
    return interrupted;
}

void TerminalView::showError(const QString& message)
{
    print(m_err, QStringLiteral("Error: ") + message);
}

bool TerminalView::confirmRestart(const QString&)
{
    print(m_err, QStringLiteral("Files in use are replaced at the next start of the system; "
                                "restart it to complete the installation."));
    return false;
}

void TerminalView::note(const QString& line)
{
    print(m_out, line);
}
