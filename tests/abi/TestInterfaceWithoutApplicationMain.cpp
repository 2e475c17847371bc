// Before the QApplication exists the test interface installs nothing and says so; once it
// exists the same observer is taken. Exit status 1 and one line per difference on failure.
#include "kpf_test.h"

#include <QApplication>
#include <cstdio>

namespace
{
int failures = 0;

void Expect(const char *what, int got, int expected)
{
    if (got == expected)
        return;
    std::printf("%s: got %d, expected %d\n", what, got, expected);
    ++failures;
}

void Observe(int, void *) {}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Expect("observer before the application", KpfTest_SetScreenObserver(&Observe, nullptr),
           KPF_TEST_NO_APPLICATION);
    Expect("error observer before the application", KpfTest_SetErrorObserver(nullptr, nullptr),
           KPF_TEST_NO_APPLICATION);
    Expect("touch before the application", KpfTest_Touch("blsConfirm"), KPF_TEST_NO_APPLICATION);
    Expect("status before the application", KpfTest_ScreenStatus(), KPF_SCREEN_NONE);
    {
        QApplication app(argc, argv);
        Expect("observer once the application exists", KpfTest_SetScreenObserver(&Observe, nullptr),
               KPF_TEST_OK);
        Expect("observer removed", KpfTest_SetScreenObserver(nullptr, nullptr), KPF_TEST_OK);
    }
    if (failures == 0)
        std::printf("test interface without an application: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
