// What the button paints: the frame's edges in each look, the latched checkerboard, the caption's
// place and its one-pixel move when pressed, the flat mode, the disabled caption, the second frame
// pass, and colours that follow the palette.

#include "controls/Abcbtn.h"

#include <functional>
#include <set>

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using controlstest::Grab;
using controlstest::Rgb;
using controlstest::Settle;
using controlstest::TestWindow;

const QRgb Grey = qRgb(222, 222, 222);
const TColor Face = 0x3264C8u;

// A font without antialiasing, so that caption pixels are exactly the colours drawn.
QFont CrispFont(int points)
{
    QFont font("Arial", points);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The bounding box of the pixels in `area` that are not `background`.
QRect Ink(const QImage& image, const QRect& area, QRgb background)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != background) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

std::set<QRgb> ColoursIn(const QImage& image, const QRect& area)
{
    std::set<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours;
}

class ButtonPaint : public ::testing::Test
{
protected:
    TabcPicSpeedBtn& Keypad(const QRect& geometry, const QString& caption = {})
    {
        auto& b = window.AddButton(geometry, caption);
        b.SetPopup(false);
        return b;
    }

    TestWindow window;
};

struct Pixel
{
    int x, y;
    QRgb color;
};

void ExpectPixels(const QImage& image, std::initializer_list<Pixel> pixels, const char* look)
{
    for (const Pixel& p : pixels) {
        EXPECT_EQ(image.pixel(p.x, p.y), p.color) << look << " at " << p.x << "," << p.y;
    }
}

TEST_F(ButtonPaint, KeypadStyleEdgesInEveryLook)
{
    auto& b = Keypad(QRect(20, 20, 38, 30));
    const QRgb face = Rgb(clBtnFace);
    const QRgb highlight = Rgb(clBtnHighlight);
    const QRgb shadow = Rgb(clBtnShadow);
    const QRgb dark = Rgb(cl3DDkShadow);

    ExpectPixels(Grab(b),
                 {{19, 0, highlight},
                  {0, 15, highlight},
                  {37, 15, shadow},
                  {19, 29, shadow},
                  {19, 28, shadow}, // the second bottom row makes the thick shadow
                  {0, 28, shadow},  // which runs from the very left
                  {37, 28, shadow},
                  {1, 1, face},
                  {19, 27, face},
                  {36, 15, face}},
                 "normal");

    QTest::mouseMove(&b, QPoint(10, 10));
    ASSERT_EQ(b.State(), TPicButtonState::Hot);
    ExpectPixels(Grab(b),
                 {{19, 29, shadow},
                  {0, 29, shadow},
                  {19, 0, highlight},
                  {0, 15, highlight},
                  {37, 15, dark},
                  {19, 28, dark},
                  {1, 15, Grey},
                  {19, 1, Grey},
                  {36, 15, shadow},
                  {19, 27, shadow},
                  {2, 2, face},
                  {35, 26, face}},
                 "hot");

    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    ExpectPixels(Grab(b),
                 {{19, 0, dark},
                  {0, 15, dark},
                  {37, 15, highlight},
                  {19, 29, highlight},
                  {1, 15, shadow},
                  {19, 1, shadow},
                  {36, 15, Grey},
                  {19, 28, Grey},
                  {2, 2, face},
                  {35, 27, face}},
                 "pressed");
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(ButtonPaint, LatchedFaceIsTheCheckerboard)
{
    auto& b = Keypad(QRect(21, 13, 38, 30)); // odd offsets: the pattern starts at the button's corner
    b.SetColor(Face);
    b.SetGroupIndex(1);
    b.SetDown(true);
    Settle();
    const QRgb highlight = Rgb(clBtnHighlight);
    const QRgb face = Rgb(Face);
    const QImage own = Grab(b);
    const QImage onWindow = Grab(window.Widget());
    for (int y = 2; y <= 27; ++y) {
        for (int x = 2; x <= 35; ++x) {
            const QRgb expected = (x % 2) == (y % 2) ? highlight : face;
            ASSERT_EQ(own.pixel(x, y), expected) << x << "," << y;
            ASSERT_EQ(onWindow.pixel(21 + x, 13 + y), expected) << "on the window " << x << "," << y;
        }
    }
    // The latched look has the pressed frame.
    EXPECT_EQ(own.pixel(19, 0), Rgb(cl3DDkShadow));
    EXPECT_EQ(own.pixel(36, 15), Grey);
}

TEST_F(ButtonPaint, LatchedFaceFollowsAPaletteChangeOfTheHighlight)
{
    auto& b = Keypad(QRect(10, 10, 30, 24));
    b.SetGroupIndex(1);
    b.SetDown(true);
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Active, QPalette::Light, QColor(255, 255, 0));
    QApplication::setPalette(changed);
    const QImage image = Grab(b);
    QApplication::setPalette(saved);
    EXPECT_EQ(image.pixel(6, 6), qRgb(255, 255, 0));
    EXPECT_EQ(image.pixel(7, 6), Rgb(clBtnFace));
}

// Each look's rings cover the whole border and exactly its inset (left, top, right, bottom); the
// face inside is untouched.
TEST_F(ButtonPaint, EveryFrameLeavesItsInsetOfFace)
{
    constexpr int W = 20, H = 16;
    struct Case
    {
        const char* look;
        int inset[4];
        std::function<void(TabcPicSpeedBtn&)> show;
    };
    const Case cases[] = {
        {"normal", {1, 1, 1, 2}, [](TabcPicSpeedBtn&) {}},
        {"hot", {2, 2, 2, 3}, [](TabcPicSpeedBtn& b) { QTest::mouseMove(&b, QPoint(5, 5)); }},
        {"pressed",
         {2, 2, 2, 2},
         [](TabcPicSpeedBtn& b) { QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5)); }},
    };
    int left = 10;
    for (const Case& c : cases) {
        auto& b = Keypad(QRect(left, 10, W, H));
        left += W + 10;
        c.show(b);
        const QImage image = Grab(b);
        const QRect face = QRect(0, 0, W, H).adjusted(c.inset[0], c.inset[1], -c.inset[2], -c.inset[3]);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const bool isFace = image.pixel(x, y) == Rgb(clBtnFace);
                ASSERT_EQ(isFace, face.contains(x, y)) << c.look << " at " << x << "," << y;
            }
        }
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
    }
}

TEST_F(ButtonPaint, CaptionMovesOnePixelWhenPressedOrLatched)
{
    const QFont font = CrispFont(14);
    const int textHeight = QFontMetrics(font).height();
    // The content is one row shorter when pressed, so the move is one pixel when the
    // room left over is even.
    const int keypadHeight = 40 + ((40 - textHeight) % 2 != 0 ? 1 : 0);
    for (const int width : {60, 61}) {
        SCOPED_TRACE(width);
        auto& b = Keypad(QRect(20, 20, width, keypadHeight), "8");
        b.setFont(font);
        b.SetColor(Face);
        const QRect inner = b.rect().adjusted(4, 4, -4, -4);
        const QRect up = Ink(Grab(b), inner, Rgb(Face));
        ASSERT_FALSE(up.isEmpty());

        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
        const QRect pressed = Ink(Grab(b), inner, Rgb(Face));
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(pressed, up.translated(1, 1));

        b.SetGroupIndex(9);
        b.SetDown(true);
        Settle();
        // The latched face is patterned: find the caption by its own colour.
        const QImage latchedImage = Grab(b);
        QRect latched;
        for (int y = inner.top(); y <= inner.bottom(); ++y) {
            for (int x = inner.left(); x <= inner.right(); ++x) {
                if (latchedImage.pixel(x, y) == Rgb(clWindowText)) {
                    latched |= QRect(x, y, 1, 1);
                }
            }
        }
        EXPECT_EQ(latched, up.translated(1, 1));
        delete &b;
    }
}

TEST_F(ButtonPaint, CaptionIsCentredByTheRoundedHalfRoom)
{
    for (const QSize size : {QSize(50, 30), QSize(51, 31), QSize(23, 22)}) {
        SCOPED_TRACE(size.width());
        auto& b = Keypad(QRect(QPoint(20, 20), size), "&Ab");
        b.SetColor(Face);
        b.SetFontColor(clNavy);
        b.setFont(CrispFont(10));

        // The raised frame is one pixel wide with a shadow line below.
        const QRect content = b.rect().adjusted(1, 1, -1, -2);
        const QFontMetrics metrics(b.font());
        const QSize text(metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, "&Ab").width(),
                         metrics.height());
        const QPoint at((content.width() - text.width() + 1) / 2, (content.height() - text.height() + 1) / 2);
        QImage expected(content.size(), QImage::Format_RGB32);
        expected.fill(Rgb(Face));
        {
            QPainter painter(&expected);
            painter.setFont(b.font());
            painter.setPen(ColorToQColor(clNavy));
            painter.drawText(QRect(at, text), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                             "&Ab");
        }
        EXPECT_EQ(Grab(b).copy(content), expected);
        delete &b;
    }
}

TEST_F(ButtonPaint, FlatButtonShowsItsFrameOnlyWhenHot)
{
    auto& b = Keypad(QRect(20, 20, 38, 30));
    b.SetPopup(true);
    b.SetColor(Face);
    Settle();
    const QImage flat = Grab(b);
    for (int x = 0; x < 38; ++x) {
        ASSERT_EQ(flat.pixel(x, 0), Rgb(Face)) << x;
        ASSERT_EQ(flat.pixel(x, 29), Rgb(Face)) << x;
    }
    for (int y = 0; y < 30; ++y) {
        ASSERT_EQ(flat.pixel(0, y), Rgb(Face)) << y;
        ASSERT_EQ(flat.pixel(37, y), Rgb(Face)) << y;
    }
    QTest::mouseMove(&b, QPoint(10, 10));
    const QImage hot = Grab(b);
    EXPECT_EQ(hot.pixel(19, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(hot.pixel(37, 15), Rgb(cl3DDkShadow));
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Grab(b).pixel(19, 0), Rgb(cl3DDkShadow));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&window.Widget(), QPoint(200, 120));
    EXPECT_EQ(Grab(b), flat);
}

TEST_F(ButtonPaint, AKeyHeldAndDraggedOffShowsTheHotLook)
{
    auto& b = Keypad(QRect(20, 20, 38, 30), "5");
    b.SetPopup(true);
    QTest::mouseMove(&b, QPoint(10, 10));
    const QImage hot = Grab(b);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    // Whether or not the window system tells the pointer has left (a leave may come during the
    // press, or none at all), the key dragged off shows the hot look, not the flat up look.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    QTest::mouseMove(&b, QPoint(120, 10));
    ASSERT_EQ(b.State(), TPicButtonState::Hot);
    EXPECT_EQ(Grab(b), hot);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(120, 10));
    EXPECT_NE(Grab(b), hot);
}

TEST_F(ButtonPaint, ColourChangeWhileHotWithThePointerGoneGivesTheUpLook)
{
    auto& b = Keypad(QRect(20, 20, 38, 30), "4");
    b.SetPopup(true);
    QTest::mouseMove(&b, QPoint(10, 10));
    // The pointer leaves while another widget holds the mouse: the hot state stays.
    QWidget grabber(&window.Widget());
    grabber.setGeometry(200, 100, 10, 10);
    grabber.show();
    grabber.grabMouse();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    grabber.releaseMouse();
    ASSERT_EQ(b.State(), TPicButtonState::Hot);

    b.SetColor(Face);
    EXPECT_EQ(b.State(), TPicButtonState::Up);
    auto& fresh = Keypad(QRect(100, 20, 38, 30), "4");
    fresh.SetPopup(true);
    fresh.SetColor(Face);
    EXPECT_EQ(Grab(b), Grab(fresh));
}

TEST_F(ButtonPaint, TheFrameIsDrawnAgainOverAWideCaption)
{
    auto& b = window.AddButton(QRect(20, 20, 23, 22), "WWWWWWWW");
    b.SetPopup(false);
    b.SetColor(Face);
    b.setFont(CrispFont(12));
    const QImage image = Grab(b);
    for (int y = 0; y < 22; ++y) {
        EXPECT_EQ(image.pixel(0, y), Rgb(y < 20 ? clBtnHighlight : clBtnShadow)) << y;
        EXPECT_EQ(image.pixel(22, y), Rgb(clBtnShadow)) << y;
    }
    EXPECT_TRUE(ColoursIn(image, QRect(1, 1, 21, 20)).contains(Rgb(clWindowText)));
}

TEST_F(ButtonPaint, EnabledAndDisabledCaptions)
{
    struct Case
    {
        const char* name;
        bool enabled;
        std::set<QRgb> present;
        std::set<QRgb> absent;
        QRgb topRow;    // the only colour on the caption's top row (0: not checked)
        QRgb bottomRow; // and on its bottom row
    };
    const QRgb font = Rgb(clNavy);
    const QRgb shadow = Rgb(clBtnShadow);
    const QRgb highlight = Rgb(clBtnHighlight);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(128, 128, 128);
    const Case cases[] = {
        {"normal", true, {font}, {shadow, highlight}, font, font},
        {"disabled", false, {white, grey}, {font, shadow}, grey, white},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& b = window.AddButton(QRect(20, 20, 60, 40), "E");
        b.SetPopup(false);
        b.SetColor(Face);
        b.SetFontColor(clNavy);
        b.setFont(CrispFont(16));
        b.setEnabled(c.enabled);
        const QImage image = Grab(b);
        const QRect inner = b.rect().adjusted(2, 2, -2, -2);
        const std::set<QRgb> colours = ColoursIn(image, inner);
        for (const QRgb colour : c.present) {
            EXPECT_TRUE(colours.contains(colour)) << std::hex << colour;
        }
        for (const QRgb colour : c.absent) {
            EXPECT_FALSE(colours.contains(colour)) << std::hex << colour;
        }
        if (c.topRow != 0) {
            const QRect ink = Ink(image, inner, Rgb(Face));
            ASSERT_FALSE(ink.isEmpty());
            const QRect top(ink.left(), ink.top(), ink.width(), 1);
            const QRect bottom(ink.left(), ink.bottom(), ink.width(), 1);
            const auto inkColours = [&](const QRect& row) {
                std::set<QRgb> found = ColoursIn(image, row);
                found.erase(Rgb(Face));
                return found;
            };
            EXPECT_EQ(inkColours(top), std::set<QRgb>{c.topRow});
            EXPECT_EQ(inkColours(bottom), std::set<QRgb>{c.bottomRow});
        }
        delete &b;
    }
}

} // namespace

namespace {

// A caption with a second, equal length variant (U+009C between them) is drawn by QPainter::drawText
// itself: what the kept layout draws must look the same.
TEST_F(ButtonPaint, ACaptionKeptLaidOutIsDrawnAsQPainterDrawsIt)
{
    const std::tuple<const char*, int, bool, bool> cases[] = {
        // caption, font points, enabled, latched
        {"7", 14, true, false},  {"Backspace", 9, true, false}, {"1/x", 10, false, false},
        {"+/-", 12, true, true}, {"WWWWWWWW", 12, true, false}, // wider than the key: clipped
    };
    for (const auto& [caption, points, enabled, latched] : cases) {
        SCOPED_TRACE(caption);
        QImage images[2];
        for (int drawnByQPainter = 0; drawnByQPainter < 2; ++drawnByQPainter) {
            const QString text = QString::fromLatin1(caption);
            auto& b = Keypad(QRect(20, 20, 38, 30), drawnByQPainter ? text + QChar(0x9c) + text : text);
            QFont font(QStringLiteral("Arial"), points);
            font.setBold(true);
            b.setFont(font);
            b.setEnabled(enabled);
            b.SetGroupIndex(latched ? 1 : 0);
            b.SetDown(latched);
            images[drawnByQPainter] = Grab(b);
        }
        EXPECT_EQ(images[0], images[1]);
    }
}

} // namespace
