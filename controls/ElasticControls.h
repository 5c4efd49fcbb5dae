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

class QLabel;
class QStatusBar;
class QWidget;

namespace elastic {

enum class TAlign
{
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient,
};

bool IsNamed(const QWidget* widget);
// Registration rules: named, not inside a status bar (its panels are sized by the bar).
bool IsRegistrable(const QWidget* widget);
// The registered controls of the form: depth first, in child order.
std::vector<QWidget*> CollectControls(QWidget* form);

TAlign AlignOf(const QWidget* widget);
bool IsLayoutManaged(const QWidget* widget);

// The alignment order of the form's direct children: top-aligned by ascending top, bottom-aligned
// by descending top, left-aligned by ascending left, right-aligned by descending left, client-aligned
// by ascending left, then the unaligned ones in their given order; ties go to the later item.
// Returns the indices of `items` in that order.
struct TAlignItem
{
    TAlign align = TAlign::alNone;
    int left = 0;
    int top = 0;
};
std::vector<int> AlignOrder(const std::vector<TAlignItem>& items);

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
int ControlFontSize(const QWidget* control);
void SetControlFontSize(QWidget* control, int points);
bool HasOwnFont(const QWidget* control);
void MakeFontOwn(QWidget* control); // ParentFont False

QStatusBar* AsStatusBar(QWidget* widget);
QLabel* AsLabel(QWidget* widget);

std::vector<QWidget*> StatusPanels(const QStatusBar* bar);
int PanelWidth(const QWidget* panel);
void SetPanelWidth(QWidget* panel, int width);

void FitToContents(QWidget* control);

} // namespace elastic
