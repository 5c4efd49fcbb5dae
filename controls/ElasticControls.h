#pragma once
// The form scaler's view of Qt widgets as controls: which descendants of a form it registers, their
// alignment, bounds, visibility and fonts, and the kinds it treats specially (status bars with
// panels, labels).
//
// How the controls of a form map to widgets:
// - A control is a descendant widget of the form; its Name is its objectName. Qt's internal children
//   (names starting with "qt_") count as unnamed. Windows (dialogs, popup menus) and the form's menu
//   bar (part of the window's frame) are not part of the form's controls, and nothing below them is.
// - Left/Top are relative to the parent; for direct children of the form relative to the client
//   origin (below a main window's menu bar).
// - Visible is the widget's own visibility flag (isVisibleTo(parent)).
// - Fonts are sized in points at 96 pixels per inch; sizes are always written as pixel sizes.
//   ParentFont True is a widget without a font of its own (Qt::WA_SetFont unset).
// - Alignment: a main window's central widget is client-aligned, its status bar bottom-aligned;
//   every other widget is unaligned.
// - Widgets placed by a layout (a main window's parts, widgets in a QLayout) keep their position from
//   the layout; the scaler changes only the extents they have fixed (setFixedWidth/Height).
// - A status bar's panels are the widgets added to a QStatusBar; their widths are their fixed (or
//   else minimum) widths, and their fonts follow the status bar's.
// - A label is re-fitted to its contents (QWidget::adjustSize()) after each rescale, never smaller
//   than its scaled bounds.

#include <vector>

#include <QFont>
#include <QRect>

class QStatusBar;
class QWidget;

namespace elastic {

// A main window's status bar is bottom-aligned, its central widget client-aligned; the form
// aligns them in this order, the unaligned controls after them.
enum class TAlign
{
    alBottom,
    alClient,
    alNone,
};

bool IsNamed(const QWidget* widget);
// The registered controls of the form, depth first in child order: the named ones not inside a
// status bar (its panels are sized by the bar).
std::vector<QWidget*> CollectControls(QWidget* form);

TAlign AlignOf(const QWidget* widget);
bool IsLayoutManaged(const QWidget* widget);

QRect ControlBounds(const QWidget* form, const QWidget* control);
// Sets the bounds in one call; a layout-managed control only takes the fixed extents given.
void SetControlBounds(QWidget* form, QWidget* control, const QRect& bounds, bool fixedWidth,
                      bool fixedHeight);
bool HasFixedWidth(const QWidget* widget);
bool HasFixedHeight(const QWidget* widget);

bool ControlVisible(const QWidget* control);
void SetControlVisible(QWidget* control, bool visible);

// Font sizes in points.
int FontSize(const QFont& font);
QFont WithFontSize(QFont font, int points); // at least one pixel
void SetControlFontSize(QWidget* control, int points);
void MakeFontOwn(QWidget* control); // ParentFont False

std::vector<QWidget*> StatusPanels(const QStatusBar* bar);
int PanelWidth(const QWidget* panel);
void SetPanelWidth(QWidget* panel, int width);

} // namespace elastic
