#include "Blendedshape.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QIconEngine>
#include <QLineEdit>
#include <QPainter>
#include <QPointingDevice>
#include <QTest>
#include <memory>

namespace
{

const QColor kBrush(128, 128, 128);
const QColor kDown(0, 0, 0);
const QColor kDisabled(204, 204, 204);

// A shown window with an editor that holds the focus and one keypad-like button.
class BlendedBitBtnTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        editor = new QLineEdit(window.get());
        editor->setGeometry(150, 10, 100, 30);
        button = new TBlendedBitBtn(window.get());
        button->setObjectName("sbt1");
        button->setGeometry(10, 10, 62, 48);
        button->SetCaption("1");
        button->SetBrushColor(kBrush);
        button->SetDownColor(kDown);
        button->SetDisabledColor(kDisabled);
        button->OnClick = [this](QObject *sender) {
            ++onClickRuns;
            lastSender = sender;
        };
        QObject::connect(button, &TBlendedBitBtn::clicked, [this] { ++clickedSignals; });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        editor->setFocus();
    }

    QColor fillSeen() const
    {
        // Left edge, mid-height: inside the shape, away from the caption.
        return QColor(button->grab().toImage().pixel(5, button->height() / 2));
    }
    QPoint centre() const { return button->rect().center(); }
    QPoint centreInWindow() const { return button->mapTo(window.get(), centre()); }

    std::unique_ptr<QWidget> window;
    QLineEdit *editor = nullptr;
    TBlendedBitBtn *button = nullptr;
    int onClickRuns = 0;
    int clickedSignals = 0;
    QObject *lastSender = nullptr;
};

// The name assistive tools read.
QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

QPointingDevice *touchScreen()
{
    static QPointingDevice *device = QTest::createTouchDevice();
    return device;
}

TEST_F(BlendedBitBtnTest, MouseClickClicksOnceAndNeverTakesFocus)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, centre());
    EXPECT_EQ(onClickRuns, 1);
    EXPECT_EQ(clickedSignals, 1);
    EXPECT_EQ(lastSender, button);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(button->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

TEST_F(BlendedBitBtnTest, FocusPolicyFromTheScreenDefinitionIsOverruled)
{
    auto *other = new TBlendedBitBtn(window.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    EXPECT_EQ(other->focusPolicy(), Qt::NoFocus);
}

// A translucent fill lets the window show through, whatever the shape; an opaque one does not,
// except outside its rounded corners.
TEST_F(BlendedBitBtnTest, TheWindowShowsThroughOnlyATranslucentFill)
{
    const QColor background = window->palette().color(QPalette::Window);
    for (const auto shape : {TBlendedBitBtn::stRoundRect, TBlendedBitBtn::stRectangle}) {
        for (const int alpha : {255, 128}) {
            button->SetShape(shape);
            button->SetBrushColor(QColor(0, 0, 255, alpha));
            const QPoint inside = button->mapTo(window.get(), QPoint(5, button->height() / 2));
            const QImage shown = window->grab().toImage();
            const QColor seen = shown.pixelColor(inside);
            if (shape == TBlendedBitBtn::stRoundRect) { // outside the rounded corner
                EXPECT_EQ(shown.pixelColor(button->mapTo(window.get(), QPoint(1, 1))), background)
                    << alpha;
            }
            const double a = alpha / 255.0;
            EXPECT_NEAR(seen.red(), background.red() * (1 - a), 1.5) << shape << " " << alpha;
            EXPECT_NEAR(seen.blue(), 255 * a + background.blue() * (1 - a), 1.5)
                << shape << " " << alpha;
        }
    }
}

TEST_F(BlendedBitBtnTest, DownLookWhilePressedAndReleaseOutsideDoesNotClick)
{
    EXPECT_EQ(fillSeen(), kBrush);
    QTest::mousePress(button, Qt::LeftButton, {}, centre());
    EXPECT_TRUE(button->IsDown());
    EXPECT_EQ(fillSeen(), kDown);

    QTest::mouseMove(button, QPoint(200, 100));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_FALSE(button->IsDown());
    EXPECT_EQ(onClickRuns, 0);
    EXPECT_EQ(clickedSignals, 0);
}

TEST_F(BlendedBitBtnTest, TouchClicksExactlyOnceWithDownLookWhileTheFingerIsDown)
{
    QTest::touchEvent(window.get(), touchScreen()).press(0, centreInWindow(), window.get());
    EXPECT_TRUE(button->IsDown());
    EXPECT_EQ(fillSeen(), kDown);
    EXPECT_EQ(onClickRuns, 0);

    QTest::touchEvent(window.get(), touchScreen()).release(0, centreInWindow(), window.get());
    QApplication::processEvents();
    EXPECT_FALSE(button->IsDown());
    EXPECT_EQ(onClickRuns, 1);
    EXPECT_EQ(clickedSignals, 1);
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

TEST_F(BlendedBitBtnTest, MouseEventsSynthesizedFromATouchDoNotClickAgain)
{
    QTest::touchEvent(window.get(), touchScreen()).press(0, centreInWindow(), window.get());
    QTest::touchEvent(window.get(), touchScreen()).release(0, centreInWindow(), window.get());
    const QPointF local = centre();
    const QPointF global = button->mapToGlobal(centre());
    for (const Qt::MouseEventSource source :
         {Qt::MouseEventSynthesizedByQt, Qt::MouseEventSynthesizedBySystem}) {
        QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier, source, touchScreen());
        QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier, source, touchScreen());
        QApplication::sendEvent(button, &press);
        QApplication::sendEvent(button, &release);
    }
    EXPECT_EQ(onClickRuns, 1);
}

TEST_F(BlendedBitBtnTest, TouchMovedAwayOrCancelledDoesNotClick)
{
    QTest::touchEvent(window.get(), touchScreen()).press(0, centreInWindow(), window.get());
    QTest::touchEvent(window.get(), touchScreen()).move(0, QPoint(200, 150), window.get());
    EXPECT_FALSE(button->IsDown());
    QTest::touchEvent(window.get(), touchScreen()).release(0, QPoint(200, 150), window.get());
    EXPECT_EQ(onClickRuns, 0);

    QTest::touchEvent(window.get(), touchScreen()).press(1, centreInWindow(), window.get());
    ASSERT_TRUE(button->IsDown());
    QTouchEvent cancel(QEvent::TouchCancel, touchScreen());
    QApplication::sendEvent(button, &cancel);
    EXPECT_FALSE(button->IsDown());
    EXPECT_EQ(onClickRuns, 0);
}

TEST_F(BlendedBitBtnTest, DisabledButtonShowsDisabledLookAndDoesNotClick)
{
    button->setEnabled(false);
    EXPECT_EQ(fillSeen(), kDisabled);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre());
    QTest::touchEvent(window.get(), touchScreen()).press(0, centreInWindow(), window.get());
    EXPECT_FALSE(button->IsDown());
    QTest::touchEvent(window.get(), touchScreen()).release(0, centreInWindow(), window.get());
    EXPECT_EQ(onClickRuns, 0);
    EXPECT_EQ(clickedSignals, 0);
}

TEST_F(BlendedBitBtnTest, ClickRunsOnClickEvenWithoutPointer)
{
    button->Click();
    EXPECT_EQ(onClickRuns, 1);
    EXPECT_EQ(clickedSignals, 1);
}

// Every key goes to the screen's key preview: a caption's mnemonic is drawn, never a shortcut.
TEST_F(BlendedBitBtnTest, CaptionMnemonicClicksNothing)
{
    button->SetCaption("C&onfirmar");
    QTest::keyClick(editor, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(onClickRuns, 0);
    EXPECT_TRUE(button->shortcut().isEmpty());
}

TEST_F(BlendedBitBtnTest, AccessibleNameFollowsCaptionUnlessSetByTheScreen)
{
    struct Case {
        const char *caption;
        const char *expected;
    };
    const Case cases[] = {{"1", "1"}, {"C&onfirmar", "Confirmar"}, {"A&&B", "A&B"}};
    for (const Case &c : cases) {
        button->SetCaption(c.caption);
        EXPECT_EQ(accessibleName(button), c.expected) << c.caption;
    }
    button->setAccessibleName(QString::fromUtf8("Dígito 1"));
    button->SetCaption("9");
    EXPECT_EQ(accessibleName(button), QString::fromUtf8("Dígito 1"));

    auto *imageOnly = new TBlendedBitBtn(window.get());
    imageOnly->setObjectName("sbtEnter");
    imageOnly->show();
    EXPECT_EQ(accessibleName(imageOnly), "sbtEnter");
}

// Records the pixel size a glyph is asked for.
class RecordingEngine : public QIconEngine
{
public:
    explicit RecordingEngine(QSize *lastSize) : m_lastSize(lastSize) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->fillRect(rect, Qt::red);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        *m_lastSize = size;
        QPixmap pm(size);
        pm.fill(Qt::red);
        return pm;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine *clone() const override { return new RecordingEngine(m_lastSize); }

private:
    QSize *m_lastSize;
};

TEST_F(BlendedBitBtnTest, GlyphIsRenderedAtTheTargetPixelRatio)
{
    QSize requested;
    button->SetCaption("");
    button->SetGlyphSize(QSize(24, 24));
    button->SetGlyph(QIcon(new RecordingEngine(&requested)));
    QImage image(button->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::white);
    button->render(&image);
    EXPECT_EQ(requested, QSize(48, 48));
    // The centred glyph covers the middle of the button.
    EXPECT_EQ(QColor(image.pixel(image.width() / 2, image.height() / 2)), QColor(Qt::red));
}

} // namespace
