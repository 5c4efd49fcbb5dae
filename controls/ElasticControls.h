#pragma once
// The form scaler's view of Qt widgets as controls: which descendants of a form it registers, their
// alignment, bounds, visibility and fonts, and the kinds it treats specially (grids, toolbars,
// status bars with panels, header sections, labels, tab sheets).
//
// How the controls of a form map to widgets:
// - A control is a descendant widget of the form; its Name is its objectName. Qt's internal children
//   (names starting with "qt_") count as unnamed. Windows (dialogs, popup menus), MDI sub-windows
//   (forms of their own) and the form's menu bar (part of the window's frame) are not part of the
//   form's controls, and nothing below them is.
// - Left/Top are relative to the parent; for direct children of the form relative to the client
//   origin (below a main window's menu bar).
// - Visible is the widget's own visibility flag (isVisibleTo(parent)).
// - Fonts are sized in points at 96 pixels per inch; sizes are always written as pixel sizes.
//   ParentFont True is a widget without a font of its own (Qt::WA_SetFont unset).
// - Alignment: a main window's central widget is client-aligned, its status bar bottom-aligned, its
//   toolbars and dock widgets aligned to their areas; every other widget is unaligned.
// - Widgets placed by a layout (a main window's parts, widgets in a QLayout) keep their position from
//   the layout; the scaler changes only the extents they have fixed (setFixedWidth/Height).
// - Grids are QTableView (and QTableWidget): DefaultColWidth and DefaultRowHeight are the default
//   section sizes of the horizontal and vertical header, the title row is the horizontal header and
//   TitleFont its font. Qt has no data-aware grid (a grid with Columns or DataSource), so those
//   grid branches never apply.
// - Toolbars are QToolBar; ButtonWidth/ButtonHeight are its icon size.
// - A status bar's panels are the widgets added to a QStatusBar; their widths are their fixed (or
//   else minimum) widths, and their fonts follow the status bar's.
// - A control with Sections is a QHeaderView registered by itself (not one inside a grid).
// - Tab sheets are the pages of a QTabWidget; TabFont is its tab bar's font.
// - A TitleFont or TabFont property is a Q_PROPERTY of type QFont named "titleFont"/"tabFont"; extra
//   fonts are the other QFont Q_PROPERTYs (see ExtraFonts).
// - AutoSize is a property named "AutoSize" (Q_PROPERTY or dynamic); a QLabel without one has
//   AutoSize False. Re-fitting a control to its contents is QWidget::adjustSize().

#include <optional>
#include <vector>

#include <QByteArray>
#include <QFont>
#include <QPointer>
#include <QRect>

class QHeaderView;
class QLabel;
class QStatusBar;
class QTableView;
class QTabWidget;
class QToolBar;
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
bool IsTabSheet(const QObject* object);
// Registration rules: named, not a tab sheet, not inside a toolbar, a status bar or a tab bar (their
// buttons and panels are sized by the bar; a tab bar names its scroll buttons without "qt_").
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

// A QFont property of some object.
struct TFontRef
{
    QPointer<QObject> object;
    QByteArray property;

    bool Valid() const { return object != nullptr; }
    int Size() const;
    void SetSize(int points) const;
};
// Every readable and writable QFont Q_PROPERTY of the control other than font, titleFont and tabFont
// (compared without case), and every QFont property of the objects its QObject* properties point to
// and of their objects in turn (one level further), tab sheets skipped.
std::vector<TFontRef> ExtraFonts(QWidget* control);
std::optional<TFontRef> TitleFont(QWidget* control);
std::optional<TFontRef> TabFont(QWidget* control);

QTableView* AsGrid(QWidget* widget);
QToolBar* AsToolBar(QWidget* widget);
QStatusBar* AsStatusBar(QWidget* widget);
QHeaderView* AsSections(QWidget* widget);
QLabel* AsLabel(QWidget* widget);

std::vector<QWidget*> StatusPanels(const QStatusBar* bar);
int PanelWidth(const QWidget* panel);
void SetPanelWidth(QWidget* panel, int width);

std::optional<bool> AutoSizeOf(const QWidget* control);
void FitToContents(QWidget* control);

} // namespace elastic
