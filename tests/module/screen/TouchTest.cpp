// Keypad buttons under a finger: one key per touch, the pressed look while the finger is down,
// nothing when the finger slides off before it lifts. Played on the real screen through the entry.
#include "Blendedshape.h"
#include "Cli_Kpf05520.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"

#include <QPointingDevice>
#include <QTest>

namespace
{

QPointingDevice *TouchScreen()
{
    static QPointingDevice *device =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    return device;
}

// What one touch saw while the finger was down.
struct Press {
    bool down = false;
    QColor fill; // the button's face beside its caption
};

// A point on the button's face clear of its caption and of the rounded corners.
QPoint FacePoint(const QWidget *button)
{
    return {4, button->height() / 2};
}

Press Touch(TfrmImpost &form, const QString &name, bool slideOff = false)
{
    auto *button = form.findChild<TBlendedBitBtn *>(name);
    EXPECT_NE(button, nullptr) << "no button " << qPrintable(name);
    if (!button)
        return {};
    const QPoint centre = button->rect().center();
    QTest::touchEvent(button, TouchScreen()).press(0, centre, button);
    Press seen;
    seen.down = button->IsDown();
    seen.fill = button->grab().toImage().pixelColor(FacePoint(button) * button->devicePixelRatio());
    const QPoint lift = slideOff ? QPoint(button->width() + 30, centre.y()) : centre;
    if (slideOff)
        QTest::touchEvent(button, TouchScreen()).move(0, lift, button);
    QTest::touchEvent(button, TouchScreen()).release(0, lift, button);
    return seen;
}

QVariant PendingValue(const TfrmImpost &form, const char *field)
{
    const QList<QVariantMap> rows = ScreenFixture::Rows(form);
    return rows.isEmpty() ? QVariant() : rows.last().value(QLatin1String(field));
}

class TouchOnKeypad : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        CreateDatabase();
        WriteSettings(QStringLiteral("13"));
    }
};

struct TouchStep {
    const char *button;
    bool slideOff;
    const char *field; // nullptr: no field to look at after the touch
    QVariant expected;
};

TEST_F(TouchOnKeypad, EachTouchTypesOnceAndShowsThePressedLookWhileDown)
{
    // A doubled touch would show as "00", 77 or 1100 here.
    const TouchStep steps[] = {
        {"sbt0", false, "CDIMPOSTO", QStringLiteral("0")},
        {"sbt1", false, "CDIMPOSTO", QStringLiteral("01")},
        {"sbtEnter", false, nullptr, {}},
        {"sbt7", false, "VRALIQIMPRZ", 7.0},
        {"sbt9", true, "VRALIQIMPRZ", 7.0}, // slid off: no key
        {"sbtEnter", false, nullptr, {}},
        {"sbt1", false, "VRBCALCIMPRZ", 1.0},
        {"sbt00", false, "VRBCALCIMPRZ", 100.0},
    };
    const Variant result = RunEntry([&](TfrmImpost &form) {
        for (const TouchStep &step : steps) {
            SCOPED_TRACE(step.button);
            auto *button = form.findChild<TBlendedBitBtn *>(QLatin1String(step.button));
            ASSERT_NE(button, nullptr);
            const Press seen = Touch(form, QLatin1String(step.button), step.slideOff);
            EXPECT_TRUE(seen.down) << "not down while the finger is on it";
            EXPECT_EQ(seen.fill, button->DownColor()) << "no pressed look while down";
            EXPECT_FALSE(button->IsDown()) << "still down after the finger lifted";
            if (step.field) {
                EXPECT_EQ(PendingValue(form, step.field), step.expected);
            }
        }
        Touch(form, QStringLiteral("blsConfirm"));
    });
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(result.isPacket());
    const QList<QVariantMap> rows = PacketRows(result);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value(QStringLiteral("CDIMPOSTO")).toString(), QStringLiteral("01"));
    EXPECT_EQ(rows[0].value(QStringLiteral("VRALIQIMPRZ")).toDouble(), 7.0);
    EXPECT_EQ(rows[0].value(QStringLiteral("VRBCALCIMPRZ")).toDouble(), 100.0);
    EXPECT_EQ(rows[0].value(QStringLiteral("VRIMPOSTORZ")).toDouble(), 7.0);
}

} // namespace
