// The uninstaller: removes what the installation of a product put on this machine.
//   uninstall PRODUCT NAME            asks, removes, and tells what was left
//   uninstall --silent PRODUCT NAME   the same without windows; non-zero status when
//                                     something could not be removed
// The product's name may come as one argument or as several words.
#include "installer/framework/Components.h"
#include "installer/framework/LinuxPlatform.h"
#include "installer/framework/QuietStart.h"
#include "installer/framework/StringTable.h"
#include "installer/framework/Uninstall.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

StringTable texts()
{
    QFile file(QStringLiteral(":/uninstaller/uninstall.strings"));
    file.open(QIODevice::ReadOnly);
    return StringTable::parse(QString::fromUtf8(file.readAll()));
}

QString report(const StringTable& t, const QString& product, const UninstallResult& result)
{
    if (result.failed.isEmpty() && result.kept.isEmpty())
        return t.text(glid::UninstallDone).arg(product);
    QString text = t.text(glid::UninstallLeft).arg(product);
    for (const QString& line : result.failed + result.kept)
        text += QStringLiteral("\n  ") + line;
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    installQuietMessageHandler();
    const bool silent = prepareSilentStart(argc, argv);
    QApplication application(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    QStringList words = application.arguments().mid(1);
    words.removeAll(QStringLiteral("--silent"));
    const QString product = words.join(QLatin1Char(' ')).trimmed();
    const StringTable t = texts();
    const QString caption = t.text(glid::UninstallCaption);
    const auto tell = [&](const QString& text, bool problem) {
        if (silent)
            std::fprintf(problem ? stderr : stdout, "%s\n", text.toLocal8Bit().constData());
        else if (problem)
            QMessageBox::warning(nullptr, caption, text);
        else
            QMessageBox::information(nullptr, caption, text);
    };
    if (product.isEmpty() || product.startsWith(QLatin1String("--"))) {
        tell(QStringLiteral("Usage: uninstall [--silent] PRODUCT NAME"), true);
        return 2;
    }
    if (!silent &&
        QMessageBox::question(nullptr, caption, t.text(glid::UninstallQuestion).arg(product)) !=
            QMessageBox::Yes)
        return 3;
    try {
        LinuxPlatform platform = LinuxPlatform::fromEnvironment();
        const UninstallResult result = uninstallProduct(platform, product);
        tell(report(t, product, result), !result.failed.isEmpty());
        return result.failed.isEmpty() ? 0 : 1;
    } catch (const NotInstalledError&) {
        tell(t.text(glid::UninstallUnknown).arg(product), true);
        return 1;
    } catch (const std::exception& e) {
        tell(QString::fromStdString(e.what()), true);
        return 1;
    }
}
