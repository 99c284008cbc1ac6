// Brevand: installs Radaziz, the database engine it needs, its menu folder and its uninstaller.
// Started by the loader "setup", which names the distribution and its working folder:
//   brevand --distribution DIR --work DIR [--silent] [--dest DIR] [--folder NAME]
//   brevand --after-restart --distribution DIR --work DIR
#include "installer/InstInfo.h"
#include "installer/framework/LinuxPlatform.h"
#include "installer/framework/QuietStart.h"
#include "installer/framework/TerminalView.h"
#include "installer/framework/WidgetView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    installQuietMessageHandler();
    const bool silent = prepareSilentStart(argc, argv);
    QApplication application(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));

    QCommandLineParser parser;
    const QCommandLineOption distribution(QStringLiteral("distribution"),
                                          QStringLiteral("Folder of the distribution."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption work(QStringLiteral("work"),
                                  QStringLiteral("The loader's working folder."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption silentOption(QStringLiteral("silent"),
                                          QStringLiteral("Install without windows."));
    const QCommandLineOption dest(QStringLiteral("dest"),
                                  QStringLiteral("Main installation directory."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("Program folder in the desktop menu."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption afterRestart(QStringLiteral("after-restart"),
                                          QStringLiteral("Complete replacements after a restart."));
    parser.addOptions({distribution, work, silentOption, dest, folder, afterRestart});
    parser.addHelpOption();
    if (!parser.parse(application.arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString message =
            parser.errorText().isEmpty()
                ? QStringLiteral("unexpected argument ") + parser.positionalArguments().value(0)
                : parser.errorText();
        std::fprintf(stderr, "setup: %s\nUsage: setup [--silent] [--dest DIR] [--folder NAME]\n",
                     message.toLocal8Bit().constData());
        return exitstatus::BadArguments;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    RunOptions options;
    options.distributionFolder = parser.value(distribution);
    options.workFolder = parser.value(work);
    options.destination = parser.value(dest);
    options.programFolder = parser.value(folder);
    options.afterRestart = parser.isSet(afterRestart);
    options.program = QCoreApplication::applicationFilePath();

    try {
        LinuxPlatform platform = LinuxPlatform::fromEnvironment();
        TForm1 form;
        Form1 = &form;
        int status = exitstatus::Failed;
        if (silent) {
            TerminalView view(*form.MainTranslator);
            InstallRun run(*form.Install1, *form.MainTranslator, platform, view, options);
            status = exitStatusOf(run.execute());
        } else {
            InstallSession session(*form.Install1, *form.MainTranslator, platform, options, &form);
            form.show();
            status = application.exec();
        }
        // After a restart no loader waits to remove the working folder this program runs from.
        const QFileInfo work(options.workFolder);
        if (options.afterRestart && status != exitstatus::RestartPending && work.isDir() &&
            work.canonicalFilePath() ==
                QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath())
            QDir(work.filePath()).removeRecursively();
        return status;
    } catch (const std::exception& e) {
        if (silent)
            std::fprintf(stderr, "setup: %s\n", e.what());
        else
            QMessageBox::critical(nullptr, QString(), QString::fromStdString(e.what()));
        return exitstatus::Failed;
    }
}
