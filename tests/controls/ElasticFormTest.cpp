// The form scaler on small test forms (offscreen platform): construction, the first display, the
// rescale of bounds and fonts, the event handling driven with synthetic and real events,
// the stored placement in the per-user registry file (in a temporary folder), and damaged placements.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "TempRegistry.h"
#include "controls/ElastFrm.h"
#include "controls/ElasticMath.h"
#include "platform/Registry.h"

namespace {

using Kind = platform::WindowEvent::Kind;

constexpr char StoreKey[] = "Software\\Quorlane\\Test";
constexpr char FormKey[] = "Software\\Quorlane\\Test\\frmTest";
constexpr QSize DesignClient(502, 269);
constexpr QSize DesignOuter(510, 315);
constexpr QPoint DesignPosition(100, 120);

QFont Pixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

// Bounds and font a control had at design.
struct Design
{
    const char* name;
    QRect bounds;
    int pixels;
};

// The registered controls of the test form, in registration order.
const Design designControls[] = {
    {"btnBig", {8, 44, 80, 30}, 19},     // 14 pt
    {"btnSmall", {91, 44, 80, 30}, 12},  // 9 pt
    {"memTape", {268, 8, 226, 233}, 11}, // 8 pt
    {"edtInner", {10, 10, 100, 24}, 13}, // 10 pt, inside an unnamed panel
};

struct TestForm
{
    std::shared_ptr<controlstest::TempRegistry> store; // outlives the form, which may save as it goes
    std::unique_ptr<QWidget> widget;
    TElasticForm* elastic = nullptr;
    QWidget* panel = nullptr;  // unnamed, holds edtInner
    QLabel* unnamed = nullptr; // never moved
    int rescales = 0;

    QWidget* Child(const char* name) const { return widget->findChild<QWidget*>(QString::fromLatin1(name)); }
    QRect Outer() const { return platform::OuterGeometry(widget.get()); }
};

struct FormOptions
{
    bool maintainProportions = false;
    bool extraControl = false;
    QString iniFile = QString::fromLatin1(StoreKey);
    std::shared_ptr<controlstest::TempRegistry> store = std::make_shared<controlstest::TempRegistry>();
};

// A form like the calculator's window: client 502 x 269 in an outer 510 x 315.
std::unique_ptr<TestForm> MakeForm(const FormOptions& options = {})
{
    auto form = std::make_unique<TestForm>();
    form->store = options.store;
    form->widget = std::make_unique<QWidget>();
    QWidget* w = form->widget.get();
    w->setObjectName(QStringLiteral("frmTest"));
    w->setFont(Pixels(13));
    // setGeometry places the client area (move() would place a frame the offscreen platform invents).
    w->setGeometry(QRect(DesignPosition, DesignClient));

    form->panel = new QFrame(w);
    form->panel->setGeometry(8, 84, 246, 150);
    form->unnamed = new QLabel(QStringLiteral("unnamed"), w);
    form->unnamed->setGeometry(8, 240, 100, 20);
    for (const Design& d : designControls) {
        QWidget* c = nullptr;
        if (std::string_view(d.name) == "memTape")
            c = new QPlainTextEdit(w);
        else if (std::string_view(d.name) == "edtInner")
            c = new QLineEdit(form->panel);
        else
            c = new QPushButton(QString::fromLatin1(d.name), w);
        c->setObjectName(QString::fromLatin1(d.name));
        c->setGeometry(d.bounds);
        c->setFont(Pixels(d.pixels));
    }
    if (options.extraControl) {
        auto* extra = new QPushButton(QStringLiteral("extra"), w);
        extra->setObjectName(QStringLiteral("btnExtra"));
        extra->setGeometry(300, 245, 60, 20);
    }

    form->elastic = new TElasticForm(w);
    TElasticForm& e = *form->elastic;
    e.SetDesignFormSize(DesignOuter, DesignClient);
    e.Options().DesignFormLeft = DesignPosition.x();
    e.Options().DesignFormTop = DesignPosition.y();
    e.Options().MaintainProportions = options.maintainProportions;
    e.Options().ElFrmIniFile = options.iniFile;
    TestForm* raw = form.get();
    e.Options().OnAfterResize = [raw] { ++raw->rescales; };
    return form;
}

void Show(TestForm& form)
{
    form.widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.widget.get()));
}

void ShowActive(TestForm& form)
{
    Show(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.widget.get()));
    // The first position change after the activation marks the window activated.
    platform::SendWindowEvent(form.widget.get(), {.kind = Kind::GeometryChanging});
}

// Whether showing the form again rescales it: it does until the user has interacted with it.
bool ShowingAgainRescales(TestForm& form)
{
    const int before = form.rescales;
    form.widget->hide();
    form.widget->show();
    return form.rescales > before;
}

// Resizes the window by program to this outer size.
void ResizeOuter(TestForm& form, QSize outer)
{
    form.widget->resize(platform::FrameWidgetSizeForOuter(form.widget.get(), outer));
}

int RoundEven(double x)
{
    return static_cast<int>(std::nearbyint(x)); // the default rounding mode: halves to even
}

int HalfDown(double x)
{
    const double whole = std::trunc(x);
    return static_cast<int>(x - whole > 0.5 ? std::nearbyint(x) : whole);
}

int Points(const QWidget* w)
{
    return static_cast<int>(std::lround(w->font().pixelSize() * 72.0 / 96.0));
}

// The control's bounds in client coordinates of a plain form (no menu bar).
QRect Bounds(const QWidget* w)
{
    return w->geometry();
}

// ---- construction ----

TEST(ElasticForm, OwnerMustBeAForm)
{
    try {
        TElasticForm e(nullptr);
        FAIL() << "no exception";
    } catch (const EElasticForm& ex) {
        EXPECT_STREQ(ex.what(), "Owner of TElasticForm component must be a form");
    }
    QWidget window;
    auto* child = new QWidget(&window);
    EXPECT_THROW(TElasticForm{child}, EElasticForm);
    QObject plain;
    EXPECT_THROW(TElasticForm{&plain}, EElasticForm);
    EXPECT_TRUE(child->children().isEmpty()); // nothing left on the widget
}

TEST(ElasticForm, OnlyOneScalerPerForm)
{
    auto form = MakeForm();
    ShowActive(*form);
    try {
        new TElasticForm(form->widget.get());
        FAIL() << "no exception";
    } catch (const EElasticForm& ex) {
        EXPECT_STREQ(ex.what(), "A TElasticForm component already exists in frmTest");
    }
    EXPECT_EQ(form->widget->findChildren<TElasticForm*>().size(), 1);
    // The first one still scales the form; once it is deleted, nothing does.
    const int before = form->rescales;
    ResizeOuter(*form, DesignOuter + QSize(40, 20));
    EXPECT_EQ(form->rescales, before + 1);
    const QRect scaled = form->Child("btnBig")->geometry();
    delete form->elastic;
    ResizeOuter(*form, DesignOuter + QSize(80, 40));
    EXPECT_EQ(form->Child("btnBig")->geometry(), scaled);
}

TEST(ElasticForm, InitialValues)
{
    QWidget window;
    window.setFont(Pixels(13));
    window.resize(300, 200);
    TElasticForm e(&window);
    EXPECT_EQ(e.Options().MinimumTrackWidth, 0);
    EXPECT_EQ(e.Options().MaximumTrackHeight, 0);
    EXPECT_FALSE(e.Options().MaintainProportions);
    EXPECT_TRUE(e.Options().ElFrmIniFile.isEmpty());
    EXPECT_TRUE(e.Options().EFActiveControl.isEmpty());
    EXPECT_EQ(elastic::FontSize(e.Options().Font), 10);
    // No designer: the form as it is now stands for the design values.
    EXPECT_EQ(e.Options().DesignFormClientWidth, 300);
    EXPECT_EQ(e.Options().DesignFormClientHeight, 200);
}

// ---- the first display and the rescale ----

TEST(ElasticForm, FirstDisplayKeepsTheDesignBoundsAndFonts)
{
    auto form = MakeForm();
    Show(*form);
    const TElasticForm& e = *form->elastic;
    EXPECT_EQ(form->Outer(), QRect(DesignPosition, DesignOuter));
    EXPECT_EQ(platform::ClientSize(form->widget.get()), DesignClient);
    EXPECT_EQ(elastic::FontSize(e.Options().Font), 10);
    EXPECT_EQ(form->widget->font().pixelSize(), 13);
    for (const Design& d : designControls) {
        QWidget* c = form->Child(d.name);
        EXPECT_EQ(Bounds(c), d.bounds) << d.name;
        EXPECT_EQ(c->font().pixelSize(), d.pixels) << d.name;
    }
    EXPECT_GE(form->rescales, 1);
}

TEST(ElasticForm, ResizingScalesEveryControlAndFontInProportion)
{
    auto form = MakeForm();
    ShowActive(*form);
    const QSize outer(711, 423); // client 703 x 377, about 1.4 times the design
    ResizeOuter(*form, outer);
    ASSERT_EQ(form->Outer().size(), outer);
    const QSize client = platform::ClientSize(form->widget.get());
    const double rx = client.width() / 502.0;
    const double ry = client.height() / 269.0;
    const double fontRatio = std::min(10.0 * outer.width() / 502, 10.0 * outer.height() / 269) / 10.0;
    EXPECT_EQ(elastic::FontSize(form->elastic->Options().Font), RoundEven(10 * fontRatio));
    EXPECT_EQ(form->widget->font().pixelSize(), RoundEven(RoundEven(10 * fontRatio) * 96.0 / 72.0));
    const QRect window(QPoint(0, 0), form->widget->size());
    for (const Design& d : designControls) {
        QWidget* c = form->Child(d.name);
        const QRect expected(RoundEven(d.bounds.left() * rx), RoundEven(d.bounds.top() * ry),
                             RoundEven(d.bounds.width() * rx), RoundEven(d.bounds.height() * ry));
        EXPECT_EQ(Bounds(c), expected) << d.name;
        const int designPoints = static_cast<int>(std::lround(d.pixels * 72.0 / 96.0));
        EXPECT_EQ(Points(c), HalfDown(fontRatio * designPoints)) << d.name;
        EXPECT_TRUE(window.contains(QRect(c->mapTo(form->widget.get(), QPoint(0, 0)), c->size()))) << d.name;
        EXPECT_TRUE(c->isVisible()) << d.name;
    }
    // Unnamed controls are never moved; the named one inside the unnamed panel was.
    EXPECT_EQ(form->unnamed->geometry(), QRect(8, 240, 100, 20));
    EXPECT_EQ(form->panel->geometry(), QRect(8, 84, 246, 150));
}

TEST(ElasticForm, ShrinkingKeepsControlsInsideTheWindow)
{
    auto form = MakeForm();
    ShowActive(*form);
    ResizeOuter(*form, QSize(300, 200));
    const QRect window(QPoint(0, 0), form->widget->size());
    for (const Design& d : designControls) {
        QWidget* c = form->Child(d.name);
        EXPECT_TRUE(window.contains(QRect(c->mapTo(form->widget.get(), QPoint(0, 0)), c->size()))) << d.name;
        EXPECT_LT(c->width(), d.bounds.width()) << d.name;
        EXPECT_GE(c->font().pixelSize(), 1) << d.name;
    }
}

// ---- the event handling ----

void Request(TestForm& form, Kind request)
{
    platform::SendWindowEvent(form.widget.get(), {.kind = request});
}

TEST(ElasticEvents, FourPixelsNoRescaleSixPixelsRescale)
{
    auto form = MakeForm();
    ShowActive(*form);
    const int before = form->rescales;
    ResizeOuter(*form, DesignOuter + QSize(4, 4));
    EXPECT_EQ(form->rescales, before);
    EXPECT_EQ(form->Child("btnBig")->geometry(), designControls[0].bounds);
    ResizeOuter(*form, DesignOuter + QSize(6, 0));
    EXPECT_EQ(form->rescales, before + 1);
    ResizeOuter(*form, DesignOuter + QSize(6, 6)); // 6 in height from the last rescale
    EXPECT_EQ(form->rescales, before + 2);
}

TEST(ElasticEvents, NothingDuringADragOneRescaleAtItsEnd)
{
    auto form = MakeForm();
    ShowActive(*form);
    QWidget* w = form->widget.get();
    const int before = form->rescales;
    const int saves = form->store->saves;
    platform::SendWindowEvent(w, {.kind = Kind::DragStarted});
    for (int step = 1; step <= 5; ++step) {
        platform::SendWindowEvent(w, {.kind = Kind::Dragging});
        ResizeOuter(*form, DesignOuter + QSize(20 * step, 10 * step));
    }
    EXPECT_EQ(form->rescales, before);
    EXPECT_EQ(form->store->saves, saves); // nothing is saved inside a drag
    EXPECT_EQ(form->Child("btnBig")->geometry(), designControls[0].bounds);
    platform::SendWindowEvent(w, {.kind = Kind::DragEnded});
    EXPECT_EQ(form->store->saves, saves + 1);
    EXPECT_EQ(form->rescales, before + 1);
    EXPECT_NE(form->Child("btnBig")->geometry(), designControls[0].bounds);
}

TEST(ElasticEvents, AMoveWithoutResizingOnlySaves)
{
    auto form = MakeForm();
    ShowActive(*form);
    QWidget* w = form->widget.get();
    const int before = form->rescales;
    const int saves = form->store->saves;
    platform::SendWindowEvent(w, {.kind = Kind::DragStarted});
    w->move(w->pos() + QPoint(30, 20));
    platform::SendWindowEvent(w, {.kind = Kind::DragEnded});
    EXPECT_EQ(form->rescales, before);
    EXPECT_GT(form->store->saves, saves);
}

TEST(ElasticEvents, ResizeStepsStoreThePlacementOnceWhenTheyPause)
{
    auto form = MakeForm();
    ShowActive(*form);
    const int saves = form->store->saves;
    for (int step = 1; step <= 5; ++step)
        ResizeOuter(*form, QSize(520 + 20 * step, 330 + 12 * step));
    EXPECT_EQ(form->store->saves, saves); // not one file replacement per step
    QTRY_COMPARE(form->store->saves, saves + 1);
    QTest::qWait(400);
    EXPECT_EQ(form->store->saves, saves + 1);
}

TEST(ElasticEvents, AUserDragEndsAfterTheQuietInterval)
{
    auto form = MakeForm();
    QWidget* w = form->widget.get();
    ShowActive(*form);
    const int before = form->rescales;
    // Spontaneous resizes, as the window system reports a frame drag.
    w->windowHandle()->resize(w->size() + QSize(40, 20));
    QCoreApplication::processEvents();
    w->windowHandle()->resize(w->size() + QSize(40, 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->rescales, before);
    QTRY_COMPARE(form->rescales, before + 1);
    const double rx = platform::ClientSize(w).width() / 502.0;
    EXPECT_EQ(form->Child("memTape")->x(), RoundEven(268 * rx));
}

TEST(ElasticEvents, SuspendedScalingPassesEverythingAndSavesNothing)
{
    auto form = MakeForm();
    ShowActive(*form);
    const int before = form->rescales;
    const int saves = form->store->saves;
    form->elastic->SuspendScaling();
    ResizeOuter(*form, DesignOuter + QSize(100, 60));
    Request(*form, Kind::CloseRequested);
    Request(*form, Kind::MinimizeRequested);
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::DragStarted});
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::Dragging});
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::DragEnded});
    EXPECT_EQ(form->rescales, before);
    EXPECT_EQ(form->store->saves, saves);
    EXPECT_EQ(form->Child("btnBig")->geometry(), designControls[0].bounds);
    form->elastic->ResumeScaling();
    EXPECT_EQ(form->rescales, before);                // resuming does not rescale by itself
    ResizeOuter(*form, DesignOuter + QSize(120, 70)); // and no drag was left open
    EXPECT_EQ(form->rescales, before + 1);
}

TEST(ElasticEvents, StoredMaximizedStateReopensMaximizedWithoutReadingThePosition)
{
    auto store = std::make_shared<controlstest::TempRegistry>();
    store->Set(FormKey, "Total Controls", std::int32_t{4});
    store->Set(FormKey, "Window State", std::int32_t{2});
    store->Set(FormKey, "Left", 0.5);
    store->Set(FormKey, "Top", 0.5);
    store->Set(FormKey, "Width", 0.1);
    store->Set(FormKey, "Height", 0.1);
    const QRect normal(150, 130, 560, 350);
    platform::TWindowPlacement wp;
    wp.showCmd = platform::SW_SHOWMAXIMIZED;
    wp.normLeft = normal.left();
    wp.normTop = normal.top();
    wp.normRight = normal.left() + normal.width();
    wp.normBottom = normal.top() + normal.height();
    for (const auto& [name, field] : elastic::PlacementValues)
        store->Set(FormKey, name, wp.*field);
    FormOptions options;
    options.store = store;
    auto form = MakeForm(options);
    ShowActive(*form);
    EXPECT_TRUE(form->widget->isMaximized());
    for (const Design& d : designControls)
        EXPECT_TRUE(form->Child(d.name)->isVisible()) << d.name;
    form->widget->showNormal();
    QTest::qWait(10);
    EXPECT_FALSE(form->widget->isMaximized());
    EXPECT_EQ(form->Outer(), normal);
}

TEST(ElasticEvents, MinimizingStoresTheActiveControlsName)
{
    auto form = MakeForm();
    ShowActive(*form);
    form->Child("btnSmall")->setFocus();
    const int saves = form->store->saves;
    Request(*form, Kind::MinimizeRequested);
    EXPECT_EQ(form->elastic->Options().EFActiveControl, QStringLiteral("btnSmall"));
    EXPECT_EQ(form->store->saves, saves + 1);
    // The control gets the focus back after the next rescale when the form has no active control.
    form->widget->focusWidget()->clearFocus();
    ASSERT_EQ(form->widget->focusWidget(), nullptr);
    ResizeOuter(*form, DesignOuter + QSize(30, 30));
    EXPECT_EQ(form->widget->focusWidget(), form->Child("btnSmall"));
}

TEST(ElasticEvents, RequestsAndTheInteractedMark)
{
    for (const Kind mark : {Kind::PointerMoved, Kind::CloseRequested, Kind::MinimizeRequested}) {
        auto form = MakeForm();
        ShowActive(*form);
        platform::SendWindowEvent(form->widget.get(), {.kind = mark});
        EXPECT_FALSE(ShowingAgainRescales(*form)) << static_cast<int>(mark);
    }
    auto form = MakeForm();
    ShowActive(*form);
    Request(*form, Kind::MaximizeRequested);
    EXPECT_FALSE(form->Child("btnBig")->isVisible());
    ResizeOuter(*form, DesignOuter + QSize(40, 20)); // the next size shows them again
    EXPECT_TRUE(form->Child("btnBig")->isVisible());
}

TEST(ElasticEvents, PointerMovementMarksTheUserAsInteracting)
{
    auto form = MakeForm();
    ShowActive(*form);
    QTest::mouseMove(form->Child("btnBig"), QPoint(5, 5));
    QTest::mouseMove(form->Child("btnBig"), QPoint(9, 7));
    EXPECT_FALSE(ShowingAgainRescales(*form));
}

TEST(ElasticEvents, ShowingAgainRescalesOnlyUntilTheUserInteracted)
{
    auto form = MakeForm();
    ShowActive(*form);
    EXPECT_TRUE(ShowingAgainRescales(*form));
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::PointerMoved});
    EXPECT_FALSE(ShowingAgainRescales(*form));
}

TEST(ElasticEvents, KeepProportionsAfterADrag)
{
    FormOptions options;
    options.maintainProportions = true;
    auto form = MakeForm(options);
    ShowActive(*form);
    QWidget* w = form->widget.get();
    platform::SendWindowEvent(w, {.kind = Kind::DragStarted});
    platform::SendWindowEvent(w, {.kind = Kind::Dragging});
    ResizeOuter(*form, QSize(610, 330));
    platform::SendWindowEvent(w, {.kind = Kind::DragEnded});
    EXPECT_EQ(form->Outer().size(), QSize(610, 377));
}

TEST(ElasticEvents, KeepProportionsAfterAUsersDrag)
{
    FormOptions options;
    options.maintainProportions = true;
    auto form = MakeForm(options);
    QWidget* w = form->widget.get();
    ShowActive(*form);
    // The window system reports the drag with the window at its new size already: the proportions
    // are those from before it.
    w->windowHandle()->resize(platform::FrameWidgetSizeForOuter(w, QSize(610, 330)));
    QCoreApplication::processEvents();
    QTRY_COMPARE(form->Outer().size(), QSize(610, 377));
}

TEST(ElasticEvents, MaintainedProportionsLimitTheTrackSize)
{
    FormOptions options;
    options.maintainProportions = true;
    auto form = MakeForm(options);
    Show(*form);
    const QSize screen = platform::AvailableGeometry(form->widget.get()).size();
    const std::optional<QSize> expected = elastic::ComputeMaxTrackSize(DesignOuter, screen);
    ASSERT_TRUE(expected);
    EXPECT_EQ(form->elastic->Options().MaximumTrackWidth, expected->width());
    EXPECT_EQ(form->elastic->Options().MaximumTrackHeight, expected->height());
    // The track limit is the window's maximum size (outer minus the 8 x 46 frame).
    EXPECT_EQ(form->widget->maximumSize(), *expected - QSize(8, 46));
}

TEST(ElasticEvents, TrackLimitsBecomeTheWindowsMinimumAndMaximumSize)
{
    auto form = MakeForm();
    ShowActive(*form);
    QWidget* w = form->widget.get();
    form->elastic->SetTrackLimits(QSize(400, 250), QSize(-75, 600)); // -75: 75 % of the screen width
    const QSize screen = platform::AvailableGeometry(w).size();
    EXPECT_EQ(w->minimumSize(), QSize(392, 204));
    EXPECT_EQ(w->maximumSize(), QSize(RoundEven(screen.width() * 0.75) - 8, 554));
    ResizeOuter(*form, QSize(200, 100));
    EXPECT_EQ(form->Outer().size(), QSize(400, 250));
    // While suspended a change waits for ResumeScaling.
    form->elastic->SuspendScaling();
    form->elastic->SetTrackLimits(QSize(450, 250), QSize(-75, 600));
    EXPECT_EQ(w->minimumWidth(), 392);
    form->elastic->ResumeScaling();
    EXPECT_EQ(w->minimumWidth(), 442);
    form->elastic->SetTrackLimits(QSize(0, 0), QSize(-75, 600));
    EXPECT_EQ(w->minimumSize(), QSize(0, 0));
}

TEST(ElasticEvents, DisplayChangeScalesTheWindow)
{
    auto form = MakeForm();
    ShowActive(*form);
    const QSize screen = platform::AvailableGeometry(form->widget.get()).size();
    const QRect before = form->Outer();
    const int rescales = form->rescales;
    platform::WindowEvent change;
    change.kind = Kind::DisplayChanged;
    change.screenSize = QSize(screen.width() * 5 / 4, screen.height() * 5 / 4);
    platform::SendWindowEvent(form->widget.get(), change);
    const QRect after = form->Outer();
    EXPECT_EQ(after.size(), QSize(RoundEven(before.width() * 1.25), RoundEven(before.height() * 1.25)));
    EXPECT_GT(form->rescales, rescales);
    // The next change scales from the screen the last one reported.
    const QSize larger = change.screenSize;
    change.screenSize = screen;
    platform::SendWindowEvent(form->widget.get(), change);
    EXPECT_EQ(form->Outer().size(),
              QSize(RoundEven(after.width() * double(screen.width()) / larger.width()),
                    RoundEven(after.height() * double(screen.height()) / larger.height())));
}

// ---- the stored placement ----

using Value = controlstest::TempRegistry::Value;

// A valid stored placement for the test form, in screen fractions.
void StorePlacement(controlstest::TempRegistry& store, int controls, QRectF fractions)
{
    store.Set(FormKey, "Total Controls", std::int32_t{controls});
    store.Set(FormKey, "Window State", std::int32_t{0});
    store.Set(FormKey, "Left", fractions.left());
    store.Set(FormKey, "Top", fractions.top());
    store.Set(FormKey, "Width", fractions.width());
    store.Set(FormKey, "Height", fractions.height());
    store.Set(FormKey, "MaxTrackWidth", std::int32_t{0});
    store.Set(FormKey, "MaxTrackHeight", std::int32_t{0});
    for (int i = 0; i < controls; ++i)
        store.Set(FormKey, elastic::VisibleValue(i), std::string("1"));
}

TEST(ElasticPlacementStore, SavesEveryValue)
{
    auto form = MakeForm();
    ShowActive(*form);
    ResizeOuter(*form, QSize(600, 380));
    QTRY_VERIFY(!form->store->ValueNames(FormKey).empty()); // stored once the resizing paused
    std::vector<std::string> expected = {
        "Total Controls",
        "Window State",
        "Left",
        "Top",
        "Width",
        "Height",
        "MaxTrackWidth",
        "MaxTrackHeight",
        "Visible 0",
        "Visible 1",
        "Visible 2",
        "Visible 3",
        "wp length ",
        "wp flags",
        "wp showCmd",
        "wp MinPosX",
        "wp MinPosY",
        "wp MaxPosX",
        "wp MaxPosY",
        "wp NormPosLeft",
        "wp NormPosTop",
        "wp NormPosRight",
        "wp NormPosBottom",
    };
    std::vector<std::string> names = form->store->ValueNames(FormKey);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    const QSize screen = platform::AvailableGeometry(form->widget.get()).size();
    const QRect outer = form->Outer();
    auto value = [&](const char* name) { return form->store->Get(FormKey, name); };
    EXPECT_EQ(value("Total Controls"), Value(std::int32_t{4}));
    EXPECT_EQ(value("Window State"), Value(std::int32_t{0}));
    EXPECT_EQ(value("Left"), Value(static_cast<double>(outer.left()) / screen.width()));
    EXPECT_EQ(value("Top"), Value(static_cast<double>(outer.top()) / screen.height()));
    EXPECT_EQ(value("Width"), Value(600.0 / screen.width()));
    EXPECT_EQ(value("Height"), Value(380.0 / screen.height()));
    EXPECT_EQ(value("Visible 2"), Value(std::string("1")));
    EXPECT_EQ(value("wp length "), Value(std::int32_t{44}));
    EXPECT_EQ(value("wp showCmd"), Value(std::int32_t{1}));
    EXPECT_EQ(value("wp NormPosLeft"), Value(std::int32_t{outer.left()}));
    EXPECT_EQ(value("wp NormPosRight"), Value(std::int32_t{outer.left() + 600}));
    EXPECT_EQ(value("wp NormPosBottom"), Value(std::int32_t{outer.top() + 380}));
}

TEST(ElasticPlacementStore, AStoredPlacementIsReadBack)
{
    FormOptions options;
    StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.75, 0.5));
    auto form = MakeForm(options);
    Show(*form);
    const QSize screen = platform::AvailableGeometry(form->widget.get()).size();
    const QRect expected(RoundEven(screen.width() * 0.25), RoundEven(screen.height() * 0.125),
                         RoundEven(screen.width() * 0.75), RoundEven(screen.height() * 0.5));
    EXPECT_EQ(form->Outer(), expected);
    // The controls follow the stored size.
    const double rx = platform::ClientSize(form->widget.get()).width() / 502.0;
    EXPECT_EQ(form->Child("memTape")->x(), RoundEven(268 * rx));
}

TEST(ElasticPlacementStore, AChangedControlCountIgnoresThePlacement)
{
    FormOptions options;
    options.extraControl = true;
    StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.75, 0.5));
    options.store->Set(FormKey, "Visible 0", std::string("0"));
    auto form = MakeForm(options);
    Show(*form);
    EXPECT_EQ(form->Outer(), QRect(DesignPosition, DesignOuter));
    EXPECT_TRUE(form->Child("btnBig")->isVisible());
}

TEST(ElasticPlacementStore, AStoredVisibleFlagHidesItsControl)
{
    FormOptions options;
    StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.75, 0.5));
    options.store->Set(FormKey, "Visible 3", std::string("0"));
    auto form = MakeForm(options);
    Show(*form);
    EXPECT_FALSE(form->Child("edtInner")->isVisible());
    EXPECT_TRUE(form->Child("memTape")->isVisible());
    ResizeOuter(*form, QSize(600, 380));
    EXPECT_FALSE(form->Child("edtInner")->isVisible());
}

TEST(ElasticPlacementStore, NothingIsStoredWithoutAKey)
{
    FormOptions options;
    options.iniFile.clear();
    StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.75, 0.5));
    auto form = MakeForm(options);
    ShowActive(*form);
    EXPECT_EQ(form->Outer(), QRect(DesignPosition, DesignOuter));
    ResizeOuter(*form, QSize(600, 380));
    form->elastic->SaveFormState();
    EXPECT_EQ(options.store->saves, 0);
}

TEST(ElasticPlacementStore, AnInvalidKeyPathCannotBeWritten)
{
    FormOptions options;
    options.iniFile = QStringLiteral("Software\\\\Broken");
    auto form = MakeForm(options);
    ShowActive(*form);
    EXPECT_THROW(form->elastic->SaveFormState(), platform::ERegistryException);
}

TEST(ElasticPlacementStore, SavingBeforeTheFirstDisplayKeepsTheStoredPlacement)
{
    FormOptions options;
    StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.75, 0.5));
    auto form = MakeForm(options);
    form->elastic->SaveFormState();
    EXPECT_EQ(options.store->saves, 0);
    EXPECT_EQ(options.store->Get(FormKey, "Width"), Value(0.75));
}

TEST(ElasticPlacementStore, AnIntegerStoredAsTextStaysText)
{
    FormOptions options;
    options.store->Set(FormKey, "Total Controls", std::string("4"));
    options.store->Set(FormKey, "Window State", std::string("0"));
    auto form = MakeForm(options);
    ShowActive(*form);
    form->elastic->SaveFormState();
    EXPECT_EQ(options.store->Get(FormKey, "Total Controls"), Value(std::string("4")));
    EXPECT_EQ(options.store->Get(FormKey, "MaxTrackWidth"), Value(std::int32_t{0}));
}

TEST(ElasticPlacementStore, SavingWhileTheControlsAreHiddenKeepsTheirVisibility)
{
    auto form = MakeForm();
    ShowActive(*form);
    Request(*form, Kind::MaximizeRequested); // hides the controls until the next size
    ASSERT_FALSE(form->Child("btnBig")->isVisible());
    form->elastic->SaveFormState();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form->store->Get(FormKey, elastic::VisibleValue(i)), Value(std::string("1"))) << i;
}

// Damaged placements: whatever is stored, the window opens visible, at a usable size, on the screen.
struct DamagedCase
{
    const char* what;
    std::function<void(controlstest::TempRegistry&)> damage;
};

TEST(ElasticPlacementStore, ADamagedPlacementNeverMakesTheWindowUnusable)
{
    const double nan = std::nan("");
    auto set = [](const char* name, Value value) {
        return [name, value](controlstest::TempRegistry& s) { s.Set(FormKey, name, value); };
    };
    const DamagedCase cases[] = {
        {"negative width", set("Width", -0.5)},
        {"zero height", set("Height", 0.0)},
        {"gigantic size",
         [](auto& s) {
             s.Set(FormKey, "Width", 1e12);
             s.Set(FormKey, "Height", 3e9);
         }},
        {"tiny size",
         [](auto& s) {
             s.Set(FormKey, "Width", 0.0001);
             s.Set(FormKey, "Height", 0.0001);
         }},
        {"not a number",
         [nan](auto& s) {
             s.Set(FormKey, "Width", nan);
             s.Set(FormKey, "Left", nan);
         }},
        {"far right", set("Left", 5.0)},
        {"far left and up",
         [](auto& s) {
             s.Set(FormKey, "Left", -3.0);
             s.Set(FormKey, "Top", -1e300);
         }},
        {"text instead of numbers",
         [](auto& s) {
             s.Set(FormKey, "Width", std::string("wide"));
             s.Set(FormKey, "Left", std::string("x"));
         }},
        {"integer instead of double", set("Height", std::int32_t{400})},
        {"short binary", set("Top", std::vector<std::uint8_t>{1, 2, 3})},
        {"tiny track limit",
         [](auto& s) {
             s.Set(FormKey, "MaxTrackWidth", std::int32_t{3});
             s.Set(FormKey, "MaxTrackHeight", std::int32_t{-900});
         }},
        {"unknown window state", set("Window State", std::int32_t{7})},
        {"window state as words", set("Window State", std::string("maximized"))},
        {"visible flag as number", set("Visible 0", std::int32_t{0})},
        {"total controls as text", set("Total Controls", std::string("four"))},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.what);
        FormOptions options;
        StorePlacement(*options.store, 4, QRectF(0.25, 0.125, 0.5, 0.4));
        c.damage(*options.store);
        auto form = MakeForm(options);
        ShowActive(*form);
        QWidget* w = form->widget.get();
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isMaximized());
        const QRect outer = form->Outer();
        const QRect available = platform::AvailableGeometry(w);
        // On the screen: inside the available area, but for the few pixels a platform may move a
        // window to show the frame it draws.
        const QRect visible = outer & available;
        EXPECT_LE(outer.width(), available.width());
        EXPECT_LE(outer.height(), available.height());
        EXPECT_GE(visible.width(), outer.width() - 4) << outer.x() << "," << outer.y();
        EXPECT_GE(visible.height(), outer.height() - 4) << outer.x() << "," << outer.y();
        EXPECT_GE(outer.width(), DesignOuter.width() / 4);
        EXPECT_GE(outer.height(), DesignOuter.height() / 4);
        EXPECT_EQ(form->elastic->Options().MaximumTrackWidth, 0);
        // The window can still be resized to its design size.
        ResizeOuter(*form, DesignOuter);
        EXPECT_EQ(form->Outer().size(), DesignOuter);
    }
}

// ---- the per-user registry file ----

class ElasticRegistry : public ::testing::Test
{
protected:
    std::shared_ptr<controlstest::TempRegistry> stored_ = std::make_shared<controlstest::TempRegistry>();

    FormOptions Registry(bool extraControl = false) const
    {
        FormOptions options;
        options.store = stored_;
        options.extraControl = extraControl;
        return options;
    }
};

TEST_F(ElasticRegistry, PlacementWrittenToAndReadFromTheUserHive)
{
    QRect saved;
    {
        auto form = MakeForm(Registry());
        ShowActive(*form);
        platform::SetOuterGeometry(form->widget.get(), QRect(140, 90, 600, 380));
        saved = form->Outer();
        ASSERT_EQ(saved, QRect(140, 90, 600, 380));
        form->elastic->SaveFormState();
    }
    ASSERT_TRUE(std::filesystem::exists(platform::TRegistry::HiveFile()));
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(FormKey, false));
    EXPECT_EQ(reg.ReadInteger("Total Controls"), 4);
    EXPECT_TRUE(reg.ReadFloat("Left"));
    EXPECT_EQ(reg.ReadString("Visible 0"), "1");
    EXPECT_EQ(reg.ReadInteger("wp length "), 44);
    EXPECT_EQ(reg.ReadInteger("wp NormPosRight"), 740);
    reg.CloseKey();

    auto again = MakeForm(Registry());
    Show(*again);
    EXPECT_EQ(again->Outer(), saved);

    // A form that gained a control opens at its design bounds.
    auto grown = MakeForm(Registry(true));
    Show(*grown);
    EXPECT_EQ(grown->Outer(), QRect(DesignPosition, DesignOuter));
}

TEST_F(ElasticRegistry, ValuesOfTheWrongTypeReadAsMissing)
{
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(FormKey, true));
        reg.WriteInteger("Total Controls", 4);
        reg.WriteString("Window State", "0");
        reg.WriteString("Left", "far away");
        reg.WriteInteger("Top", 5);
        reg.WriteFloat("Width", -2.0);
        reg.WriteInteger("Height", 300);
        reg.WriteString("MaxTrackWidth", "12");
    }
    auto form = MakeForm(Registry());
    ShowActive(*form);
    // Left, Top and Width unusable: the position of the defaults 0.0 (the platform may keep a few
    // pixels for its frame), the design size.
    EXPECT_EQ(form->Outer().size(), DesignOuter);
    EXPECT_LE((form->Outer().topLeft() - platform::AvailableGeometry(form->widget.get()).topLeft())
                  .manhattanLength(),
              4);
    EXPECT_EQ(form->elastic->Options().MaximumTrackWidth, 0);
}

// ---- a main window: menu bar, central widget, status bar with a panel ----

TEST(ElasticMainWindow, MenuBarIsFrameStatusBarAndPanelScale)
{
    controlstest::TempRegistry store;
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMain"));
    window.setFont(Pixels(13));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* client = new QWidget;
    client->setObjectName(QStringLiteral("client"));
    window.setCentralWidget(client);
    auto* key = new QPushButton(QStringLiteral("7"), client);
    key->setObjectName(QStringLiteral("btn7"));
    key->setGeometry(56, 84, 38, 30);
    key->setFont(Pixels(19));
    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setFixedHeight(19);
    status->setSizeGripEnabled(false);
    auto* panel = new QLabel(QStringLiteral("Memory = 5"));
    panel->setObjectName(QStringLiteral("StatusBarPanel0"));
    panel->setFixedWidth(200);
    panel->setFont(Pixels(11));
    status->addWidget(panel);
    window.setStatusBar(status);
    platform::SetClientSize(&window, DesignClient);

    auto* e = new TElasticForm(&window);
    e->SetDesignFormSize(QSize(510, 315), QSize(502, 269));
    e->Options().DesignFormLeft = 100;
    e->Options().DesignFormTop = 100;
    e->Options().MaintainProportions = true;
    e->Options().ElFrmIniFile = QString::fromLatin1(StoreKey);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    platform::SendWindowEvent(&window, {.kind = Kind::GeometryChanging});

    const int menu = window.menuBar()->height();
    ASSERT_GT(menu, 0);
    EXPECT_EQ(platform::ClientOrigin(&window), QPoint(0, menu));
    EXPECT_EQ(platform::ClientSize(&window), DesignClient);
    EXPECT_EQ(platform::OuterGeometry(&window).size(), QSize(510, 315));
    constexpr char MainKey[] = "Software\\Quorlane\\Test\\frmMain";
    // Alignment order: the bottom-aligned status bar before the client-aligned central widget, the
    // key inside it last.
    status->hide();
    e->SaveFormState();
    status->show();
    EXPECT_EQ(store.Get(MainKey, "Total Controls"), Value(std::int32_t{3}));
    EXPECT_EQ(store.Get(MainKey, "Visible 0"), Value(std::string("0")));
    EXPECT_EQ(store.Get(MainKey, "Visible 1"), Value(std::string("1")));
    EXPECT_EQ(key->geometry(), QRect(56, 84, 38, 30));
    EXPECT_EQ(status->height(), 19);

    platform::SetOuterGeometry(&window, QRect(100, 100, 711, 423));
    QCoreApplication::processEvents();
    const QSize c = platform::ClientSize(&window);
    const double rx = c.width() / 502.0;
    const double ry = c.height() / 269.0;
    EXPECT_EQ(status->height(), RoundEven(19 * ry));
    EXPECT_EQ(panel->width(), RoundEven(200 * rx));
    EXPECT_EQ(key->geometry(),
              QRect(RoundEven(56 * rx), RoundEven(84 * ry), RoundEven(38 * rx), RoundEven(30 * ry)));
    const double fontRatio = 711.0 / 502.0; // the smaller of 711 / 502 and 423 / 269
    EXPECT_EQ(Points(key), HalfDown(14 * fontRatio));
    EXPECT_EQ(Points(panel), HalfDown(8 * fontRatio));
    // The status bar stays at the bottom of the client area, the central widget above it.
    EXPECT_EQ(status->geometry().bottom(), window.height() - 1);
    EXPECT_EQ(client->geometry().top(), menu);
    EXPECT_EQ(client->geometry().bottom() + 1, status->geometry().top());
}

TEST(ElasticPlacementStore, AWriteFailureReachesTheCallerButNotTheWindow)
{
    auto form = MakeForm();
    ShowActive(*form);
    // The file cannot be written, as on a full disk.
    int attempts = 0;
    const platform::files::ScopedIoHooks failing({.fsync = [&attempts](int) {
        ++attempts;
        errno = EIO;
        return -1;
    }});
    EXPECT_THROW(form->elastic->SaveFormState(), platform::ERegistryException);
    const int before = form->rescales;
    const int failed = attempts;
    ResizeOuter(*form, QSize(600, 380)); // a resize saves after a pause: the failure is absorbed
    EXPECT_EQ(form->Outer().size(), QSize(600, 380));
    EXPECT_EQ(form->rescales, before + 1);
    QTRY_COMPARE(attempts, failed + 1);
    ResizeOuter(*form, QSize(660, 410)); // and the window goes on scaling
    EXPECT_EQ(form->rescales, before + 2);
}

// ---- the window's own changes: UpdateControlBounds, ResetDesignSize ----

TEST(ElasticRebase, UpdateControlBoundsTakesThePresentStateAsBase)
{
    auto form = MakeForm();
    ShowActive(*form);
    ResizeOuter(*form, QSize(711, 423));
    const double rx = platform::ClientSize(form->widget.get()).width() / 502.0;
    const double ry = platform::ClientSize(form->widget.get()).height() / 269.0;
    QWidget* big = form->Child("btnBig");
    QWidget* tape = form->Child("memTape");
    form->elastic->SuspendScaling();
    big->setGeometry(40, 60, 150, 50);
    big->setFont(Pixels(16));
    tape->hide();
    form->elastic->UpdateControlBounds(big);
    form->elastic->UpdateControlBounds(tape);
    form->elastic->UpdateControlBounds(form->unnamed); // not registered: nothing
    form->elastic->ResumeScaling();

    // Back at the design size the control has its new bounds over the ratio they were set at, and
    // its new font (12 points) at the design's font ratio.
    ResizeOuter(*form, DesignOuter);
    EXPECT_EQ(big->geometry(),
              QRect(RoundEven(40 / rx), RoundEven(60 / ry), RoundEven(150 / rx), RoundEven(50 / ry)));
    EXPECT_EQ(Points(big), HalfDown(12 * 510.0 / 502.0));
    EXPECT_FALSE(tape->isVisible()); // the record says hidden: the rescale keeps it so
    form->elastic->SaveFormState();
    EXPECT_EQ(form->store->Get(FormKey, "Visible 2"), Value(std::string("0")));
}

TEST(ElasticRebase, UpdateControlBoundsOfTheFormTakesTheFontSize)
{
    auto form = MakeForm();
    ShowActive(*form);
    form->elastic->Options().Font = elastic::WithFontSize(form->elastic->Options().Font, 12);
    // The form's font follows the component's at the next event.
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::GeometryChanging});
    EXPECT_EQ(form->widget->font().pixelSize(), 16);
    form->elastic->UpdateControlBounds(form->widget.get());
    // The form's font scales from there.
    ResizeOuter(*form, QSize(711, 423));
    EXPECT_EQ(Points(form->widget.get()), RoundEven(12 * 711.0 / 502.0));
}

TEST(ElasticRebase, TheFormsTextColourFollowsTheDesktopsPalette)
{
    auto form = MakeForm();
    ShowActive(*form);
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    platform::SendWindowEvent(form->widget.get(), {.kind = Kind::GeometryChanging});
    ResizeOuter(*form, QSize(711, 423));
    const QColor text = form->widget->palette().color(QPalette::WindowText);
    QApplication::setPalette(saved);
    EXPECT_EQ(text, QColor(0xEE, 0xEE, 0xEE));
}

TEST(ElasticRebase, ResetDesignSizeMakesThePresentSizesTheDesign)
{
    auto form = MakeForm();
    ShowActive(*form);
    ResizeOuter(*form, QSize(711, 423));
    std::vector<QRect> present;
    for (const Design& d : designControls)
        present.push_back(form->Child(d.name)->geometry());
    form->elastic->ResetDesignSize();
    EXPECT_EQ(form->elastic->Options().DesignFormWidth, 711);
    EXPECT_EQ(form->elastic->Options().DesignFormHeight, 423);
    EXPECT_EQ(form->elastic->Options().DesignFormClientWidth, 703);
    EXPECT_EQ(form->elastic->Options().DesignFormClientHeight, 377);
    const int points = Points(form->widget.get());
    // The next rescale scales from there, the fonts too.
    ResizeOuter(*form, QSize(781, 423));
    const double rx = 773.0 / 703.0;
    for (std::size_t i = 0; i < present.size(); ++i) {
        const QRect& p = present[i];
        EXPECT_EQ(form->Child(designControls[i].name)->geometry(),
                  QRect(RoundEven(p.left() * rx), p.top(), RoundEven(p.width() * rx), p.height()))
            << designControls[i].name;
    }
    EXPECT_EQ(Points(form->widget.get()), RoundEven(points * std::min(781.0 / 703.0, 423.0 / 377.0)));
}

// The main window's Reset Size: back to the design bounds with scaling suspended, then re-based.
TEST(ElasticRebase, ResetSizeSequence)
{
    auto form = MakeForm();
    ShowActive(*form);
    ResizeOuter(*form, QSize(711, 423));
    TElasticForm& e = *form->elastic;
    const int before = form->rescales;
    e.SuspendScaling();
    ResizeOuter(*form, DesignOuter);
    e.UpdateControlBounds(form->widget.get());
    for (const Design& d : designControls) {
        QWidget* c = form->Child(d.name);
        c->setGeometry(d.bounds);
        c->setFont(Pixels(d.pixels));
        e.UpdateControlBounds(c);
    }
    e.ResetDesignSize();
    e.ResumeScaling();
    EXPECT_EQ(form->rescales, before);
    ResizeOuter(*form, QSize(610, 377));
    const double rx = 602.0 / 502.0;
    const double ry = 331.0 / 269.0;
    for (const Design& d : designControls) {
        const QRect expected(RoundEven(d.bounds.left() * rx), RoundEven(d.bounds.top() * ry),
                             RoundEven(d.bounds.width() * rx), RoundEven(d.bounds.height() * ry));
        EXPECT_EQ(form->Child(d.name)->geometry(), expected) << d.name;
    }
}

// ---- the tray's role comes first: it can keep an event from the scaler ----

TEST(ElasticEvents, TheTrayRoleSeesEventsFirstAndCanKeepThemFromTheScaler)
{
    auto form = MakeForm();
    ShowActive(*form);
    QWidget* w = form->widget.get();
    std::vector<Kind> seen;
    platform::TWindowEvents tray(w, platform::WindowRole::Tray, [&](platform::WindowEvent& e) {
        if (e.kind == Kind::CloseRequested || e.kind == Kind::MinimizeRequested ||
            e.kind == Kind::MaximizeRequested)
            seen.push_back(e.kind);
        return e.kind == Kind::CloseRequested; // close to the tray: the scaler never hears of it
    });
    const int saves = form->store->saves;
    Request(*form, Kind::CloseRequested);
    EXPECT_EQ(form->store->saves, saves);
    EXPECT_TRUE(ShowingAgainRescales(*form)); // the scaler did not take the close for interaction
    Request(*form, Kind::MinimizeRequested);
    EXPECT_EQ(form->store->saves, saves + 1);
    EXPECT_EQ(seen, (std::vector<Kind>{Kind::CloseRequested, Kind::MinimizeRequested}));
    // The scaler goes first; the tray's registration stays valid.
    delete form->elastic;
    Request(*form, Kind::MaximizeRequested);
    EXPECT_EQ(seen.size(), 3u);
}

} // namespace
