// The form scaler's treatment of control kinds on small test forms (offscreen platform): which
// widgets it registers and in which order, grids, toolbars, header sections, tab pages, labels,
// extra font properties, the background picture, and MDI parent and child forms.

#include <cmath>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "controls/ElastFrm.h"
#include "controls/ElasticControls.h"

// A control with font properties of its own: a caption font, a title font, and a partner object
// whose font is one level down.
class FontCarrier : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QFont captionFont READ CaptionFont WRITE SetCaptionFont)
    Q_PROPERTY(QFont titleFont READ TitleFont WRITE SetTitleFont)
    Q_PROPERTY(QObject* partner READ Partner)

public:
    explicit FontCarrier(QWidget* parent) : QWidget(parent), partner_(new QWidget(this))
    {
        partner_->setObjectName(QStringLiteral("qt_partner"));
    }
    QFont CaptionFont() const { return caption_; }
    void SetCaptionFont(const QFont& font) { caption_ = font; }
    QFont TitleFont() const { return title_; }
    void SetTitleFont(const QFont& font) { title_ = font; }
    QObject* Partner() const { return partner_; }
    QWidget* PartnerWidget() const { return partner_; }

private:
    QFont caption_;
    QFont title_;
    QWidget* partner_;
};

namespace {

namespace msg = platform;

QFont Pixels(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

int RoundEven(double x)
{
    return static_cast<int>(std::nearbyint(x));
}

int HalfDown(double x)
{
    const double whole = std::trunc(x);
    return static_cast<int>(x - whole > 0.5 ? std::nearbyint(x) : whole);
}

int PointsOf(const QFont& font)
{
    return static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
}

// A plain form of client 502 x 269 with a scaler configured for it; Show() shows and activates it.
struct Form
{
    std::unique_ptr<QWidget> widget;
    TElasticForm* elastic = nullptr;

    Form()
    {
        widget = std::make_unique<QWidget>();
        widget->setObjectName(QStringLiteral("frmKinds"));
        widget->setFont(Pixels(13));
        widget->setGeometry(100, 100, 502, 269);
    }

    void Attach()
    {
        elastic = new TElasticForm(widget.get());
        elastic->SetDesignFormWidth(510);
        elastic->SetDesignFormHeight(315);
        elastic->SetDesignFormClientWidth(502);
        elastic->SetDesignFormClientHeight(269);
        elastic->SetDesignFormLeft(100);
        elastic->SetDesignFormTop(100);
        elastic->SetResolutionIndependence(false);
        elastic->SetPlacementStore(std::make_shared<elastic::TMemoryPlacementStore>());
    }

    void Show()
    {
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        msg::SendWindowMessage(widget.get(), msg::WM_WINDOWPOSCHANGING);
    }

    // Resizes to about 1.4 times the design and returns the client ratios.
    QSizeF Grow(QSize outer = QSize(711, 423))
    {
        widget->resize(platform::FrameWidgetSizeForOuter(widget.get(), outer));
        const QSize client = platform::ClientSize(widget.get());
        return QSizeF(client.width() / 502.0, client.height() / 269.0);
    }

    template<typename T = QWidget>
    T* Child(const char* name) const
    {
        return widget->findChild<T*>(QString::fromLatin1(name));
    }
};

// ---- registration ----

TEST(ElasticControls, RegistrationRules)
{
    Form form;
    QWidget* w = form.widget.get();
    auto* named = new QPushButton(w);
    named->setObjectName(QStringLiteral("btnNamed"));
    auto* internal = new QPushButton(w);
    internal->setObjectName(QStringLiteral("qt_internal"));
    auto* unnamedPanel = new QWidget(w);
    auto* inner = new QLineEdit(unnamedPanel);
    inner->setObjectName(QStringLiteral("edtInner"));
    auto* toolbar = new QToolBar(w);
    toolbar->setObjectName(QStringLiteral("tbrMain"));
    auto* onToolbar = new QPushButton(toolbar);
    onToolbar->setObjectName(QStringLiteral("btnOnToolbar"));
    auto* status = new QStatusBar(w);
    status->setObjectName(QStringLiteral("sbrStatus"));
    auto* panel = new QLabel(status);
    panel->setObjectName(QStringLiteral("lblPanel"));
    status->addWidget(panel);
    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("pgcTabs"));
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabPage"));
    tabs->addTab(page, QStringLiteral("Page"));
    auto* onPage = new QLineEdit(page);
    onPage->setObjectName(QStringLiteral("edtOnPage"));
    auto* dialog = new QDialog(w);
    auto* inDialog = new QPushButton(dialog);
    inDialog->setObjectName(QStringLiteral("btnInDialog"));

    EXPECT_TRUE(elastic::IsNamed(named));
    EXPECT_FALSE(elastic::IsNamed(internal));
    EXPECT_TRUE(elastic::IsTabSheet(page));
    const std::vector<QWidget*> controls = elastic::CollectControls(w);
    const std::vector<QWidget*> expected = {named, inner, toolbar, status, tabs, onPage};
    EXPECT_EQ(controls, expected);
}

TEST(ElasticControls, AlignmentOrder)
{
    using elastic::TAlign;
    const std::vector<elastic::TAlignItem> items = {
        {TAlign::alNone, 0, 0},     // 0
        {TAlign::alBottom, 0, 250}, // 1
        {TAlign::alTop, 0, 30},     // 2
        {TAlign::alClient, 10, 40}, // 3
        {TAlign::alTop, 0, 0},      // 4
        {TAlign::alRight, 400, 40}, // 5
        {TAlign::alBottom, 0, 230}, // 6
        {TAlign::alLeft, 50, 40},   // 7
        {TAlign::alLeft, 0, 40},    // 8
        {TAlign::alRight, 450, 40}, // 9
        {TAlign::alNone, 5, 5},     // 10
        {TAlign::alTop, 0, 30},     // 11: same top as 2, later: goes first
    };
    const std::vector<int> expected = {4, 11, 2, 1, 6, 8, 7, 9, 5, 3, 0, 10};
    EXPECT_EQ(elastic::AlignOrder(items), expected);
}

TEST(ElasticControls, MainWindowPartsAreAligned)
{
    QMainWindow window;
    auto* central = new QWidget;
    window.setCentralWidget(central);
    auto* top = new QToolBar;
    window.addToolBar(Qt::TopToolBarArea, top);
    auto* left = new QToolBar;
    window.addToolBar(Qt::LeftToolBarArea, left);
    auto* status = new QStatusBar;
    window.setStatusBar(status);
    auto* loose = new QWidget(&window);
    EXPECT_EQ(elastic::AlignOf(central), elastic::TAlign::alClient);
    EXPECT_EQ(elastic::AlignOf(top), elastic::TAlign::alTop);
    EXPECT_EQ(elastic::AlignOf(left), elastic::TAlign::alLeft);
    EXPECT_EQ(elastic::AlignOf(status), elastic::TAlign::alBottom);
    EXPECT_EQ(elastic::AlignOf(loose), elastic::TAlign::alNone);
    EXPECT_TRUE(elastic::IsLayoutManaged(status));
    EXPECT_FALSE(elastic::IsLayoutManaged(loose));
}

// ---- grids ----

struct GridForm : Form
{
    QTableWidget* grid = nullptr;

    explicit GridForm(const std::function<void(TElasticForm&)>& configure = {})
    {
        grid = new QTableWidget(4, 3, widget.get());
        grid->setObjectName(QStringLiteral("grdData"));
        grid->setGeometry(10, 10, 300, 150);
        grid->setFont(Pixels(13));
        grid->horizontalHeader()->setFont(Pixels(12));
        grid->verticalHeader()->setMinimumSectionSize(5);
        grid->verticalHeader()->setDefaultSectionSize(20);
        grid->setColumnWidth(0, 80);
        grid->setColumnWidth(1, 60);
        grid->setColumnWidth(2, 100);
        Attach();
        if (configure)
            configure(*elastic);
        Show();
    }
};

TEST(ElasticControls, GridColumnsRowsAndFonts)
{
    GridForm form;
    const QSizeF r = form.Grow();
    const double fontRatio = form.elastic->FontRatio();
    const int border = form.grid->width() - form.grid->contentsRect().width();
    ASSERT_EQ(form.grid->geometry(), QRect(RoundEven(10 * r.width()), RoundEven(10 * r.height()),
                                           RoundEven(300 * r.width()), RoundEven(150 * r.height())));
    const double columnRatio = static_cast<double>(form.grid->width() - border) / (300 - border);
    EXPECT_EQ(form.grid->columnWidth(0), RoundEven(80 * columnRatio));
    EXPECT_EQ(form.grid->columnWidth(1), RoundEven(60 * columnRatio));
    EXPECT_EQ(form.grid->columnWidth(2), RoundEven(100 * columnRatio));
    const int rowBorder = form.grid->height() - form.grid->contentsRect().height();
    const double rowRatio = static_cast<double>(form.grid->height() - rowBorder) / (150 - rowBorder);
    EXPECT_EQ(form.grid->verticalHeader()->defaultSectionSize(), RoundEven(20 * rowRatio));
    // The grid's font: the ratio's size, then one point smaller; the title font (header) by the ratio.
    EXPECT_EQ(PointsOf(form.grid->font()), HalfDown(fontRatio * 10) - 1);
    EXPECT_EQ(PointsOf(form.grid->horizontalHeader()->font()), HalfDown(fontRatio * 9));
}

TEST(ElasticControls, GridSwitchesKeepBaseValues)
{
    GridForm form([](TElasticForm& e) {
        e.SetGridColumnWidthResize(false);
        e.SetGridRowHeightResize(false);
        e.SetGridFontResize(false);
    });
    form.Grow();
    EXPECT_EQ(form.grid->columnWidth(0), 80);
    EXPECT_EQ(form.grid->columnWidth(2), 100);
    EXPECT_EQ(form.grid->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_EQ(PointsOf(form.grid->font()), 10);
    EXPECT_EQ(PointsOf(form.grid->horizontalHeader()->font()), 9);
}

TEST(ElasticControls, AGridInItsDefaultStateKeepsItsColumns)
{
    Form form;
    auto* grid = new QTableWidget(3, 2, form.widget.get());
    grid->setObjectName(QStringLiteral("grdDefault"));
    grid->setGeometry(10, 10, 200, 100);
    grid->setColumnWidth(0, 64);
    grid->setColumnWidth(1, 64);
    form.Attach();
    form.Show();
    form.Grow();
    EXPECT_FALSE(form.elastic->Frame(0).columnsCustomised);
    EXPECT_EQ(grid->columnWidth(0), 64);
    EXPECT_EQ(grid->columnWidth(1), 64);
}

TEST(ElasticControls, AGridWhoseColumnCountChangedIsCapturedAgain)
{
    GridForm form;
    form.grid->setColumnCount(4);
    form.grid->setColumnWidth(3, 50);
    const QSizeF r = form.Grow();
    EXPECT_EQ(form.elastic->Frame(0).columnCount, 4);
    EXPECT_EQ(form.elastic->Frame(0).baseColumnWidths.size(), 4u);
    EXPECT_GT(form.grid->columnWidth(3), 50);
    (void)r;
}

// ---- toolbars, status bars, sections ----

TEST(ElasticControls, ToolbarButtonsFollowTheLongerSide)
{
    Form form;
    auto* toolbar = new QToolBar(form.widget.get());
    toolbar->setObjectName(QStringLiteral("tbrMain"));
    toolbar->setGeometry(320, 10, 150, 30);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->addAction(QStringLiteral("One"));
    toolbar->setFont(Pixels(13));
    form.Attach();
    form.Show();
    const QSizeF r = form.Grow(QSize(711, 380));
    // Wider than tall: the vertical ratio, truncated.
    const int side = static_cast<int>(std::trunc(16 * r.height()));
    EXPECT_EQ(toolbar->iconSize(), QSize(side, side));
    EXPECT_EQ(PointsOf(toolbar->font()), 10); // a toolbar's font is not scaled
}

TEST(ElasticControls, StatusBarPanelsAndHeaderSections)
{
    Form form;
    auto* status = new QStatusBar(form.widget.get());
    status->setObjectName(QStringLiteral("sbrStatus"));
    status->setGeometry(0, 250, 502, 19);
    auto* panel = new QLabel(QStringLiteral("panel"));
    panel->setFixedWidth(200);
    panel->setFont(Pixels(11));
    status->addWidget(panel);
    auto* model = new QStandardItemModel(0, 3, form.widget.get());
    auto* header = new QHeaderView(Qt::Horizontal, form.widget.get());
    header->setObjectName(QStringLiteral("hdrColumns"));
    header->setModel(model);
    header->setGeometry(10, 170, 300, 24);
    header->resizeSection(0, 50);
    header->resizeSection(1, 71);
    header->resizeSection(2, 90);
    form.Attach();
    form.Show();
    const QSizeF r = form.Grow();
    EXPECT_TRUE(form.elastic->Frame(0).isStatusBar);
    EXPECT_EQ(panel->width(), RoundEven(200 * r.width()));
    EXPECT_EQ(PointsOf(panel->font()), HalfDown(form.elastic->FontRatio() * 8));
    EXPECT_EQ(header->sectionSize(0), HalfDown(50 * r.width()));
    EXPECT_EQ(header->sectionSize(1), HalfDown(71 * r.width()));
    EXPECT_EQ(header->sectionSize(2), HalfDown(90 * r.width()));
}

// ---- tab pages ----

TEST(ElasticControls, ControlsOnTabPagesScaleAndTakeTheirOwnFont)
{
    Form form;
    auto* tabs = new QTabWidget(form.widget.get());
    tabs->setObjectName(QStringLiteral("pgcPages"));
    tabs->setGeometry(10, 10, 300, 200);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabOne"));
    tabs->addTab(page, QStringLiteral("One"));
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QStringLiteral("edtOnPage"));
    edit->setGeometry(10, 10, 100, 24);
    ASSERT_FALSE(elastic::HasOwnFont(edit));
    form.Attach();
    form.Show();
    EXPECT_EQ(form.elastic->ControlCount(), 2);
    EXPECT_TRUE(elastic::HasOwnFont(edit));
    const QSizeF r = form.Grow();
    EXPECT_EQ(edit->geometry(), QRect(RoundEven(10 * r.width()), RoundEven(10 * r.height()),
                                      RoundEven(100 * r.width()), RoundEven(24 * r.height())));
    EXPECT_EQ(PointsOf(edit->font()), HalfDown(form.elastic->FontRatio() * 10));
    EXPECT_EQ(PointsOf(tabs->tabBar()->font()), HalfDown(form.elastic->FontRatio() * 10));
}

// ---- labels and AutoSize ----

TEST(ElasticControls, LabelsRefitToTheirScaledFont)
{
    Form form;
    auto* fixed = new QLabel(QStringLiteral("A caption longer than its box"), form.widget.get());
    fixed->setObjectName(QStringLiteral("lblFixed"));
    fixed->setGeometry(10, 200, 40, 14);
    fixed->setFont(Pixels(13));
    auto* roomy = new QLabel(QStringLiteral("x"), form.widget.get());
    roomy->setObjectName(QStringLiteral("lblRoomy"));
    roomy->setGeometry(10, 100, 200, 60);
    roomy->setFont(Pixels(13));
    auto* automatic = new QLabel(QStringLiteral("Fits"), form.widget.get());
    automatic->setObjectName(QStringLiteral("lblAuto"));
    automatic->setProperty("AutoSize", true);
    automatic->setGeometry(300, 200, 150, 50);
    automatic->setFont(Pixels(13));
    form.Attach();
    form.Show();
    const QSizeF r = form.Grow();
    // AutoSize off: fitted to the text, never smaller than the scaled bounds.
    EXPECT_EQ(fixed->pos(), QPoint(RoundEven(10 * r.width()), RoundEven(200 * r.height())));
    EXPECT_EQ(fixed->size(),
              fixed->sizeHint().expandedTo(QSize(RoundEven(40 * r.width()), RoundEven(14 * r.height()))));
    EXPECT_GT(fixed->width(), RoundEven(40 * r.width()));
    EXPECT_EQ(roomy->size(), QSize(RoundEven(200 * r.width()), RoundEven(60 * r.height())));
    // AutoSize on: exactly fitted.
    EXPECT_EQ(automatic->size(), automatic->sizeHint());
}

// ---- extra fonts ----

TEST(ElasticControls, ExtraFontPropertiesScale)
{
    Form form;
    auto* carrier = new FontCarrier(form.widget.get());
    carrier->setObjectName(QStringLiteral("fcCarrier"));
    carrier->setGeometry(10, 10, 200, 100);
    carrier->setFont(Pixels(13));
    carrier->SetCaptionFont(Pixels(19));
    carrier->SetTitleFont(Pixels(16));
    carrier->PartnerWidget()->setFont(Pixels(12));
    const std::vector<elastic::TFontRef> extra = elastic::ExtraFonts(carrier);
    ASSERT_EQ(extra.size(), 2u); // captionFont, and the partner's font one level down
    EXPECT_EQ(extra[0].property, QByteArray("captionFont"));
    EXPECT_EQ(extra[1].object, carrier->PartnerWidget());
    form.Attach();
    form.Show();
    form.Grow();
    const double ratio = form.elastic->FontRatio();
    EXPECT_EQ(PointsOf(carrier->CaptionFont()), HalfDown(ratio * 14));
    EXPECT_EQ(PointsOf(carrier->TitleFont()), HalfDown(ratio * 12));
    EXPECT_EQ(PointsOf(carrier->PartnerWidget()->font()), HalfDown(ratio * 9));
    EXPECT_EQ(PointsOf(carrier->font()), HalfDown(ratio * 10));
}

TEST(ElasticControls, ExtraFontsCanBeLeftAlone)
{
    Form form;
    auto* carrier = new FontCarrier(form.widget.get());
    carrier->setObjectName(QStringLiteral("fcCarrier"));
    carrier->SetCaptionFont(Pixels(19));
    form.Attach();
    form.elastic->SetLookForExtraFonts(false);
    form.Show();
    form.Grow();
    EXPECT_EQ(carrier->CaptionFont().pixelSize(), 19);
}

// ---- background picture ----

// A 10 x 10 picture: column 0 red, the rest of row 0 green, everything else blue.
QPixmap Tile()
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int x = 1; x < 10; ++x)
        image.setPixel(x, 0, qRgb(0, 255, 0));
    for (int y = 0; y < 10; ++y)
        image.setPixel(0, y, qRgb(255, 0, 0));
    return QPixmap::fromImage(image);
}

TEST(ElasticControls, BackgroundPictureIsTiledWithAOnePixelOverlap)
{
    Form form;
    auto* image = new QLabel(form.widget.get());
    image->setObjectName(QStringLiteral("imgBack"));
    image->setPixmap(Tile());
    image->setGeometry(400, 200, 10, 10);
    form.Attach();
    form.elastic->SetBkGrndImage(image);
    EXPECT_FALSE(image->isVisibleTo(form.widget.get()));
    form.Show();
    const QImage shot = form.widget->grab().toImage();
    auto at = [&](int x, int y) { return QColor(shot.pixel(x, y)); };
    EXPECT_EQ(at(0, 0), QColor(Qt::red));
    EXPECT_EQ(at(5, 0), QColor(0, 255, 0));
    EXPECT_EQ(at(5, 5), QColor(Qt::blue));
    EXPECT_EQ(at(8, 5), QColor(Qt::blue));
    EXPECT_EQ(at(9, 5), QColor(Qt::red));  // the second tile starts at 10 - 1
    EXPECT_EQ(at(18, 5), QColor(Qt::red)); // the third at 20 - 2
    EXPECT_EQ(at(5, 9), QColor(0, 255, 0));
    EXPECT_EQ(at(9 * 30, 9 * 20 + 5), QColor(Qt::red));
    // The last tile reaches the client area's edge.
    EXPECT_EQ(at(501, 268), at(501 - 9, 268 - 9));
}

TEST(ElasticControls, BackgroundPictureIsStretchedWhenItsLabelScalesItsContents)
{
    Form form;
    auto* image = new QLabel(form.widget.get());
    image->setObjectName(QStringLiteral("imgBack"));
    image->setPixmap(Tile());
    image->setScaledContents(true);
    form.Attach();
    form.elastic->SetBkGrndImage(image);
    form.Show();
    const QImage shot = form.widget->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(2, 100)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(100, 2)), QColor(0, 255, 0));
    EXPECT_EQ(QColor(shot.pixel(100, 100)), QColor(Qt::blue));
    EXPECT_EQ(QColor(shot.pixel(60, 50)), QColor(Qt::blue)); // no tile edge at 51 pixels
    form.elastic->SetBkGrndImage(nullptr);
    const QImage plain = form.widget->grab().toImage();
    EXPECT_NE(QColor(plain.pixel(100, 100)), QColor(Qt::blue));
}

// ---- MDI forms ----

TEST(ElasticControls, MdiChildScalesWithItsSubWindowAndDragsEndOnRelease)
{
    QMainWindow parent;
    parent.setObjectName(QStringLiteral("frmParent"));
    auto* area = new QMdiArea;
    area->setObjectName(QStringLiteral("mdiArea"));
    parent.setCentralWidget(area);
    parent.resize(700, 600);
    auto* child = new QWidget;
    child->setObjectName(QStringLiteral("frmChild"));
    child->setFont(Pixels(13));
    auto* key = new QPushButton(QStringLiteral("Key"), child);
    key->setObjectName(QStringLiteral("btnKey"));
    key->setGeometry(20, 20, 100, 40);
    key->setFont(Pixels(13));
    QMdiSubWindow* sub = area->addSubWindow(child);
    sub->setGeometry(10, 10, 308, 228);
    // The sub-window lays out its form when shown: the design client size is what it gets then.
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const QSize client = child->size();
    parent.hide();
    auto* e = new TElasticForm(child);
    e->SetDesignFormWidth(308);
    e->SetDesignFormHeight(228);
    e->SetDesignFormClientWidth(client.width());
    e->SetDesignFormClientHeight(client.height());
    e->SetDesignFormLeft(10);
    e->SetDesignFormTop(10);
    e->SetResolutionIndependence(false);
    e->SetPlacementStore(std::make_shared<elastic::TMemoryPlacementStore>());
    int rescales = 0;
    e->SetOnAfterResize([&rescales](QObject*) { ++rescales; });
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ASSERT_TRUE(e->Initialized());
    EXPECT_EQ(platform::OuterGeometry(child), QRect(10, 10, 308, 228));
    EXPECT_TRUE(e->Activated()); // an MDI child arms the counter at its first display
    EXPECT_EQ(key->geometry(), QRect(20, 20, 100, 40));

    sub->resize(408, 328);
    const double rx = child->width() / static_cast<double>(client.width());
    const double ry = child->height() / static_cast<double>(client.height());
    EXPECT_EQ(key->geometry(),
              QRect(RoundEven(20 * rx), RoundEven(20 * ry), RoundEven(100 * rx), RoundEven(40 * ry)));

    // A drag: pressed on the sub-window until released.
    const int before = rescales;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 300), QPointF(300, 300), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    msg::TranslateWindowEvent(child, sub, &press, true);
    sub->resize(458, 378);
    sub->resize(508, 428);
    EXPECT_TRUE(e->DragInProgress());
    EXPECT_EQ(rescales, before);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(400, 400), QPointF(400, 400), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    msg::TranslateWindowEvent(child, sub, &release, true);
    EXPECT_FALSE(e->DragInProgress());
    EXPECT_EQ(rescales, before + 1);
    EXPECT_EQ(key->width(), RoundEven(100 * child->width() / static_cast<double>(client.width())));
}

TEST(ElasticControls, MdiParentPaintsItsBackgroundOnTheArea)
{
    QMainWindow parent;
    parent.setObjectName(QStringLiteral("frmParent"));
    auto* area = new QMdiArea;
    area->setObjectName(QStringLiteral("mdiArea"));
    parent.setCentralWidget(area);
    parent.resize(400, 300);
    auto* image = new QLabel(&parent);
    image->setObjectName(QStringLiteral("imgBack"));
    image->setPixmap(Tile());
    auto* e = new TElasticForm(&parent);
    e->SetResolutionIndependence(false);
    e->SetPlacementStore(std::make_shared<elastic::TMemoryPlacementStore>());
    EXPECT_EQ(msg::HookCount(area->viewport()), 1);
    e->SetBkGrndImage(image);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const QImage shot = area->viewport()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(0, 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(9, 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::blue));
    e->SetBkGrndImage(nullptr);
    EXPECT_NE(QColor(area->viewport()->grab().toImage().pixel(5, 5)), QColor(Qt::blue));
    const QBrush own = area->background();
    e->SetBkGrndImage(image);
    EXPECT_EQ(area->background().style(), Qt::NoBrush);
    delete e; // the form lives on: the area paints its own background again
    EXPECT_EQ(area->background(), own);
    EXPECT_EQ(msg::HookCount(area->viewport()), 0);
}

} // namespace

#include "ElasticControlsTest.moc"
