#pragma once

#include "installer/framework/InstallRun.h"

#include <cstdio>

// The run without windows: progress on standard output, errors on standard error, and the
// answers of the pages given beforehand. An interrupt (Ctrl+C) or termination signal cancels
// it between two pieces of a file, like the copy window's Cancel.
class TerminalView : public RunView {
public:
    explicit TerminalView(const TTranslator& translator, std::FILE* out = stdout,
                          std::FILE* err = stderr);
    ~TerminalView() override;

    void showStatus(const QString& text) override;
    void hideStatus() override {}
    void setBusy(bool) override {}
    bool showPages(const QList<TInstallPage*>& pages, PageAnswers& answers) override;
    void beginCopy(const QString& file) override;
    void copyProgress(int, int) override {}
    void endCopy() override {}
    bool cancelRequested() const override;
    void showError(const QString& message) override;
    // Never restarts the system on its own: the administrator is told instead.
    bool confirmRestart(const QString& question) override;
    void note(const QString& line) override;

private:
    void print(std::FILE* stream, const QString& line);

    const TTranslator& m_translator;
    std::FILE* m_out;
    std::FILE* m_err;
};
