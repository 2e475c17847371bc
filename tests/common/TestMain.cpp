#include <QApplication>
#include <gtest/gtest.h>
#include <time.h>

// One QApplication for every test. Screen tests run on the offscreen platform, with a fixed
// locale and time zone so that no result depends on the machine.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("TZ", "America/Sao_Paulo");
    tzset();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
