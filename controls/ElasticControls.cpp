#include "controls/ElasticControls.h"

#include <algorithm>
#include <cmath>

#include <QLayout>
#include <QMainWindow>
#include <QSizeGrip>
#include <QStatusBar>
#include <QWidget>

#include "controls/ElasticMath.h"
#include "platform/qt/WindowGeometry.h"

namespace elastic {
namespace {

void Collect(QWidget* parent, const QWidget* form, std::vector<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        // Windows and the menu bar (part of the frame) are no controls, nor is anything below them.
        if (widget->isWindow() || widget == platform::MenuBar(form))
            continue;
        if (IsNamed(widget) && qobject_cast<const QStatusBar*>(parent) == nullptr)
            out.push_back(widget);
        Collect(widget, form, out);
    }
}

bool LayoutContains(const QLayout* layout, const QWidget* widget)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item == nullptr)
            continue;
        if (item->widget() == widget)
            return true;
        if (const QLayout* inner = item->layout(); inner != nullptr && LayoutContains(inner, widget))
            return true;
    }
    return false;
}

} // namespace

bool IsNamed(const QWidget* widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

std::vector<QWidget*> CollectControls(QWidget* form)
{
    std::vector<QWidget*> out;
    Collect(form, form, out);
    return out;
}

TAlign AlignOf(const QWidget* widget)
{
    const auto* main = qobject_cast<const QMainWindow*>(widget->parentWidget());
    if (main == nullptr)
        return TAlign::alNone;
    if (widget == main->centralWidget())
        return TAlign::alClient;
    if (widget == main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
        return TAlign::alBottom;
    return TAlign::alNone;
}

bool IsLayoutManaged(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (parent == nullptr)
        return false;
    if (qobject_cast<const QMainWindow*>(parent) != nullptr && AlignOf(widget) != TAlign::alNone)
        return true;
    return parent->layout() != nullptr && LayoutContains(parent->layout(), widget);
}

QRect ControlBounds(const QWidget* form, const QWidget* control)
{
    QRect bounds = control->geometry();
    if (control->parentWidget() == form)
        bounds.translate(-platform::ClientOrigin(form));
    return bounds;
}

void SetControlBounds(QWidget* form, QWidget* control, const QRect& bounds, bool fixedWidth, bool fixedHeight)
{
    if (IsLayoutManaged(control)) {
        if (fixedWidth && control->width() != bounds.width())
            control->setFixedWidth(std::max(0, bounds.width()));
        if (fixedHeight && control->height() != bounds.height())
            control->setFixedHeight(std::max(0, bounds.height()));
        return;
    }
    QRect placed(bounds.topLeft(), QSize(std::max(0, bounds.width()), std::max(0, bounds.height())));
    if (control->parentWidget() == form)
        placed.translate(platform::ClientOrigin(form));
    control->setGeometry(placed);
}

bool HasFixedWidth(const QWidget* widget)
{
    return widget->minimumWidth() == widget->maximumWidth();
}

bool HasFixedHeight(const QWidget* widget)
{
    return widget->minimumHeight() == widget->maximumHeight();
}

bool ControlVisible(const QWidget* control)
{
    return control->isVisibleTo(control->parentWidget());
}

void SetControlVisible(QWidget* control, bool visible)
{
    if (ControlVisible(control) != visible)
        control->setVisible(visible);
}

int FontSize(const QFont& font)
{
    if (font.pixelSize() > 0)
        return PixelsToPoints(font.pixelSize());
    return static_cast<int>(std::lround(font.pointSizeF()));
}

QFont WithFontSize(QFont font, int points)
{
    font.setPixelSize(std::max(1, PointsToPixels(points)));
    return font;
}

void SetControlFontSize(QWidget* control, int points)
{
    const QFont present = control->font();
    const int pixels = std::max(1, PointsToPixels(points));
    if (control->testAttribute(Qt::WA_SetFont) && present.pixelSize() == pixels)
        return;
    control->setFont(WithFontSize(present, points));
}

void MakeFontOwn(QWidget* control)
{
    if (control->testAttribute(Qt::WA_SetFont))
        return;
    QFont font = control->font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    control->setFont(font);
}

std::vector<QWidget*> StatusPanels(const QStatusBar* bar)
{
    std::vector<QWidget*> panels;
    for (QObject* child : bar->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        if (widget->isWindow() || qobject_cast<QSizeGrip*>(widget) != nullptr)
            continue;
        panels.push_back(widget);
    }
    return panels;
}

int PanelWidth(const QWidget* panel)
{
    if (HasFixedWidth(panel) || panel->minimumWidth() > 0)
        return panel->minimumWidth();
    return panel->sizeHint().width();
}

void SetPanelWidth(QWidget* panel, int width)
{
    width = std::max(0, width);
    if (panel->minimumWidth() == width)
        return;
    if (HasFixedWidth(panel))
        panel->setFixedWidth(width);
    else
        panel->setMinimumWidth(width);
}

} // namespace elastic
