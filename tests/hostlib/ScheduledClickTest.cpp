#include "kpf_dll.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace
{

// A host types a value by scheduling its keys a little apart. Pairs of delays 5 to 20 ms apart,
// where Qt's coarse timers (which move a timeout by up to 5 % of its interval) often play the
// later one first.
TEST(ScheduledClick, ClicksPlayInTheOrderOfTheirDelays)
{
    QWidget window;
    QStringList played;
    const int delays[] = {195, 200, 390, 400, 480, 500, 590, 600};
    const int count = int(std::size(delays));
    for (int i = 0; i < count; ++i) {
        auto *key = new QPushButton(QString::number(i), &window);
        key->setObjectName(QStringLiteral("key%1").arg(i));
        key->setGeometry(40 * i, 0, 40, 40);
        QObject::connect(key, &QPushButton::clicked,
                         [&played, i] { played << QString::number(i); });
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(KpfDll_ScheduleClick(qPrintable(QStringLiteral("key%1").arg(i)), delays[i]), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return played.size() == count; }, 5000));
    EXPECT_EQ(played.join(QLatin1Char(' ')).toStdString(), "0 1 2 3 4 5 6 7");
}

} // namespace
