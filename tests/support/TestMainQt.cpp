// Test entry for suites that need a QApplication. Runs on the offscreen platform unless the
// environment says otherwise (test discovery runs the binary without the test's environment).
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        std::string dir = "/tmp/radaziz-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        chmod(dir.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir));
    }
    previousHandler = qInstallMessageHandler(filterMessages);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
