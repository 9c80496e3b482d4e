// The main of the Qt tests: one QApplication for the whole program, on Qt's offscreen platform
// unless another is asked for, so the tests need no display.
#include <QApplication>
#include <gtest/gtest.h>

namespace
{
QtMessageHandler qtDefault = nullptr;

// The offscreen platform says, window by window, which window-system requests it cannot pass on
// to a window system it does not have; only those lines are dropped.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        qtDefault(type, context, message);
}
} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtDefault = qInstallMessageHandler(quietOffscreen);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
