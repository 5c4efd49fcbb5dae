// The tape's line store and its view: lines kept exactly and compactly, the last line kept in
// view, whole-line selection by mouse and keys, and the right-aligned column.

#include "ui/TapeView.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

int RowHeight(const ui::TapeView& view)
{
    return static_cast<int>(std::ceil(QFontMetricsF(view.font()).height()));
}

TEST(TapeModel, KeepsLinesExactlyUntilCleared)
{
    ui::TapeModel tape = {"12  ", "", "3 +", std::string(26, '-'), "\xe9 x"};
    EXPECT_EQ(tape.Lines(), (std::vector<std::string>{"12  ", "", "3 +", std::string(26, '-'), "\xe9 x"}));
    tape.Clear();
    EXPECT_TRUE(tape.Empty());
    EXPECT_LT(tape.MemoryUse(), 64u); // the memory is given back
    tape.Append("after");
    EXPECT_EQ(tape.Lines(), std::vector<std::string>{"after"});
}

TEST(TapeModel, JoinsAnyRangeOfItsLinesWithOneSeparatorEach)
{
    const ui::TapeModel tape = {"ab", "", "cde"}; // "ab\n\ncde"
    EXPECT_EQ(tape.JoinedSize(), 7u);
    const std::tuple<std::size_t, std::size_t, const char*, std::size_t> cases[] = {
        // start, end, the text, the line holding start
        {0, 7, "ab\n\ncde", 0}, {1, 4, "b\n\n", 0}, {2, 3, "\n", 0}, {3, 4, "\n", 1},
        {4, 7, "cde", 2},       {5, 99, "de", 2},   {6, 6, "", 2},
    };
    for (const auto& [start, end, text, line] : cases) {
        EXPECT_EQ(tape.Joined(start, end, '\n'), text) << start << ".." << end;
        EXPECT_EQ(tape.LineAtJoined(start), line) << start;
    }
    EXPECT_EQ(ui::TapeModel().JoinedSize(), 0u);
}

TEST(TapeModel, CopiesAnyRunOfItsLinesWithTheSeparatorBetweenThem)
{
    const ui::TapeModel tape = {"ab", "", "cde", "f"};
    const std::tuple<std::size_t, std::size_t, const char*> cases[] = {
        {0, 3, "ab\r\n\r\ncde\r\nf"}, {1, 2, "\r\ncde"}, {2, 2, "cde"}, {1, 1, ""}, {3, 3, "f"}};
    for (const auto& [first, last, text] : cases) {
        std::string copied(tape.TextSize(first, last, 2), '?');
        EXPECT_EQ(tape.CopyText(first, last, "\r\n", copied.data()), copied.data() + copied.size());
        EXPECT_EQ(copied, text) << first << ".." << last;
    }
}

TEST(TapeModel, AMillionLinesTakeLessThanAHundredBytesEach)
{
    ui::TapeModel tape;
    constexpr std::size_t count = 1000000;
    for (std::size_t i = 0; i < count; ++i)
        tape.Append(i % 4 == 3 ? std::string_view("-123,456,789,012.5 =") : std::string_view("1,234.56 +"));
    EXPECT_EQ(tape.Count(), count);
    EXPECT_EQ(tape.Line(count - 1), "-123,456,789,012.5 =");
    EXPECT_LE(tape.MemoryUse() / count, 100u);
}

class TapeViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setGeometry(0, 0, 226, 233);
        QFont f(QStringLiteral("Courier New"));
        f.setPixelSize(11);
        view.setFont(f);
        view.show();
    }
    // The middle of the visible row `row`.
    QPoint Row(int row) const { return QPoint(50, 4 + row * RowHeight(view) + 3); }
    void Fill(int lines)
    {
        for (int i = 0; i < lines; ++i)
            view.Append(std::to_string(i) + " +");
    }
    ui::TapeView view;
};

TEST_F(TapeViewTest, TheLastLineStaysInViewThroughAppendsResizesAndClear)
{
    Fill(1000);
    const int page = view.RowsPerPage();
    EXPECT_EQ(view.FirstVisibleLine(), 1000u - page);
    view.verticalScrollBar()->setValue(0); // the user scrolled up; a new line brings the end back
    view.Append("last");
    EXPECT_EQ(view.FirstVisibleLine(), 1001u - page);
    // Twice the size: more rows fit; the insertion point is brought back into view.
    view.resize(452, 466);
    view.verticalScrollBar()->setValue(0);
    view.ShowInsertionPoint();
    EXPECT_GT(view.RowsPerPage(), page);
    EXPECT_EQ(view.FirstVisibleLine() + view.RowsPerPage(), 1001u);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 1001 - view.RowsPerPage());
    view.Clear();
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(view.SelectedText(), QString());
}

TEST_F(TapeViewTest, WholeLinesAreSelectedByMouseAndKeys)
{
    Fill(3); // "0 +", "1 +", "2 +" on rows 0 to 2
    struct Step
    {
        const char* what;
        std::function<void()> act;
        const char* selected;
    };
    QWidget* vp = view.viewport();
    const Step steps[] = {
        {"click", [&] { QTest::mouseClick(vp, Qt::LeftButton, {}, Row(1)); }, "1 +"},
        {"shift+click", [&] { QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, Row(2)); },
         "1 +\r\n2 +"},
        {"drag",
         [&] {
             QTest::mousePress(vp, Qt::LeftButton, {}, Row(2));
             QMouseEvent move(QEvent::MouseMove, Row(0), vp->mapToGlobal(Row(0)), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(vp, &move);
             QTest::mouseRelease(vp, Qt::LeftButton, {}, Row(0));
         },
         "0 +\r\n1 +\r\n2 +"},
        {"below the last line", [&] { QTest::mouseClick(vp, Qt::LeftButton, {}, Row(8)); }, "2 +"},
        {"shift+up", [&] { QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier); }, "1 +\r\n2 +"},
        {"home", [&] { QTest::keyClick(&view, Qt::Key_Home); }, "0 +"},
        {"select all", [&] { view.SelectAll(); }, "0 +\r\n1 +\r\n2 +"},
        {"append", [&] { view.Append("3 +"); }, ""},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(view.SelectedText(), QString::fromLatin1(s.selected)) << s.what;
    }
    QTest::mouseClick(vp, Qt::LeftButton, {}, Row(0));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0 +"));
}

// The leftmost column with ink in each visible row.
std::vector<int> LeftInk(ui::TapeView& view, int rows)
{
    const QImage image = view.viewport()->grab().toImage();
    const int h = RowHeight(view);
    const QRgb back = view.palette().color(QPalette::Base).rgb();
    std::vector<int> left;
    for (int r = 0; r < rows; ++r) {
        int x = image.width();
        for (int y = 4 + r * h; y < 4 + (r + 1) * h; ++y)
            for (int c = 0; c < image.width(); ++c)
                if (image.pixel(c, y) != back && c < x)
                    x = c;
        left.push_back(x);
    }
    return left;
}

TEST_F(TapeViewTest, ValuesEndInOneColumnAndLongLinesStayWhole)
{
    view.Append("5  ");
    view.Append("5 +");
    view.Append(std::string(60, '8')); // twice as wide as the tape
    const std::vector<int> left = LeftInk(view, 3);
    EXPECT_EQ(left[0], left[1]); // the trailing blanks count like the mark
    EXPECT_GT(left[0], view.viewport()->width() / 2);
    EXPECT_GE(left[2], 4); // narrowed into the row, from the left margin
    EXPECT_LE(left[2], 6);
}

// Each visible row as QPainter::drawText draws its text, right-aligned, over the tape's background.
QImage DrawnByText(const ui::TapeView& view)
{
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(view.palette().color(QPalette::Base));
    QPainter p(&image);
    p.setFont(view.font());
    p.setPen(view.palette().color(QPalette::Text));
    const QFontMetrics m(view.font());
    const int h = RowHeight(view);
    for (std::size_t i = view.FirstVisibleLine(); i < view.Lines().Count(); ++i) {
        const int top = 4 + static_cast<int>(i - view.FirstVisibleLine()) * h;
        if (top >= image.height())
            break;
        const std::string_view line = view.Lines().Line(i);
        const QString text = QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
        p.drawText(image.width() - 4 - m.horizontalAdvance(text), top + m.ascent(), text);
    }
    return image;
}

TEST_F(TapeViewTest, RowsKeptShapedAreDrawnAsTheirTextIsDrawn)
{
    view.setFocusPolicy(Qt::NoFocus); // no frame around the insertion point's line
    view.clearFocus();
    const std::function<void()> steps[] = {
        [&] { Fill(40); },
        [&] { view.Append("1,234,567.89 ="); },
        [&] {
            view.SetLines({"9  ", "8 +", std::string(26, '-'), "17 ="});
        }, // other texts on the same rows
        [&] {
            QFont f = view.font();
            f.setPixelSize(12); // the separator still fits
            view.setFont(f);
        },
        [&] { view.Clear(); },
    };
    for (std::size_t step = 0; step < std::size(steps); ++step) {
        steps[step]();
        QApplication::processEvents();
        EXPECT_EQ(view.viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32),
                  DrawnByText(view).convertToFormat(QImage::Format_ARGB32))
            << "step " << step;
    }
}

// Events the tape receives.
struct EventCount : QObject
{
    explicit EventCount(QEvent::Type counted) : type(counted) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == type ? 1 : 0;
        return false;
    }
    QEvent::Type type;
    int count = 0;
};

TEST_F(TapeViewTest, LinesAppendedBeforeTheEventsRunLeaveNoEventPerLine)
{
    EventCount calls(QEvent::MetaCall);
    view.installEventFilter(&calls);
    Fill(10000);
    QApplication::processEvents();
    EXPECT_LT(calls.count, 10);
    EXPECT_EQ(view.FirstVisibleLine(), 10000u - view.RowsPerPage());
}

TEST_F(TapeViewTest, TheScrollBarIsRepaintedWhenItsHandleChanges)
{
    const std::pair<int, bool> cases[] = {
        // lines before one more is appended, whether the scroll bar looks different then
        {3, false},                     // nothing to scroll before or after
        {view.RowsPerPage() + 3, true}, // the handle grows shorter
        {20000, false},                 // the handle stays at its least length, at the end
    };
    for (const auto& [lines, repainted] : cases) {
        view.Clear();
        Fill(lines);
        QApplication::processEvents();
        EventCount paints(QEvent::Paint);
        view.verticalScrollBar()->installEventFilter(&paints);
        view.Append("one more");
        QApplication::processEvents();
        EXPECT_EQ(paints.count > 0, repainted) << lines;
        view.verticalScrollBar()->removeEventFilter(&paints);
    }
}

} // namespace
