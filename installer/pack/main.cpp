// brevand-pack: builds the installer's distribution.
//   brevand-pack draw-icon statements|uninstall FILE.png
//   brevand-pack build --program-build DIR --installer-platform DIR --engine-shared DIR
//                      --installer FILE --presetup-folder DIR --loader FILE --out DIR
#include "installer/InstInfo.h"
#include "installer/framework/Artwork.h"
#include "installer/framework/QuietStart.h"
#include "installer/pack/DistributionBuilder.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    installQuietMessageHandler(); // a build step: the notices are noise in its output
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("draw-icon")) {
            const QImage icon =
                programIcon(args[2] == QLatin1String("uninstall") ? ProgramIcon::Uninstall
                                                                  : ProgramIcon::Statements);
            if (!icon.save(args[3], "PNG"))
                throw std::runtime_error(args[3].toStdString() + " cannot be written");
            return 0;
        }
        QCommandLineParser parser;
        QStringList names{"program-build",
                          "installer-platform",
                          "engine-shared",
                          "installer",
                          "presetup-folder",
                          "loader",
                          "out"};
        for (const QString& name : names)
            parser.addOption(QCommandLineOption(name, name, QStringLiteral("PATH")));
        parser.addPositionalArgument(QStringLiteral("build"), QStringLiteral("build"));
        if (!parser.parse(args) || parser.positionalArguments() != QStringList{"build"})
            throw std::runtime_error("usage: brevand-pack build --program-build DIR ... --out DIR");
        for (const QString& name : names)
            if (parser.value(name).isEmpty())
                throw std::runtime_error("--" + name.toStdString() + " is missing");
        const DistributionSources sources{
            parser.value("program-build"),   parser.value("installer-platform"),
            parser.value("engine-shared"),   parser.value("installer"),
            parser.value("presetup-folder"), parser.value("loader")};
        TForm1 form;
        buildDistribution(*form.Install1, sources, parser.value("out"));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brevand-pack: %s\n", e.what());
        return 1;
    }
}
