// The installed program's entry: finds the database engine the installer registered, then
// starts the program (in libexec/ beside it) with the engine's folder on the library path.
// The program links the engine, which the system's loader must find before the program runs,
// so the check cannot be made by the program itself. Built once per program:
// RADAZIZ_LAUNCHED names it; RADAZIZ_LAUNCHER_WINDOWS tells the user in a message box rather
// than on standard error.
#include "app/launcher/EngineLookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#if RADAZIZ_LAUNCHER_WINDOWS
#include <QApplication>
#include <QMessageBox>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

int tell(int argc, char** argv, const QString& message)
{
#if RADAZIZ_LAUNCHER_WINDOWS
    QApplication application(argc, argv);
    QMessageBox::critical(nullptr, QStringLiteral("Utilitário de Impressão Radaziz (DIRF99)"),
                          message);
#else
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "%s: %s\n", RADAZIZ_LAUNCHED, message.toLocal8Bit().constData());
#endif
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return tell(argc, argv, QStringLiteral("Não foi possível localizar o programa."));
    self[n] = '\0';
    const QString program = QFileInfo(QFile::decodeName(self)).absolutePath() +
                            QStringLiteral("/libexec/") + QLatin1String(RADAZIZ_LAUNCHED);

    const EngineLookup engine = findInstalledEngine(settingsStores());
    if (engine.status != EngineLookup::Found)
        return tell(argc, argv, engineLookupMessage(engine));
    if (!QFileInfo(program).isExecutable())
        return tell(argc, argv,
                    QStringLiteral("O arquivo \"%1\" do Radaziz não foi encontrado. Instale o "
                                   "Radaziz novamente com o programa de instalação.")
                        .arg(program));

    const QByteArray path = libraryPathWith(engine.folder, qgetenv("LD_LIBRARY_PATH"));
    setenv("LD_LIBRARY_PATH", path.constData(), 1);
    const QByteArray file = QFile::encodeName(program);
    argv[0] = const_cast<char*>(file.constData());
    execv(file.constData(), argv);
    return tell(argc, argv,
                QStringLiteral("Não foi possível iniciar \"%1\": %2")
                    .arg(program, QString::fromLocal8Bit(std::strerror(errno))));
}
