// The form scaler's treatment of control kinds on small test forms (offscreen platform): which
// widgets it registers and in which order, grids, toolbars, header sections, tab pages, labels,
// extra font properties, the background picture, and MDI parent and child forms.

#include <cmath>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "TempRegistry.h"
#include "controls/ElastFrm.h"
#include "controls/ElasticControls.h"

namespace {

using Kind = platform::WindowEvent::Kind;

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
    controlstest::TempRegistry stored; // the placement goes here
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
        elastic->SetDesignFormSize(QSize(510, 315), QSize(502, 269));
        elastic->Options().DesignFormLeft = 100;
        elastic->Options().DesignFormTop = 100;
    }

    void Show()
    {
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        platform::SendWindowEvent(widget.get(), {.kind = Kind::GeometryChanging});
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
    auto* status = new QStatusBar(w);
    status->setObjectName(QStringLiteral("sbrStatus"));
    auto* panel = new QLabel(status);
    panel->setObjectName(QStringLiteral("lblPanel"));
    status->addWidget(panel);
    auto* dialog = new QDialog(w);
    auto* inDialog = new QPushButton(dialog);
    inDialog->setObjectName(QStringLiteral("btnInDialog"));

    EXPECT_TRUE(elastic::IsNamed(named));
    EXPECT_FALSE(elastic::IsNamed(internal));
    const std::vector<QWidget*> controls = elastic::CollectControls(w);
    const std::vector<QWidget*> expected = {named, inner, status};
    EXPECT_EQ(controls, expected);
}

TEST(ElasticControls, MainWindowPartsAreAligned)
{
    QMainWindow window;
    auto* central = new QWidget;
    window.setCentralWidget(central);
    auto* status = new QStatusBar;
    window.setStatusBar(status);
    auto* loose = new QWidget(&window);
    EXPECT_EQ(elastic::AlignOf(central), elastic::TAlign::alClient);
    EXPECT_EQ(elastic::AlignOf(status), elastic::TAlign::alBottom);
    EXPECT_EQ(elastic::AlignOf(loose), elastic::TAlign::alNone);
    EXPECT_TRUE(elastic::IsLayoutManaged(status));
    EXPECT_FALSE(elastic::IsLayoutManaged(loose));
}

TEST(ElasticControls, StatusBarPanelsScale)
{
    Form form;
    auto* status = new QStatusBar(form.widget.get());
    status->setObjectName(QStringLiteral("sbrStatus"));
    status->setGeometry(0, 250, 502, 19);
    auto* panel = new QLabel(QStringLiteral("panel"));
    panel->setFixedWidth(200);
    panel->setFont(Pixels(11));
    status->addWidget(panel);
    form.Attach();
    form.Show();
    const QSizeF r = form.Grow(); // the font ratio: the smaller of 711 / 502 and 423 / 269
    EXPECT_EQ(panel->width(), RoundEven(200 * r.width()));
    EXPECT_EQ(PointsOf(panel->font()), HalfDown(711.0 / 502.0 * 8));
}

// ---- labels ----

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
    form.Attach();
    form.Show();
    const QSizeF r = form.Grow();
    // Fitted to the text, never smaller than the scaled bounds.
    EXPECT_EQ(fixed->pos(), QPoint(RoundEven(10 * r.width()), RoundEven(200 * r.height())));
    EXPECT_EQ(fixed->size(),
              fixed->sizeHint().expandedTo(QSize(RoundEven(40 * r.width()), RoundEven(14 * r.height()))));
    EXPECT_GT(fixed->width(), RoundEven(40 * r.width()));
    EXPECT_EQ(roomy->size(), QSize(RoundEven(200 * r.width()), RoundEven(60 * r.height())));
}

} // namespace
