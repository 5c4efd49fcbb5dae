// The main window's adding machine: the switches in the Options menu (decimal places and add mode,
// rounding, grand total, item count), the Calculate menu with its keys (subtotal, grand total,
// non-add) and the status bar panel that shows the switches not at their defaults.

#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "ui/SettingsStore.h"

namespace ui {
namespace {

using engine::CalcKey;
using engine::DecimalPlaces;

// The switches' menu items, in menu order, with the engine's settings they stand for.
struct PlacesItem
{
    const char* name;
    const char* caption;
    DecimalPlaces places;
};
constexpr PlacesItem PlacesItems[] = {
    {"mnuOptionsDecimalPlacesFloating", "&Floating", DecimalPlaces::Floating},
    {"mnuOptionsDecimalPlaces0", "&0", DecimalPlaces::Zero},
    {"mnuOptionsDecimalPlaces2", "&2", DecimalPlaces::Two},
    {"mnuOptionsDecimalPlaces3", "&3", DecimalPlaces::Three},
    {"mnuOptionsDecimalPlaces4", "&4", DecimalPlaces::Four},
    {"mnuOptionsDecimalPlacesAdd", "&Add", DecimalPlaces::Add},
};

struct RoundingItem
{
    const char* name;
    const char* caption;
    TBcdRounding rounding;
    const char* shown; // in the status bar
};
constexpr RoundingItem RoundingItems[] = {
    {"mnuOptionsRounding54", "&5/4", TBcdRounding::HalfUp, "5/4"},
    {"mnuOptionsRoundingUp", "&Up", TBcdRounding::Up, "Up"},
    {"mnuOptionsRoundingDown", "&Down", TBcdRounding::Down, "Down"},
};

struct KeyItem
{
    const char* name;
    const char* caption;
    const char* keyText;
    CalcKey key;
};
constexpr KeyItem CalculateItems[] = {
    {"mnuCalculateSubtotal", "&Subtotal", "S", CalcKey::Subtotal},
    {"mnuCalculateGrandTotal", "&Grand Total", "G", CalcKey::GrandTotal},
    {"mnuCalculateNonAdd", "&Non-Add", "#", CalcKey::NonAdd},
};

QAction* Item(QObject* owner, QMenu* menu, const char* name, const char* caption, bool checked)
{
    auto* a = new QAction(QString::fromLatin1(caption), owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setChecked(checked);
    menu->addAction(a);
    return a;
}

} // namespace

void TfrmMain::CreateCalculateMenu(QMenuBar* bar)
{
    QMenu* calculate = bar->addMenu(QStringLiteral("&Calculate"));
    calculate->setObjectName(QStringLiteral("mnuCalculate"));
    for (const KeyItem& k : CalculateItems) {
        auto* a = new QAction(QString::fromLatin1(k.caption), this);
        a->setObjectName(QString::fromLatin1(k.name));
        // Drawn in the menu and read out as the key binding; the key itself runs through the keyboard map.
        a->setShortcut(QKeySequence(QString::fromLatin1(k.keyText), QKeySequence::PortableText));
        calculate->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, key = k.key] { Guarded([this, key] { RunKey(key, false); }); });
    }
    connect(calculate, &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, &TfrmMain::LeaveMenuBar); });
}

void TfrmMain::CreateSwitchMenus(QMenu* options)
{
    options->addSeparator()->setObjectName(QStringLiteral("mnuOptionsLine1"));
    QMenu* places = options->addMenu(QStringLiteral("Decimal &Places"));
    places->setObjectName(QStringLiteral("mnuOptionsDecimalPlaces"));
    auto* placesGroup = new QActionGroup(this);
    for (std::size_t i = 0; i < std::size(PlacesItems); ++i) {
        mnuOptionsDecimalPlaces_[i] = Item(this, places, PlacesItems[i].name, PlacesItems[i].caption, i == 0);
        placesGroup->addAction(mnuOptionsDecimalPlaces_[i]);
    }
    QMenu* rounding = options->addMenu(QStringLiteral("Ro&unding"));
    rounding->setObjectName(QStringLiteral("mnuOptionsRounding"));
    auto* roundingGroup = new QActionGroup(this);
    for (std::size_t i = 0; i < std::size(RoundingItems); ++i) {
        mnuOptionsRounding_[i] =
            Item(this, rounding, RoundingItems[i].name, RoundingItems[i].caption, i == 0);
        roundingGroup->addAction(mnuOptionsRounding_[i]);
    }
    mnuOptionsGrandTotal_ = Item(this, options, "mnuOptionsGrandTotal", "&Grand Total", false);
    mnuOptionsItemCount_ = Item(this, options, "mnuOptionsItemCount", "&Item Count", false);
    for (QActionGroup* group : {placesGroup, roundingGroup})
        connect(group, &QActionGroup::triggered, this, [this] { AddingMachineSwitched(); });
    for (QAction* a : {mnuOptionsGrandTotal_, mnuOptionsItemCount_})
        connect(a, &QAction::triggered, this, [this] { AddingMachineSwitched(); });

    switchesPanel_ = new QLabel(statusBar_);
    switchesPanel_->setObjectName(QStringLiteral("StatusBarPanel1"));
    switchesPanel_->setFont(statusPanel_->font());
    switchesPanel_->setStyleSheet(QStringLiteral("color: black"));
    switchesPanel_->setVisible(false);
    statusBar_->addWidget(switchesPanel_);
}

engine::CalcOptions TfrmMain::CurrentCalcOptions() const
{
    engine::CalcOptions o;
    for (std::size_t i = 0; i < std::size(PlacesItems); ++i) {
        if (mnuOptionsDecimalPlaces_[i]->isChecked())
            o.places = PlacesItems[i].places;
    }
    for (std::size_t i = 0; i < std::size(RoundingItems); ++i) {
        if (mnuOptionsRounding_[i]->isChecked())
            o.rounding = RoundingItems[i].rounding;
    }
    o.grandTotal = mnuOptionsGrandTotal_->isChecked();
    o.itemCount = mnuOptionsItemCount_->isChecked();
    return o;
}

void TfrmMain::ApplyStoredSwitches(const StoredOptions& stored)
{
    // A stored value outside the choices keeps the default.
    const auto choose = [](auto& items, int index) {
        const std::size_t chosen = index >= 0 && static_cast<std::size_t>(index) < items.size() ? index : 0;
        items[chosen]->setChecked(true);
    };
    choose(mnuOptionsDecimalPlaces_, stored.DecimalPlaces);
    choose(mnuOptionsRounding_, stored.Rounding);
    mnuOptionsGrandTotal_->setChecked(stored.GrandTotal);
    mnuOptionsItemCount_->setChecked(stored.ItemCount);
    AddingMachineSwitched();
}

void TfrmMain::StoreSwitches(StoredOptions& options) const
{
    for (std::size_t i = 0; i < mnuOptionsDecimalPlaces_.size(); ++i) {
        if (mnuOptionsDecimalPlaces_[i]->isChecked())
            options.DecimalPlaces = static_cast<int>(i);
    }
    for (std::size_t i = 0; i < mnuOptionsRounding_.size(); ++i) {
        if (mnuOptionsRounding_[i]->isChecked())
            options.Rounding = static_cast<int>(i);
    }
    options.GrandTotal = mnuOptionsGrandTotal_->isChecked();
    options.ItemCount = mnuOptionsItemCount_->isChecked();
}

void TfrmMain::AddingMachineSwitched()
{
    const engine::CalcOptions options = CurrentCalcOptions();
    if (options != engine_.State().Options)
        engine_.SetOptions(options);
    ShowSwitches();
}

// "2 5/4 A GT n": the places and the rounding while places are fixed, A for add mode, GT while the
// grand total is on (with its value while not zero), n while the item count is on.
void TfrmMain::ShowSwitches()
{
    const engine::CalcState& s = engine_.State();
    QStringList shown;
    const int places = engine::FixedPlaces(s.Options.places);
    if (places >= 0) {
        shown << QString::number(places);
        for (const RoundingItem& r : RoundingItems) {
            if (r.rounding == s.Options.rounding)
                shown << QString::fromLatin1(r.shown);
        }
    }
    if (s.Options.places == DecimalPlaces::Add)
        shown << QStringLiteral("A");
    if (s.Options.grandTotal)
        shown << (s.GrandTotalText == "0"
                      ? QStringLiteral("GT")
                      : QStringLiteral("GT = ") + Latin1(engine_.Shown(s.GrandTotalText)));
    if (s.Options.itemCount)
        shown << QStringLiteral("n");
    const QString text = shown.join(QLatin1Char(' '));
    switchesPanel_->setText(text);
    switchesPanel_->setAccessibleName(text);
    switchesPanel_->setVisible(!text.isEmpty());
}

} // namespace ui
