#include "controls/ElasticControls.h"

#include <algorithm>
#include <cmath>

#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMetaProperty>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QWidget>

#include "controls/ElasticMath.h"
#include "platform/qt/WindowGeometry.h"

namespace elastic {
namespace {

// Whether the form's controls continue below this widget.
bool BelongsToForm(const QWidget* widget, const QWidget* form)
{
    if (widget->isWindow() || qobject_cast<const QMdiSubWindow*>(widget) != nullptr)
        return false;
    return widget != platform::MenuBar(form);
}

void Collect(QWidget* parent, const QWidget* form, std::vector<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        if (!BelongsToForm(widget, form))
            continue;
        if (IsRegistrable(widget))
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

const QStatusBar* MainStatusBar(const QMainWindow* main)
{
    return main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
}

bool IsFontName(const char* name)
{
    const QByteArray lower = QByteArray(name).toLower();
    return lower == "font" || lower == "titlefont" || lower == "tabfont";
}

std::optional<TFontRef> NamedFont(QWidget* control, const char* lowerName)
{
    const QMetaObject* meta = control->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        if (p.metaType().id() == QMetaType::QFont && p.isReadable() && p.isWritable() &&
            QByteArray(p.name()).toLower() == lowerName)
            return TFontRef{control, QByteArray(p.name())};
    }
    return std::nullopt;
}

void ScanFonts(QObject* object, int depth, std::vector<TFontRef>& out)
{
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        if (!p.isReadable())
            continue;
        if (p.metaType().id() == QMetaType::QFont) {
            if (p.isWritable() && (depth > 0 || !IsFontName(p.name())))
                out.push_back(TFontRef{object, QByteArray(p.name())});
        } else if (depth < 2 && (p.metaType().flags() & QMetaType::PointerToQObject)) {
            QObject* inner = p.read(object).value<QObject*>();
            if (inner != nullptr && inner != object && !IsTabSheet(inner))
                ScanFonts(inner, depth + 1, out);
        }
    }
}

} // namespace

bool IsNamed(const QWidget* widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

bool IsTabSheet(const QObject* object)
{
    const QObject* stack = object->parent();
    return qobject_cast<const QStackedWidget*>(stack) != nullptr &&
           qobject_cast<const QTabWidget*>(stack->parent()) != nullptr;
}

bool IsRegistrable(const QWidget* widget)
{
    if (!IsNamed(widget) || IsTabSheet(widget))
        return false;
    const QWidget* parent = widget->parentWidget();
    return qobject_cast<const QToolBar*>(parent) == nullptr &&
           qobject_cast<const QStatusBar*>(parent) == nullptr &&
           qobject_cast<const QTabBar*>(parent) == nullptr;
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
    if (widget == MainStatusBar(main))
        return TAlign::alBottom;
    if (const auto* bar = qobject_cast<const QToolBar*>(widget)) {
        switch (main->toolBarArea(const_cast<QToolBar*>(bar))) {
        case Qt::TopToolBarArea:
            return TAlign::alTop;
        case Qt::BottomToolBarArea:
            return TAlign::alBottom;
        case Qt::LeftToolBarArea:
            return TAlign::alLeft;
        case Qt::RightToolBarArea:
            return TAlign::alRight;
        default:
            return TAlign::alNone;
        }
    }
    if (const auto* dock = qobject_cast<const QDockWidget*>(widget)) {
        switch (main->dockWidgetArea(const_cast<QDockWidget*>(dock))) {
        case Qt::TopDockWidgetArea:
            return TAlign::alTop;
        case Qt::BottomDockWidgetArea:
            return TAlign::alBottom;
        case Qt::LeftDockWidgetArea:
            return TAlign::alLeft;
        case Qt::RightDockWidgetArea:
            return TAlign::alRight;
        default:
            return TAlign::alNone;
        }
    }
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

std::vector<int> AlignOrder(const std::vector<TAlignItem>& items)
{
    std::vector<int> order;
    auto group = [&](TAlign align, auto key) {
        std::vector<int> members;
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (items[i].align == align)
                members.push_back(i);
        }
        // Equal keys: the later item first.
        std::stable_sort(members.begin(), members.end(), [&](int a, int b) {
            const int ka = key(items[a]);
            const int kb = key(items[b]);
            return ka != kb ? ka < kb : a > b;
        });
        order.insert(order.end(), members.begin(), members.end());
    };
    group(TAlign::alTop, [](const TAlignItem& i) { return i.top; });
    group(TAlign::alBottom, [](const TAlignItem& i) { return -i.top; });
    group(TAlign::alLeft, [](const TAlignItem& i) { return i.left; });
    group(TAlign::alRight, [](const TAlignItem& i) { return -i.left; });
    group(TAlign::alClient, [](const TAlignItem& i) { return i.left; });
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[i].align == TAlign::alNone)
            order.push_back(i);
    }
    return order;
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
    const QWidget* parent = control->parentWidget();
    return parent != nullptr ? control->isVisibleTo(parent) : control->isVisible();
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

int ControlFontSize(const QWidget* control)
{
    return FontSize(control->font());
}

void SetControlFontSize(QWidget* control, int points)
{
    const QFont present = control->font();
    const int pixels = std::max(1, PointsToPixels(points));
    if (HasOwnFont(control) && present.pixelSize() == pixels)
        return;
    control->setFont(WithFontSize(present, points));
}

bool HasOwnFont(const QWidget* control)
{
    return control->testAttribute(Qt::WA_SetFont);
}

void MakeFontOwn(QWidget* control)
{
    if (HasOwnFont(control))
        return;
    QFont font = control->font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    control->setFont(font);
}

int TFontRef::Size() const
{
    return object != nullptr ? FontSize(object->property(property.constData()).value<QFont>()) : 0;
}

void TFontRef::SetSize(int points) const
{
    if (object == nullptr)
        return;
    const QFont present = object->property(property.constData()).value<QFont>();
    if (present.pixelSize() == std::max(1, PointsToPixels(points)))
        return;
    object->setProperty(property.constData(), WithFontSize(present, points));
}

std::vector<TFontRef> ExtraFonts(QWidget* control)
{
    std::vector<TFontRef> out;
    ScanFonts(control, 0, out);
    return out;
}

std::optional<TFontRef> TitleFont(QWidget* control)
{
    if (auto named = NamedFont(control, "titlefont"))
        return named;
    if (QTableView* grid = AsGrid(control))
        return TFontRef{grid->horizontalHeader(), QByteArray("font")};
    return std::nullopt;
}

std::optional<TFontRef> TabFont(QWidget* control)
{
    if (auto named = NamedFont(control, "tabfont"))
        return named;
    if (auto* tabs = qobject_cast<QTabWidget*>(control))
        return TFontRef{tabs->tabBar(), QByteArray("font")};
    return std::nullopt;
}

QTableView* AsGrid(QWidget* widget)
{
    return qobject_cast<QTableView*>(widget);
}

QToolBar* AsToolBar(QWidget* widget)
{
    return qobject_cast<QToolBar*>(widget);
}

QStatusBar* AsStatusBar(QWidget* widget)
{
    return qobject_cast<QStatusBar*>(widget);
}

QHeaderView* AsSections(QWidget* widget)
{
    auto* header = qobject_cast<QHeaderView*>(widget);
    // A grid's own headers are sized with the grid.
    return header != nullptr && qobject_cast<QTableView*>(header->parentWidget()) == nullptr ? header
                                                                                             : nullptr;
}

QLabel* AsLabel(QWidget* widget)
{
    return qobject_cast<QLabel*>(widget);
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
    if (HasFixedWidth(panel)) {
        if (panel->minimumWidth() != width)
            panel->setFixedWidth(width);
    } else if (panel->minimumWidth() != width) {
        panel->setMinimumWidth(width);
    }
}

std::optional<bool> AutoSizeOf(const QWidget* control)
{
    const QMetaObject* meta = control->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        if (QByteArray(p.name()).toLower() == "autosize" && p.metaType().id() == QMetaType::Bool)
            return p.read(control).toBool();
    }
    for (const QByteArray& name : control->dynamicPropertyNames()) {
        if (name.toLower() == "autosize")
            return control->property(name.constData()).toBool();
    }
    if (qobject_cast<const QLabel*>(control) != nullptr)
        return false;
    return std::nullopt;
}

void FitToContents(QWidget* control)
{
    control->adjustSize();
}

} // namespace elastic
