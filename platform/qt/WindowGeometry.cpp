#include "platform/qt/WindowGeometry.h"

#include "platform/qt/FrameExtents.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace platform {
namespace {

constexpr char DesignFrameProperty[] = "quorlane.designFrame";
constexpr char ExpectedFrameProperty[] = "quorlane.expectedFrame";
constexpr char ProgramGeometryProperty[] = "quorlane.programGeometry";
constexpr char RequestedGeometryProperty[] = "quorlane.requestedGeometry";
constexpr char PlacedWithoutFrameProperty[] = "quorlane.placedWithoutFrame";
constexpr int SmallestNormalExtent = 32;

// The frame's top-left relative to the widget's: what setGeometry must add to a frame position.
// Without a reported or expected frame the outer rectangle starts at the widget.
QPoint FrameOffset(const QWidget* form)
{
    if (HasReportedFrame(form))
        return form->geometry().topLeft() - form->pos();
    const std::optional<QMargins> expected = ExpectedFrame(form);
    return expected ? QPoint(expected->left(), expected->top()) : QPoint(0, 0);
}

QSize NonNegative(QSize size)
{
    return size.expandedTo(QSize(0, 0));
}

} // namespace

void SetDesignFrame(QWidget* form, QSize frame)
{
    form->setProperty(DesignFrameProperty, NonNegative(frame));
}

QSize DesignFrame(const QWidget* form)
{
    const QVariant v = form->property(DesignFrameProperty);
    return v.isValid() ? v.toSize() : QSize(0, 0);
}

void SetExpectedFrame(QWidget* form, QMargins frame)
{
    form->setProperty(ExpectedFrameProperty, QVariant::fromValue(frame));
}

std::optional<QMargins> ExpectedFrame(const QWidget* form)
{
    const QVariant v = form->property(ExpectedFrameProperty);
    if (!v.isValid())
        return std::nullopt;
    return v.value<QMargins>();
}

QWidget* MenuBar(const QWidget* form)
{
    if (const auto* main = qobject_cast<const QMainWindow*>(form))
        return main->menuWidget();
    return form->layout() != nullptr ? form->layout()->menuBar() : nullptr;
}

int MenuBarHeight(const QWidget* form)
{
    const QWidget* bar = MenuBar(form);
    if (bar == nullptr || !bar->isVisibleTo(form))
        return 0;
    if (const auto* menu = qobject_cast<const QMenuBar*>(bar); menu != nullptr && menu->isNativeMenuBar())
        return 0;
    // Before the form is shown the layout has not placed the bar yet: its hint is what it will get.
    return form->isVisible() ? bar->height() : bar->sizeHint().height();
}

QPoint ClientOrigin(const QWidget* form)
{
    return QPoint(0, MenuBarHeight(form));
}

QSize ClientSize(const QWidget* form)
{
    return NonNegative(form->size() - QSize(0, MenuBarHeight(form)));
}

void SetClientSize(QWidget* form, QSize client)
{
    ScopedGeometryChange guard(form);
    form->resize(NonNegative(client) + QSize(0, MenuBarHeight(form)));
}

bool HasReportedFrame(const QWidget* form)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return form->frameGeometry() != form->geometry();
}

QSize FrameExtent(const QWidget* form)
{
    if (HasReportedFrame(form))
        return NonNegative(form->frameGeometry().size() - ClientSize(form));
    if (const std::optional<QMargins> expected = ExpectedFrame(form)) {
        return NonNegative(QSize(expected->left() + expected->right(),
                                 expected->top() + expected->bottom() + MenuBarHeight(form)));
    }
    return DesignFrame(form);
}

QRect OuterGeometry(const QWidget* form)
{
    return QRect(form->geometry().topLeft() - FrameOffset(form), ClientSize(form) + FrameExtent(form));
}

QSize Decoration(const QWidget* form)
{
    return FrameExtent(form) - QSize(0, MenuBarHeight(form));
}

QSize FrameWidgetSizeForOuter(const QWidget* form, QSize outer)
{
    return NonNegative(outer - Decoration(form));
}

void SetOuterGeometry(QWidget* form, const QRect& outer)
{
    ScopedGeometryChange guard(form);
    form->setGeometry(
        QRect(outer.topLeft() + FrameOffset(form), FrameWidgetSizeForOuter(form, outer.size())));
    form->setProperty(RequestedGeometryProperty, form->geometry());
    const bool frameKnown = HasReportedFrame(form) || ExpectedFrame(form);
    form->setProperty(PlacedWithoutFrameProperty, frameKnown ? QVariant() : QVariant(outer));
}

bool PlacedWithoutFrame(const QWidget* form)
{
    return form->property(PlacedWithoutFrameProperty).isValid();
}

void ForgetPlacementWithoutFrame(QWidget* form)
{
    form->setProperty(PlacedWithoutFrameProperty, QVariant());
}

void PlaceAgainWithReportedFrame(QWidget* form)
{
    const QVariant placed = form->property(PlacedWithoutFrameProperty);
    if (!placed.isValid() || !HasReportedFrame(form))
        return;
    ForgetPlacementWithoutFrame(form);
    if (!(form->windowState() & SpecialStates) && OuterGeometry(form) != placed.toRect())
        SetOuterGeometry(form, placed.toRect());
}

void AskForFrame(QWidget* window)
{
    if (!HasReportedFrame(window) && !ExpectedFrame(window)) {
        if (const std::optional<QMargins> announced = RequestFrameExtents(window))
            SetExpectedFrame(window, *announced);
    }
}

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (screen == nullptr)
        return;
    AskForFrame(window);
    const QRect area = screen->geometry();
    QRect outer = OuterGeometry(window);
    outer.moveTopLeft(area.topLeft() +
                      QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2));
    SetOuterGeometry(window, outer);
}

QSize MaximizedSize(const QWidget* form)
{
    return AvailableGeometry(form).size();
}

QRect AvailableGeometry(const QWidget* form)
{
    QScreen* screen = form->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QRect PlacementArea(const QWidget* form, const QRect& outer)
{
    QScreen* best = QGuiApplication::screenAt(outer.center());
    if (best == nullptr) {
        // Off every screen: the nearest one, by the distance from the rectangle's centre.
        long long bestDistance = std::numeric_limits<long long>::max();
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect g = screen->geometry();
            const long long dx =
                std::max({0LL, 0LL + g.left() - outer.center().x(), 0LL + outer.center().x() - g.right()});
            const long long dy =
                std::max({0LL, 0LL + g.top() - outer.center().y(), 0LL + outer.center().y() - g.bottom()});
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = screen;
            }
        }
    }
    return best != nullptr ? best->availableGeometry() : AvailableGeometry(form);
}

QRect FitInto(const QRect& rect, const QRect& area)
{
    if (area.isEmpty())
        return rect;
    auto place = [](int pos, int extent, int areaStart, int areaExtent) {
        if (extent >= areaExtent)
            return areaStart;
        return std::clamp(pos, areaStart, areaStart + areaExtent - extent);
    };
    return QRect(QPoint(place(rect.left(), rect.width(), area.left(), area.width()),
                        place(rect.top(), rect.height(), area.top(), area.height())),
                 rect.size());
}

ScopedGeometryChange::ScopedGeometryChange(QWidget* form) : form_(form)
{
    form_->setProperty(ProgramGeometryProperty, form_->property(ProgramGeometryProperty).toInt() + 1);
}

ScopedGeometryChange::~ScopedGeometryChange()
{
    form_->setProperty(ProgramGeometryProperty, form_->property(ProgramGeometryProperty).toInt() - 1);
}

bool InProgramGeometryChange(const QWidget* form)
{
    return form->property(ProgramGeometryProperty).toInt() > 0;
}

QRect RequestedGeometry(const QWidget* form)
{
    return form->property(RequestedGeometryProperty).toRect();
}

TWindowPlacement GetWindowPlacement(const QWidget* form)
{
    TWindowPlacement p;
    const Qt::WindowStates state = form->windowState();
    if (state.testFlag(Qt::WindowMinimized)) {
        p.showCmd = SW_SHOWMINIMIZED;
        if (state.testFlag(Qt::WindowMaximized))
            p.flags = WPF_RESTORETOMAXIMIZED;
    } else if (state.testFlag(Qt::WindowMaximized)) {
        p.showCmd = SW_SHOWMAXIMIZED;
    }
    QRect normal = OuterGeometry(form);
    if ((state & (Qt::WindowMinimized | Qt::WindowMaximized)) && form->normalGeometry().isValid()) {
        const QRect g = form->normalGeometry();
        normal = QRect(g.topLeft() - FrameOffset(form), g.size() + Decoration(form));
    }
    p.normLeft = normal.left();
    p.normTop = normal.top();
    p.normRight = normal.left() + normal.width();
    p.normBottom = normal.top() + normal.height();
    return p;
}

void SetWindowPlacement(QWidget* form, const TWindowPlacement& placement)
{
    ScopedGeometryChange guard(form);
    const Qt::WindowStates state = form->windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const long long width = 0LL + placement.normRight - placement.normLeft;
        const long long height = 0LL + placement.normBottom - placement.normTop;
        QRect wanted(QPoint(placement.normLeft, placement.normTop), OuterGeometry(form).size());
        const QRect area = PlacementArea(form, wanted);
        if (width >= SmallestNormalExtent && height >= SmallestNormalExtent && width <= area.width() &&
            height <= area.height())
            wanted.setSize(QSize(static_cast<int>(width), static_cast<int>(height)));
        SetOuterGeometry(form, FitInto(wanted, PlacementArea(form, wanted)));
    }
    if (placement.showCmd == SW_SHOWMAXIMIZED)
        form->setWindowState((state & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

} // namespace platform
