#include "ui/Calc.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "controls/Abcbtn.h"
#include "controls/ElastFrm.h"
#include "controls/StTrIcon.h"
#include "platform/Autostart.h"
#include "platform/Locale.h"
#include "platform/qt/Colors.h"
#include "platform/qt/TrayShell.h"
#include "platform/qt/WindowGeometry.h"
#include "platform/qt/WindowMessages.h"
#include "ui/About.h"
#include "ui/ColorSchemes.h"
#include "ui/DialogService.h"
#include "ui/FocusSink.h"
#include "ui/Help.h"
#include "ui/SettingsStore.h"
#include "ui/TapeOutput.h"
#include "ui/TapeView.h"
#include "ui/WindowSize.h"

// Outside any namespace, as the resource system requires.
static void initUiResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace ui {
namespace {

constexpr int ClientWidth = 502;
constexpr int ClientHeight = 269;
constexpr int StatusBarHeight = 19;
constexpr int StatusPanelWidth = 200;
constexpr int PictureDelayMs = 150;
// Earlier builds named the autostart entry this way; it goes whenever the option changes.
constexpr char OldAutostartFileName[] = "quorlane-calculator.desktop";

// The keypad at design size: position in client pixels, caption font size in points, colour.
struct KeySpec
{
    const char* name;
    const char* caption;
    int left, top, width, height;
    int fontPoints;
    TColor color;
    const char* hint;
    engine::CalcKey key;
};

constexpr KeySpec keypad[] = {
    {"btnBack", "Backspace", 8, 44, 80, 30, 9, clMaroon, "", engine::CalcKey::Back},
    {"btnCE", "CE", 91, 44, 80, 30, 12, clMaroon, "Clear Entry", engine::CalcKey::CE},
    {"btnC", "C", 174, 44, 80, 30, 12, clMaroon, "Clear", engine::CalcKey::C},
    {"btnMC", "MC", 8, 84, 38, 30, 10, clPurple, "Memory Clear", engine::CalcKey::MC},
    {"btnMR", "MR", 8, 116, 38, 30, 10, clPurple, "Memory Recall", engine::CalcKey::MR},
    {"btnMS", "MS", 8, 148, 38, 30, 10, clPurple, "Memory Store", engine::CalcKey::MS},
    {"btnMAdd", "M+", 8, 180, 38, 30, 10, clPurple, "Add to Memory", engine::CalcKey::MAdd},
    {"btnMSubtract", "M-", 8, 212, 38, 30, 10, clPurple, "Subtract from Memory", engine::CalcKey::MSubtract},
    {"btn7", "7", 56, 84, 38, 30, 14, clNavy, "", engine::CalcKey::D7},
    {"btn8", "8", 96, 84, 38, 30, 14, clNavy, "", engine::CalcKey::D8},
    {"btn9", "9", 136, 84, 38, 30, 14, clNavy, "", engine::CalcKey::D9},
    {"btn4", "4", 56, 116, 38, 30, 14, clNavy, "", engine::CalcKey::D4},
    {"btn5", "5", 96, 116, 38, 30, 14, clNavy, "", engine::CalcKey::D5},
    {"btn6", "6", 136, 116, 38, 30, 14, clNavy, "", engine::CalcKey::D6},
    {"btn1", "1", 56, 148, 38, 30, 14, clNavy, "", engine::CalcKey::D1},
    {"btn2", "2", 96, 148, 38, 30, 14, clNavy, "", engine::CalcKey::D2},
    {"btn3", "3", 136, 148, 38, 30, 14, clNavy, "", engine::CalcKey::D3},
    {"btn0", "0", 56, 180, 38, 30, 14, clNavy, "", engine::CalcKey::D0},
    {"btn00", "00", 96, 180, 38, 30, 14, clNavy, "", engine::CalcKey::D00},
    {"btnDecimal", ".", 136, 180, 38, 30, 14, clNavy, "", engine::CalcKey::Decimal},
    {"btn000", "000", 56, 212, 78, 30, 14, clNavy, "", engine::CalcKey::D000},
    {"btnPlusMinus", "+/-", 136, 212, 38, 30, 12, clNavy, "", engine::CalcKey::PlusMinus},
    {"btnDivide", "/", 176, 84, 38, 30, 14, clPurple, "", engine::CalcKey::Divide},
    {"btnMultiply", "*", 176, 116, 38, 30, 14, clPurple, "", engine::CalcKey::Multiply},
    {"btnSubtract", "-", 176, 148, 38, 30, 14, clPurple, "", engine::CalcKey::Subtract},
    {"btnAdd", "+", 176, 180, 38, 62, 14, clPurple, "", engine::CalcKey::Add},
    {"btnSquareRoot", "sqrt", 216, 84, 38, 30, 10, clNavy, "", engine::CalcKey::SquareRoot},
    {"btnPercent", "%", 216, 116, 38, 30, 12, clNavy, "", engine::CalcKey::Percent},
    {"btnReciprocal", "1/x", 216, 148, 38, 30, 10, clNavy, "", engine::CalcKey::Reciprocal},
    {"btnEquals", "=", 216, 180, 38, 62, 14, clPurple, "", engine::CalcKey::Equals},
};

// Which modifier set a keyboard-map row accepts.
enum class Mods
{
    None,
    ShiftOnly,
    CtrlOnly,
    Any
};

bool Matches(Mods mods, const platform::VirtualKey& k)
{
    switch (mods) {
    case Mods::None:
        return !k.shift && !k.ctrl && !k.alt;
    case Mods::ShiftOnly:
        return k.shift && !k.ctrl && !k.alt;
    case Mods::CtrlOnly:
        return !k.shift && k.ctrl && !k.alt;
    case Mods::Any:
        return true;
    }
    return false;
}

struct KeyRow
{
    int code;
    Mods mods;
    const char* button;
};

// The key-down stage, in its order; at most one row matches a key and modifier set.
constexpr KeyRow keyDownMap[] = {
    {48, Mods::None, "btn0"},
    {96, Mods::Any, "btn0"},
    {90, Mods::None, "btn00"},
    {88, Mods::None, "btn000"},
    {49, Mods::None, "btn1"},
    {50, Mods::None, "btn2"},
    {51, Mods::None, "btn3"},
    {52, Mods::None, "btn4"},
    {53, Mods::None, "btn5"},
    {54, Mods::None, "btn6"},
    {55, Mods::None, "btn7"},
    {56, Mods::None, "btn8"},
    {57, Mods::None, "btn9"},
    {97, Mods::Any, "btn1"},
    {98, Mods::Any, "btn2"},
    {99, Mods::Any, "btn3"},
    {100, Mods::Any, "btn4"},
    {101, Mods::Any, "btn5"},
    {102, Mods::Any, "btn6"},
    {103, Mods::Any, "btn7"},
    {104, Mods::Any, "btn8"},
    {105, Mods::Any, "btn9"},
    {190, Mods::None, "btnDecimal"},
    {110, Mods::Any, "btnDecimal"},
    {191, Mods::None, "btnDivide"},
    {111, Mods::Any, "btnDivide"},
    {56, Mods::ShiftOnly, "btnMultiply"},
    {106, Mods::Any, "btnMultiply"},
    {109, Mods::Any, "btnSubtract"},
    {187, Mods::ShiftOnly, "btnAdd"},
    {107, Mods::Any, "btnAdd"},
    {187, Mods::None, "btnEquals"},
    {13, Mods::Any, "btnEquals"},
    {120, Mods::None, "btnPlusMinus"},
    {8, Mods::None, "btnBack"},
    {46, Mods::None, "btnCE"},
    {27, Mods::None, "btnC"},
    {50, Mods::ShiftOnly, "btnSquareRoot"},
    {53, Mods::ShiftOnly, "btnPercent"},
    {82, Mods::None, "btnReciprocal"},
    {76, Mods::CtrlOnly, "btnMC"},
    {77, Mods::CtrlOnly, "btnMS"},
};

// The shortcut stage: taken before the menus see the key.
struct ShortcutRow
{
    int code;
    bool needsCtrl; // the Ctrl key held, other modifiers ignored; otherwise any modifiers
    const char* button;
};

constexpr ShortcutRow shortcutMap[] = {
    {platform::vk::OemMinus, false, "btnSubtract"},
    {'R', true, "btnMR"},
    {'A', true, "btnMAdd"},
    {'S', true, "btnMSubtract"},
};

// Points at 96 pixels per inch, rounded half away from zero (14 pt = 19 px, 10 pt = 13 px).
int PointsToPixels(int points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

const KeySpec& KeyByName(std::string_view name)
{
    for (const KeySpec& k : keypad) {
        if (name == k.name)
            return k;
    }
    throw std::logic_error("no key " + std::string(name));
}

QFont KeyFont(int pixels)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

QFont PlainFont(const char* family, int pixels)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    return f;
}

// The display and the tape never keep the focus (it passes to the sink): like edit controls that
// hide their selection without the focus, they never draw it. Copy and Copy Tape still select all.
void HideSelection(QWidget* text)
{
    QPalette p = text->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Highlight, p.color(group, QPalette::Base));
        p.setColor(group, QPalette::HighlightedText, p.color(group, QPalette::Text));
    }
    text->setPalette(p);
}

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Tells when the application's palette changes (only the application object receives that).
class PaletteWatch : public QObject
{
public:
    PaletteWatch(QObject* parent, std::function<void()> changed)
        : QObject(parent), changed_(std::move(changed))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange)
            changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

} // namespace

void InitResources()
{
    static const bool done = [] {
        initUiResources();
        // Fonts the design names that this platform may lack, by their nearest metric twins.
        QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)done;
}

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent),
      engine_(*this, platform::LocaleDecimalSeparator(), platform::LocaleThousandSeparator())
{
    InitResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(PlainFont("Arial", 13));
    CreateControls();
    CreateMenus();
    platform::SetClientSize(this, QSize(ClientWidth, ClientHeight));
    CreateScaler();
    CreateTrayIcon(); // after the scaler: its hook sees the window's messages first
    FormCreate(arguments);
    // Keys reach the keyboard map whichever control of the window has the focus.
    QCoreApplication::instance()->installEventFilter(this);
    // The desktop's colours changed: the system colours of the scheme follow them.
    auto* paletteWatch = new PaletteWatch(this, [this] { ApplyWindowColors(); });
    QCoreApplication::instance()->installEventFilter(paletteWatch);
    // The pictures come once the window is on the screen: loading their format costs start-up time.
    QTimer::singleShot(PictureDelayMs, this, &TfrmMain::LoadPictures);
}

void TfrmMain::LoadPictures()
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/calculator.svg")));
    for (const auto& [action, file] : pictures_)
        action->setIcon(QIcon(file));
    pictures_.clear();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    memDisplayValue_ = new QLineEdit(client_);
    memDisplayValue_->setObjectName(QStringLiteral("memDisplayValue"));
    memDisplayValue_->setGeometry(8, 9, 245, 24);
    memDisplayValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    memDisplayValue_->setReadOnly(true);
    memDisplayValue_->setFont(PlainFont("Tahoma", 13));
    memDisplayValue_->setCursor(Qt::ArrowCursor);
    memDisplayValue_->setText(QStringLiteral("0"));
    memDisplayValue_->setAccessibleName(QStringLiteral("Display"));

    edtFocus_ = new FocusSink(client_);
    edtFocus_->setObjectName(QStringLiteral("edtFocus"));
    edtFocus_->setGeometry(8, 9, 1, 1);
    edtFocus_->setFrame(false);
    edtFocus_->setText(QStringLiteral("edtFocus"));
    edtFocus_->setAccessibleName(QStringLiteral("Keyboard input"));
    edtFocus_->lower();

    memTape_ = new TapeView(client_);
    memTape_->setObjectName(QStringLiteral("memTape"));
    memTape_->setGeometry(268, 8, 226, 233);
    memTape_->setFont(PlainFont("Courier New", 11));
    memTape_->setAccessibleName(QStringLiteral("History tape"));

    setTabOrder(memDisplayValue_, edtFocus_);
    setTabOrder(edtFocus_, memTape_);
    HideSelection(memDisplayValue_);
    HideSelection(memTape_);

    for (const KeySpec& k : keypad) {
        auto* b = new TabcPicSpeedBtn(client_);
        const QString name = QString::fromLatin1(k.name);
        b->setObjectName(name);
        b->SetCaption(QString::fromLatin1(k.caption));
        b->setGeometry(k.left, k.top, k.width, k.height);
        b->setFont(KeyFont(PointsToPixels(k.fontPoints)));
        b->SetFontColor(k.color);
        b->SetStyle(absThickHighlight);
        b->SetAllowAllUp(true);
        b->SetPopup(false);
        b->SetGroupIndex(0);
        if (*k.hint != '\0')
            b->setToolTip(QString::fromLatin1(k.hint));
        b->setAccessibleName(*k.hint != '\0' ? QString::fromLatin1(k.hint) : QString::fromLatin1(k.caption));
        connect(b, &TabcPicSpeedBtn::OnClick, this, [this, name] { PressButton(name); });
        buttons_[name] = b;
        buttonKeys_[b] = k.key;
    }

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setFixedHeight(StatusBarHeight);
    statusBar_->setSizeGripEnabled(true);
    statusBar_->setFont(PlainFont("Arial", 11));
    statusPanel_ = new QLabel(statusBar_);
    statusPanel_->setObjectName(QStringLiteral("StatusBarPanel0"));
    statusPanel_->setFixedWidth(StatusPanelWidth);
    statusPanel_->setFont(PlainFont("Arial", 11));
    statusPanel_->setStyleSheet(QStringLiteral("color: black"));
    statusPanel_->setAccessibleName(QStringLiteral("Memory indicator"));
    statusBar_->addWidget(statusPanel_);
    setStatusBar(statusBar_);
}

void TfrmMain::CreateMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& caption, int shortcut = 0,
                      const QString& shortcutText = QString(), const char* icon = nullptr) {
        auto* a =
            new QAction(shortcutText.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcutText, this);
        a->setObjectName(QString::fromLatin1(name));
        if (icon != nullptr)
            pictures_.emplace_back(a, QString::fromLatin1(icon));
        menu->addAction(a);
        actions_[a->objectName()] = a;
        if (shortcut != 0)
            shortcuts_.push_back({shortcut, a, menu});
        return a;
    };
    auto separator = [this](QMenu* menu, const char* name) {
        QAction* s = menu->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
        actions_[s->objectName()] = s;
    };
    auto checkable = [](QAction* a, bool checked) {
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    using platform::CtrlBit;
    using platform::ShiftBit;

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    connect(add(file, "mnuFileSave", QStringLiteral("&Save"), 0, {}, ":/icons/save.svg"), &QAction::triggered,
            this, &TfrmMain::mnuFileSaveClick);
    connect(add(file, "mnuFileSaveAs", QStringLiteral("Save &As...")), &QAction::triggered, this,
            &TfrmMain::mnuFileSaveAsClick);
    separator(file, "mnuFileLine1");
    connect(add(file, "mnuFilePrint", QStringLiteral("&Print..."), CtrlBit + 'P', QStringLiteral("Ctrl+P"),
                ":/icons/print.svg"),
            &QAction::triggered, this, &TfrmMain::mnuFilePrintClick);
    separator(file, "mnuFileLine2");
    connect(add(file, "mnuFileExit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &TfrmMain::mnuFileExitClick);

    mnuEdit_ = bar->addMenu(QStringLiteral("&Edit"));
    mnuEdit_->setObjectName(QStringLiteral("mnuEdit"));
    connect(mnuEdit_, &QMenu::aboutToShow, this, &TfrmMain::mnuEditClick);
    connect(add(mnuEdit_, "mnuEditCopy", QStringLiteral("&Copy"), CtrlBit + 'C', QStringLiteral("Ctrl+C"),
                ":/icons/copy.svg"),
            &QAction::triggered, this, &TfrmMain::mnuEditCopyClick);
    connect(add(mnuEdit_, "mnuEditPaste", QStringLiteral("&Paste"), CtrlBit + 'V', QStringLiteral("Ctrl+V"),
                ":/icons/paste.svg"),
            &QAction::triggered, this, &TfrmMain::mnuEditPasteClick);
    separator(mnuEdit_, "mnuEditLine1");
    connect(add(mnuEdit_, "mnuEditCopyTape", QStringLiteral("C&opy Tape")), &QAction::triggered, this,
            &TfrmMain::mnuEditCopyTapeClick);
    connect(add(mnuEdit_, "mnuEditClearTape", QStringLiteral("Clear &Tape..."),
                ShiftBit + platform::vk::Delete, QStringLiteral("Shift+Del")),
            &QAction::triggered, this, &TfrmMain::mnuEditClearTapeClick);
    separator(mnuEdit_, "mnuEditLine2");
    connect(add(mnuEdit_, "mnuEditResetSize", QStringLiteral("&Reset Size")), &QAction::triggered, this,
            &TfrmMain::mnuEditResetSizeClick);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    connect(checkable(add(view, "mnuViewHistoryTape", QStringLiteral("&History Tape")), true),
            &QAction::triggered, this, &TfrmMain::mnuViewHistoryTapeClick);
    connect(checkable(add(view, "mnuViewFlatButtons", QStringLiteral("&Flat Buttons")), false),
            &QAction::triggered, this, &TfrmMain::mnuViewFlatButtonsClick);

    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    connect(checkable(add(options, "mnuOptionsAlwaysOnTop", QStringLiteral("&Always on Top")), false),
            &QAction::triggered, this, &TfrmMain::mnuOptionsAlwaysOnTopClick);
    connect(checkable(add(options, "mnuOptionsTrayIcon", QStringLiteral("&Tray Icon")), false),
            &QAction::triggered, this, &TfrmMain::mnuOptionsTrayIconClick);
    connect(checkable(add(options, "mnuOptionsRunOnStartup", QStringLiteral("&Run on Startup")), false),
            &QAction::triggered, this, &TfrmMain::mnuOptionsRunOnStartupClick);
    QMenu* inputLogic = options->addMenu(QStringLiteral("&Input Logic"));
    inputLogic->setObjectName(QStringLiteral("mnuOptionsInputLogic"));
    inputLogic->menuAction()->setVisible(false);
    add(inputLogic, "mnuOptionsInputLogicAlgebraic", QStringLiteral("&Algebraic"));
    add(inputLogic, "mnuOptionsInputLogicRPN", QStringLiteral("RPN"));
    QMenu* schemes = options->addMenu(QStringLiteral("&Color Scheme"));
    schemes->setObjectName(QStringLiteral("mnuOptionsColorScheme"));
    auto* schemeGroup = new QActionGroup(this);
    schemeGroup->setExclusive(true);
    const std::pair<const char*, const char*> schemeItems[] = {
        {"mnuOptionsColorSchemeDefault", "Default"}, {"mnuOptionsColorSchemeBlack", "Black"},
        {"mnuOptionsColorSchemeDesert", "Desert"},   {"mnuOptionsColorSchemeEggplant", "Eggplant"},
        {"mnuOptionsColorSchemeRose", "Rose"},       {"mnuOptionsColorSchemeTraditional", "Traditional"},
    };
    for (const auto& [name, caption] : schemeItems) {
        QAction* a = checkable(add(schemes, name, QString::fromLatin1(caption)),
                               std::string_view(name) == "mnuOptionsColorSchemeDefault");
        schemeGroup->addAction(a);
        for (int index = 0; index < SchemeCount; ++index) {
            if (std::string_view(SchemeMenuItem(index)) == name)
                connect(a, &QAction::triggered, this, [this, index] { SchemeClick(index); });
        }
    }

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(add(help, "mnuHelpKeyboardEquivalents", QStringLiteral("&Keyboard Equivalents"), platform::vk::F1,
                QStringLiteral("F1"), ":/icons/keyboard.svg"),
            &QAction::triggered, this, &TfrmMain::mnuHelpKeyboardEquivalentsClick);
    QAction* whatsThis =
        add(help, "mnuHelpWhatsThis", QStringLiteral("What's &This?"), 0, QStringLiteral("Shift+F1"));
    whatsThis->setVisible(false);
    whatsThis->setEnabled(false);
    separator(help, "mnuHelpLine1");
    connect(add(help, "mnuHelpAboutCalculator", QStringLiteral("&About Quorlane Calculator")),
            &QAction::triggered, this, &TfrmMain::mnuHelpAboutCalculatorClick);

    for (QMenu* menu : {file, mnuEdit_, view, options, help})
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, &TfrmMain::LeaveMenuBar); });

    mnuTray_ = new QMenu(this);
    mnuTray_->setObjectName(QStringLiteral("mnuTray"));
    QAction* open =
        add(mnuTray_, "mnuTrayOpenQuorlaneCalculator", QStringLiteral("&Open Quorlane Calculator"));
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    mnuTray_->setDefaultAction(open);
    connect(open, &QAction::triggered, this, &TfrmMain::mnuTrayOpenQuorlaneCalculatorClick);
    separator(mnuTray_, "mnuTrayLine1");
    connect(add(mnuTray_, "mnuTrayExit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &TfrmMain::mnuTrayExitClick);
}

void TfrmMain::FormCreate(const QStringList& arguments)
{
    loading_ = true;
    StoredOptions stored;
    ReadOptions(stored);
    SetChecked("mnuViewFlatButtons", stored.Flat);
    SetChecked("mnuViewHistoryTape", stored.Tape);
    SetChecked("mnuOptionsAlwaysOnTop", stored.OnTop);
    SetChecked("mnuOptionsTrayIcon", stored.TrayIcon);
    SetChecked("mnuOptionsRunOnStartup", stored.RunOnStartup);
    schemeIndex_ = stored.Color;

    if (Checked("mnuViewFlatButtons"))
        ToggleFlatButtons();
    ToggleTape();
    if (Checked("mnuOptionsAlwaysOnTop"))
        ToggleOnTop();
    if (Checked("mnuOptionsTrayIcon"))
        ToggleTrayIcon();
    // Hidden only where the icon really shows: otherwise the window could not be reached.
    startHidden_ = !arguments.isEmpty() && arguments.first() == QLatin1String("/tray") &&
                   Checked("mnuOptionsTrayIcon") && Checked("mnuOptionsRunOnStartup") && TrayIcon->IsShown();
    const char decimal = engine_.State().DecimalChar;
    buttons_.at(QStringLiteral("btnDecimal"))->SetCaption(QString(QLatin1Char(decimal)));
    SetColorScheme();
    SetDisplayText("0");
    loading_ = false;
}

bool TfrmMain::Checked(const char* item) const
{
    return actions_.at(QString::fromLatin1(item))->isChecked();
}

void TfrmMain::SetChecked(const char* item, bool checked)
{
    actions_.at(QString::fromLatin1(item))->setChecked(checked);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The calculator's close ends the program, whatever other windows are open.
    emit Closed();
}

StoredOptions TfrmMain::CurrentOptions() const
{
    StoredOptions options;
    options.Flat = Checked("mnuViewFlatButtons");
    options.Tape = Checked("mnuViewHistoryTape");
    options.OnTop = Checked("mnuOptionsAlwaysOnTop");
    options.TrayIcon = Checked("mnuOptionsTrayIcon");
    options.RunOnStartup = Checked("mnuOptionsRunOnStartup");
    options.Color = schemeIndex_;
    return options;
}

bool TfrmMain::FormCloseQuery()
{
    if (ended_) // EndSession wrote them just now
        return true;
    if (sessionEnding_) {
        SaveOptionsForSessionEnd();
        return true;
    }
    const StoredOptions options = CurrentOptions();
    for (;;) {
        try {
            WriteOptions(options);
            return true;
        } catch (const std::exception& e) {
            // The options could not be stored: the user may try again, close without them, or stay.
            switch (Dialogs().Box(this, BoxKind::Error, QStringLiteral("Error"),
                                  QString::fromLocal8Bit(OptionsNotSavedText(e)),
                                  BoxButtons::RetryCloseAnywayCancel)) {
            case BoxAnswer::Retry:
                continue;
            case BoxAnswer::CloseAnyway:
                return true;
            default:
                return false;
            }
        }
    }
}

void TfrmMain::SaveOptionsForSessionEnd()
{
    sessionEnding_ = true;
    try {
        WriteOptions(CurrentOptions());
    } catch (const std::exception& e) {
        // Nobody may be there to answer a box: say it where a log would be.
        QString text = QString::fromLocal8Bit(OptionsNotSavedText(e));
        text.replace(QLatin1String("\r\r"), QLatin1String(". ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
        std::fprintf(stderr, "quorcalc: %s\n", text.toLocal8Bit().constData());
    }
}

void TfrmMain::EndSession()
{
    SaveOptionsForSessionEnd();
    ended_ = true;
    emit Closed();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TfrmMain::FormShow()
{
    edtFocus_->setFocus(Qt::OtherFocusReason);
    SetMinMaxSize();
}

void TfrmMain::CreateScaler()
{
    ElasticForm = new TElasticForm(this);
    ElasticForm->setObjectName(QStringLiteral("ElasticForm"));
    ElasticForm->SetDesignScreenWidth(1032);
    ElasticForm->SetDesignScreenHeight(748);
    ElasticForm->SetDesignPixelsPerInch(96);
    ElasticForm->SetDesignFormWidth(DesignWidthWithTape);
    ElasticForm->SetDesignFormHeight(DesignHeight);
    ElasticForm->SetDesignFormClientWidth(ClientWidth);
    ElasticForm->SetDesignFormClientHeight(ClientHeight);
    ElasticForm->SetDesignFormLeft(636);
    ElasticForm->SetDesignFormTop(485);
    ElasticForm->SetMaintainProportions(true);
    ElasticForm->SetElFrmIniFile(QStringLiteral("Software\\Quorlane\\Calculator\\1.0"));
    ElasticForm->SetEFActiveControl(QStringLiteral("edtFocus"));
    ElasticForm->SetResolutionIndependence(false);
    ElasticForm->SetOnAfterResize([this](QObject*) { ElasticFormAfterResize(); });
}

void TfrmMain::CreateTrayIcon()
{
    TrayIcon = new TStTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->SetActive(false);
    TrayIcon->SetHint(QString::fromLatin1(ApplicationTitle));
    TrayIcon->SetPopupMenu(mnuTray_);
    TrayIcon->SetCloseToTray(true);
    TrayIcon->Loaded();
    // A single left click restores the window, as on other Linux tray programs (a double click does
    // too, as the icon's own default).
    connect(TrayIcon, &TStTrayIcon::OnClick, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            Guarded([this] { TrayIcon->RestoreFromTray(); });
    });
    // At logon the panel often starts after the program: the icon the options ask for appears as
    // soon as a notification area does.
    connect(&platform::tray::TrayShellEvents(), &platform::tray::TTrayShellEvents::AvailabilityChanged, this,
            [this](bool available) {
                if (available && Checked("mnuOptionsTrayIcon") && !TrayIcon->Active())
                    ShowTrayIcon();
            });
}

// The icon the option asks for; false when no notification area can show it now.
bool TfrmMain::ShowTrayIcon()
{
    // The program's own icon, loaded when first shown: a start without the tray icon needs no
    // picture decoder for it.
    if (TrayIcon->Icon().isNull())
        TrayIcon->SetIcon(QIcon(QStringLiteral(":/icons/calculator.svg")));
    try {
        TrayIcon->SetActive(true);
        return true;
    } catch (const EStTrayIconError&) {
        return false;
    }
}

void TfrmMain::ToggleTrayIcon()
{
    if (!Checked("mnuOptionsTrayIcon")) {
        TrayIcon->SetActive(false);
        return;
    }
    if (ShowTrayIcon() || loading_)
        return; // at start-up the stored choice stays: the icon comes with the notification area
    // Chosen on a desktop without a notification area: a window hidden there could never be reached
    // again. The option stays off and the user is told why.
    SetChecked("mnuOptionsTrayIcon", false);
    Dialogs().Box(this, BoxKind::Error, QStringLiteral("Error"),
                  QStringLiteral("The tray icon cannot be shown: this desktop has no notification area."),
                  BoxButtons::Ok);
}

// ---- window size and position ----

QRect TfrmMain::GetWorkArea() const
{
    const QRect area = platform::AvailableGeometry(this);
    return area.isValid() ? area
                          : QRect(QPoint(0, 0), screen() != nullptr ? screen()->size() : QSize(1024, 768));
}

void TfrmMain::AdjustFormPosition()
{
    // A maximized or minimized window is where the window manager put it; moving it would end that
    // state, and Restore could no longer bring back the size before. Right after a change of state
    // the window system reports the new size before the new position: nothing is moved then.
    if ((windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) ||
        platform::SettlingStateChange(this))
        return;
    const QRect outer = platform::OuterGeometry(this);
    const QRect adjusted = AdjustedPosition(outer, GetWorkArea());
    if (adjusted != outer)
        platform::SetOuterGeometry(this, adjusted);
}

void TfrmMain::SetMinMaxSize()
{
    const QRect work = GetWorkArea();
    const TrackLimits t = MinMaxSize(Checked("mnuViewHistoryTape"), work.x() + work.width(), work.height());
    ElasticForm->SetMaximumTrackWidth(t.maximumWidth);
    ElasticForm->SetMaximumTrackHeight(t.maximumHeight);
    ElasticForm->SetMinimumTrackWidth(t.minimumWidth);
    ElasticForm->SetMinimumTrackHeight(t.minimumHeight);
}

void TfrmMain::ElasticFormAfterResize()
{
    PositionToTapeBottom();
    AdjustFormPosition();
}

void TfrmMain::PositionToTapeBottom()
{
    memTape_->ShowInsertionPoint();
}

// Sets the outer width of the window as a program change. The tracking limits bound the user's
// dragging, not the program's own changes (the scaler puts them back when scaling resumes).
void TfrmMain::SetOuterWidth(int width)
{
    SetOuterSize(QSize(width, platform::OuterGeometry(this).height()));
}

void TfrmMain::SetOuterSize(QSize size)
{
    QWidget* frame = platform::FrameWidget(this);
    frame->setMinimumSize(0, 0);
    frame->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QRect outer = platform::OuterGeometry(this);
    outer.setSize(size);
    platform::SetOuterGeometry(this, outer);
}

void TfrmMain::ToggleTape()
{
    const bool show = Checked("mnuViewHistoryTape");
    ElasticForm->SuspendScaling();
    memTape_->setVisible(show);
    ElasticForm->UpdateControlBounds(memTape_);
    const int width = platform::OuterGeometry(this).width();
    // During creation the window has its design width with the tape: only hiding changes it then.
    if (!show || !loading_) {
        SetOuterWidth(show ? WidthWithTape(width) : WidthWithoutTape(width));
        ElasticForm->UpdateControlBounds(this);
    }
    SetMinMaxSize();
    ElasticForm->ResetDesignSize();
    ElasticForm->ResumeScaling();
    if (!loading_)
        ElasticForm->SaveFormState();
    if (show)
        PositionToTapeBottom();
    AdjustFormPosition();
}

void TfrmMain::ResetButtonSize(TabcPicSpeedBtn* button, int height, int width, int top, int left, int points)
{
    button->setGeometry(left, top, width, height);
    QFont f = button->font();
    f.setPixelSize(PointsToPixels(points));
    button->setFont(f);
    ElasticForm->UpdateControlBounds(button);
}

void TfrmMain::ResetMemoSize(QWidget* memo, int height, int width, int top, int left, int points)
{
    memo->setGeometry(left, top, width, height);
    QFont f = memo->font();
    f.setPixelSize(PointsToPixels(points));
    memo->setFont(f);
    ElasticForm->UpdateControlBounds(memo);
}

void TfrmMain::memDisplayValueEnter()
{
    edtFocus_->setFocus(Qt::OtherFocusReason);
}

TabcPicSpeedBtn* TfrmMain::Button(const QString& name) const
{
    const auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

std::vector<std::string> TfrmMain::TapeLines() const
{
    return memTape_->Lines().Lines();
}

// ---- the engine's host ----

std::string TfrmMain::DisplayText() const
{
    return memDisplayValue_->text().toLatin1().toStdString();
}

void TfrmMain::SetDisplayText(std::string_view text)
{
    memDisplayValue_->setText(Latin1(text));
}

void TfrmMain::ClearDisplay()
{
    memDisplayValue_->clear();
}

void TfrmMain::AppendTapeLine(std::string_view line)
{
    memTape_->Append(line);
}

void TfrmMain::ShowMessage(engine::MessageKind kind, std::string_view text)
{
    const BoxKind box = kind == engine::MessageKind::Error     ? BoxKind::Error
                        : kind == engine::MessageKind::Confirm ? BoxKind::Confirm
                                                               : BoxKind::Information;
    Dialogs().Box(this, box, Latin1(engine::CaptionOf(kind)), Latin1(text), BoxButtons::Ok);
}

void TfrmMain::ReleaseKeys()
{
    FormKeyUp();
}

void TfrmMain::SetStatusText(std::string_view text)
{
    statusPanel_->setText(Latin1(text));
}

void TfrmMain::ReportError(std::string_view message)
{
    Dialogs().Box(this, BoxKind::GeneralError, QString::fromLatin1(ApplicationTitle), Latin1(message),
                  BoxButtons::Ok);
}

// ---- keypad and keyboard ----

void TfrmMain::PressButton(const QString& name)
{
    const auto it = buttons_.find(name);
    if (it != buttons_.end())
        engine_.Press(buttonKeys_.at(it->second));
}

void TfrmMain::ProcessKey(TabcPicSpeedBtn* button)
{
    button->SetGroupIndex(1);
    button->SetDown(true);
    button->repaint();
}

bool TfrmMain::FormShortCut(const platform::VirtualKey& key)
{
    bool handled = false;
    for (const ShortcutRow& row : shortcutMap) {
        if (key.code == row.code && (!row.needsCtrl || key.ctrl)) {
            const QString name = QString::fromLatin1(row.button);
            ProcessKey(buttons_.at(name));
            PressButton(name);
            handled = true;
        }
    }
    return handled;
}

bool TfrmMain::MenuShortCut(const platform::VirtualKey& key)
{
    const int value = key.ShortcutValue();
    for (const ShortcutItem& item : shortcuts_) {
        if (item.value != value)
            continue;
        // The parent menu's own handler runs first (the Edit menu's enabling rule).
        if (item.parentMenu == mnuEdit_)
            mnuEditClick();
        if (item.action->isEnabled())
            item.action->trigger();
        return true;
    }
    return false;
}

void TfrmMain::FormKeyDown(const platform::VirtualKey& key)
{
    for (const KeyRow& row : keyDownMap) {
        if (key.code == row.code && Matches(row.mods, key)) {
            const QString name = QString::fromLatin1(row.button);
            ProcessKey(buttons_.at(name));
            PressButton(name);
        }
    }
}

bool TfrmMain::FormKeyPress(QChar character)
{
    // Enter (also Ctrl+M), Ctrl+L and Esc never reach the focus sink.
    const ushort c = character.unicode();
    return c == 13 || c == 12 || c == 27;
}

void TfrmMain::FormKeyUp()
{
    const QList<TabcPicSpeedBtn*> keys = client_->findChildren<TabcPicSpeedBtn*>(Qt::FindDirectChildrenOnly);
    for (TabcPicSpeedBtn* b : keys)
        b->SetDown(false);
    for (TabcPicSpeedBtn* b : keys)
        b->SetGroupIndex(0);
}

// The window sees every key before the control that holds the focus (key preview): keys for the
// window's focus widget, whichever it is. While the menu bar shows a highlighted item (keyboard
// navigation of the menus), its keys are the menu bar's.
bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == memDisplayValue_ || watched == memTape_)
            memDisplayValueEnter();
        break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (QWidget* target = KeyPreviewTarget(watched))
            return KeyPreview(target, static_cast<QKeyEvent*>(event));
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

QWidget* TfrmMain::KeyPreviewTarget(QObject* watched)
{
    if (!watched->isWidgetType())
        return nullptr;
    auto* target = static_cast<QWidget*>(watched);
    // Only the key's first receiver: the window's focus widget (the window itself without one).
    // Keys going on to parents afterwards, other windows and popup menus are not the window's.
    QWidget* receiver = focusWidget() != nullptr ? focusWidget() : this;
    if (target != receiver || target->window() != this)
        return nullptr;
    const auto* bar = qobject_cast<QMenuBar*>(menuWidget());
    if (bar != nullptr && bar->activeAction() != nullptr)
        return nullptr;
    return target;
}

bool TfrmMain::KeyPreview(QWidget* target, QKeyEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        // Every key goes through the keyboard map below, not through Qt's shortcuts; only Alt
        // combinations stay with the menu bar's accelerators.
        if (e->modifiers().testFlag(Qt::AltModifier))
            return false;
        e->accept();
        return true;
    case QEvent::KeyPress: {
        const platform::VirtualKey key = platform::VirtualKeyFromEvent(*e);
        bool taken = false;
        Guarded([&] {
            taken = FormShortCut(key) || MenuShortCut(key);
            if (!taken)
                FormKeyDown(key);
        });
        if (taken)
            return true; // consumed: the menus and the key-down stage never see it
        // The character stage: Enter (also Ctrl+M), Ctrl+L and Esc are discarded; everything else
        // reaches the focus sink, whose text is never used.
        const QString text = e->text();
        if (!text.isEmpty() && FormKeyPress(text.at(0)))
            return true;
        if (target == edtFocus_)
            return false;
        // Another control holds the focus (the menu bar after its use): the focus goes back to the sink.
        edtFocus_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    case QEvent::KeyRelease:
        if (!e->isAutoRepeat())
            Guarded([this] { FormKeyUp(); });
        return true;
    default:
        return false;
    }
}

// A menu left with Esc leaves the menu bar's keyboard navigation at once (Qt keeps the bar's item
// highlighted until a second Esc, taking the keys meanwhile).
void TfrmMain::LeaveMenuBar()
{
    const auto* bar = qobject_cast<QMenuBar*>(menuWidget());
    if (QApplication::activePopupWidget() == nullptr && bar != nullptr && bar->activeAction() != nullptr)
        edtFocus_->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
}

void TfrmMain::BringToFront()
{
    if (isMinimized()) {
        showNormal();
        return;
    }
    if (!isVisible())
        show();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget();
        modal != nullptr && modal != this && modal->isVisible()) {
        modal->raise();
        modal->activateWindow();
    }
}

// ---- menu commands ----

void TfrmMain::mnuFileSaveClick()
{
    if (tapeFileName_.isEmpty()) {
        mnuFileSaveAsClick();
        return;
    }
    Guarded([this] { SaveFile(tapeFileName_, FileMargin); });
}

void TfrmMain::mnuFileSaveAsClick()
{
    Guarded([this] {
        const std::optional<QString> chosen =
            Dialogs().SaveFileName(this, lastSaveName_, QStringLiteral("Text Files (*.txt);;All Files (*.*)"),
                                   QStringLiteral("txt"));
        if (!chosen || chosen->isEmpty())
            return;
        // The default extension goes onto every name without one, whichever filter was chosen.
        QString name = *chosen;
        if (QFileInfo(name).suffix().isEmpty())
            name += QStringLiteral(".txt");
        lastSaveName_ = name;
        if (QFileInfo::exists(name) &&
            Dialogs().Box(
                this, BoxKind::Confirm, QStringLiteral("Confirm"),
                QStringLiteral("File already exists.  Overwrite \r%1?").arg(QDir::toNativeSeparators(name)),
                BoxButtons::YesNoCancel) != BoxAnswer::Yes)
            return;
        SaveFile(name, FileMargin);
        tapeFileName_ = name;
    });
}

void TfrmMain::SaveFile(const QString& fileName, int margin)
{
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    SaveTapeDocument(fileName, memTape_->Lines(), margin, now, QLocale());
}

void TfrmMain::mnuFilePrintClick()
{
    Guarded([this] {
        QPrinter printer;
        if (!Dialogs().PrintDialog(this, printer))
            return;
        const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
        PrintTapeDocument(printer, TapeDocument(memTape_->Lines(), PrintMargin, now, QLocale()));
    });
}

void TfrmMain::mnuFileExitClick()
{
    close();
}

void TfrmMain::mnuEditClick()
{
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    actions_.at(QStringLiteral("mnuEditPaste"))->setEnabled(clip != nullptr && clip->hasText());
    actions_.at(QStringLiteral("mnuEditClearTape"))
        ->setEnabled(actions_.at(QStringLiteral("mnuViewHistoryTape"))->isChecked());
}

void TfrmMain::mnuEditCopyClick()
{
    memDisplayValue_->selectAll();
    QApplication::clipboard()->setText(memDisplayValue_->text());
    edtFocus_->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::mnuEditPasteClick()
{
    memDisplayValue_->selectAll();
    // Spaces of every kind (the no-break and narrow no-break spaces that group digits in many
    // locales) reach the engine as blanks; the rest as Latin-1.
    QString text = QApplication::clipboard()->text();
    for (QChar& c : text) {
        if (c.category() == QChar::Separator_Space)
            c = QLatin1Char(' ');
    }
    engine_.Paste(text.toLatin1().toStdString());
}

void TfrmMain::mnuEditCopyTapeClick()
{
    memTape_->SelectAll();
    QApplication::clipboard()->setText(memTape_->SelectedText());
}

void TfrmMain::mnuEditClearTapeClick()
{
    if (Dialogs().Box(this, BoxKind::Confirm, QStringLiteral("Confirm"),
                      QStringLiteral("Clear tape history?"), BoxButtons::YesNo) == BoxAnswer::Yes)
        memTape_->Clear();
}

void TfrmMain::mnuEditResetSizeClick()
{
    Guarded([this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ElasticForm->SuspendScaling();
        // Whatever happens in between, the scaler resumes and the cursor comes back.
        struct Finish
        {
            TfrmMain* w;
            ~Finish()
            {
                try {
                    w->ElasticForm->ResetDesignSize();
                    w->ElasticForm->ResumeScaling();
                    w->PositionToTapeBottom();
                    w->AdjustFormPosition();
                } catch (...) {
                }
                QApplication::restoreOverrideCursor();
            }
        } finish{this};

        QRect outer = platform::OuterGeometry(this);
        outer.setSize(QSize(Checked("mnuViewHistoryTape") ? DesignWidthWithTape : DesignWidthWithoutTape,
                            DesignHeight));
        platform::SetOuterGeometry(this, outer);
        ElasticForm->UpdateControlBounds(this);

        statusBar_->setFixedHeight(StatusBarHeight);
        QFont statusFont = statusBar_->font();
        statusFont.setPixelSize(PointsToPixels(8));
        statusBar_->setFont(statusFont);
        statusPanel_->setFont(statusFont); // the panel's own font follows the status bar's
        statusPanel_->setFixedWidth(StatusPanelWidth);
        ElasticForm->UpdateControlBounds(statusBar_);

        edtFocus_->setGeometry(8, 9, 1, 1);
        QFont sinkFont = edtFocus_->font();
        sinkFont.setPixelSize(PointsToPixels(10));
        edtFocus_->setFont(sinkFont);
        ElasticForm->UpdateControlBounds(edtFocus_);

        ResetMemoSize(memTape_, 233, 226, 8, 268, 8);
        ResetMemoSize(memDisplayValue_, 24, 245, 9, 8, 10);

        // The keys in their order, with their design bounds and font sizes in points.
        for (const char* name :
             {"btnBack",    "btnCE",         "btnC",      "btn000",       "btn00",       "btn0",
              "btn1",       "btn2",          "btn3",      "btn4",         "btn5",        "btn6",
              "btn7",       "btn8",          "btn9",      "btnPlusMinus", "btnDecimal",  "btnSquareRoot",
              "btnPercent", "btnReciprocal", "btnDivide", "btnMultiply",  "btnSubtract", "btnAdd",
              "btnEquals",  "btnMC",         "btnMR",     "btnMS",        "btnMAdd",     "btnMSubtract"}) {
            const KeySpec& k = KeyByName(name);
            ResetButtonSize(buttons_.at(QString::fromLatin1(name)), k.height, k.width, k.top, k.left,
                            k.fontPoints);
        }
    });
}

void TfrmMain::mnuViewHistoryTapeClick()
{
    Guarded([this] { ToggleTape(); });
}

// A checkable item's check mark is inverted by the menu before these handlers run.
void TfrmMain::mnuViewFlatButtonsClick()
{
    Guarded([this] { ToggleFlatButtons(); });
}

void TfrmMain::mnuOptionsAlwaysOnTopClick()
{
    Guarded([this] { ToggleOnTop(); });
}

void TfrmMain::mnuOptionsTrayIconClick()
{
    Guarded([this] { ToggleTrayIcon(); });
}

void TfrmMain::mnuOptionsRunOnStartupClick()
{
    Guarded([this] { ToggleRunOnStartup(); });
}

void TfrmMain::ToggleFlatButtons()
{
    for (TabcPicSpeedBtn* b : client_->findChildren<TabcPicSpeedBtn*>(Qt::FindDirectChildrenOnly))
        b->SetPopup(!b->Popup());
}

void TfrmMain::ToggleOnTop()
{
    // In place on the native window: no new window, no move, no resize.
    onTop_ = Checked("mnuOptionsAlwaysOnTop");
    if (QWindow* native = windowHandle())
        native->setFlag(Qt::WindowStaysOnTopHint, onTop_);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop_);
}

void TfrmMain::ToggleRunOnStartup()
{
    const platform::AutostartFolders folders = platform::DefaultAutostartFolders();
    const bool wanted = Checked("mnuOptionsRunOnStartup");
    try {
        if (wanted) {
            // The file this process runs from, so an installed program starts the installed file.
            platform::WriteAutostartEntry(
                folders, AutostartFileName,
                platform::AutostartEntryText(ApplicationTitle, platform::RunningProgramPath().native(),
                                             "/tray", DesktopId));
            try {
                platform::RemoveAutostartEntry(folders, OldAutostartFileName);
            } catch (const std::runtime_error&) {
                // A second start at logon only brings the first forward: not worth undoing the option.
            }
        } else {
            platform::RemoveAutostartEntry(folders, OldAutostartFileName);
            platform::RemoveAutostartEntry(folders, AutostartFileName);
        }
    } catch (const std::runtime_error& e) {
        // The change did not happen: say so, and the check mark goes back.
        SetChecked("mnuOptionsRunOnStartup", !wanted);
        Dialogs().Box(this, BoxKind::Error, QStringLiteral("Error"), QString::fromLocal8Bit(e.what()),
                      BoxButtons::Ok);
    }
}

// ---- colour schemes ----

void TfrmMain::SchemeClick(int index)
{
    SetChecked(SchemeMenuItem(index), true);
    schemeIndex_ = index;
    ChangeColorScheme(Scheme(index));
}

void TfrmMain::SetColorScheme()
{
    // An index outside the schemes applies nothing and is kept as it is.
    if (schemeIndex_ >= 0 && schemeIndex_ < SchemeCount)
        SchemeClick(schemeIndex_);
}

void TfrmMain::ChangeColorScheme(const SchemeColors& c)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor
    {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;

    windowColors_ = &c;
    ApplyWindowColors();
    const std::pair<const char*, std::pair<TColor, TColor>> keys[] = {
        {"btnBack", {c.backFace, c.backText}},
        {"btnCE", {c.clearFace, c.clearText}},
        {"btnC", {c.clearFace, c.clearText}},
        {"btn000", {c.digitsFace, c.digitsText}},
        {"btn00", {c.digitsFace, c.digitsText}},
        {"btn0", {c.digitsFace, c.digitsText}},
        {"btn1", {c.digitsFace, c.digitsText}},
        {"btn2", {c.digitsFace, c.digitsText}},
        {"btn3", {c.digitsFace, c.digitsText}},
        {"btn4", {c.digitsFace, c.digitsText}},
        {"btn5", {c.digitsFace, c.digitsText}},
        {"btn6", {c.digitsFace, c.digitsText}},
        {"btn7", {c.digitsFace, c.digitsText}},
        {"btn8", {c.digitsFace, c.digitsText}},
        {"btn9", {c.digitsFace, c.digitsText}},
        {"btnPlusMinus", {c.digitsFace, c.digitsText}},
        {"btnDecimal", {c.digitsFace, c.digitsText}},
        {"btnSquareRoot", {c.functionsFace, c.functionsText}},
        {"btnPercent", {c.functionsFace, c.functionsText}},
        {"btnReciprocal", {c.functionsFace, c.functionsText}},
        {"btnDivide", {c.operatorsFace, c.operatorsText}},
        {"btnMultiply", {c.operatorsFace, c.operatorsText}},
        {"btnSubtract", {c.operatorsFace, c.operatorsText}},
        {"btnAdd", {c.operatorsFace, c.operatorsText}},
        {"btnEquals", {c.operatorsFace, c.operatorsText}},
        {"btnMC", {c.memoryFace, c.memoryText}},
        {"btnMR", {c.memoryFace, c.memoryText}},
        {"btnMS", {c.memoryFace, c.memoryText}},
        {"btnMAdd", {c.memoryFace, c.memoryText}},
        {"btnMSubtract", {c.memoryFace, c.memoryText}},
    };
    for (const auto& [name, colors] : keys)
        buttons_.at(QString::fromLatin1(name))->SetColor(colors.first);
    for (const auto& [name, colors] : keys)
        buttons_.at(QString::fromLatin1(name))->SetFontColor(colors.second);
}

// The window's own colours, resolved now: again whenever the desktop's palette changes, so that
// system colours follow it.
void TfrmMain::ApplyWindowColors()
{
    if (windowColors_ == nullptr)
        return;
    const SchemeColors& c = *windowColors_;
    QPalette window = palette();
    window.setColor(QPalette::Window, ColorToQColor(c.window));
    client_->setAutoFillBackground(true);
    client_->setPalette(window);

    QPalette status = statusBar_->palette();
    status.setColor(QPalette::Window, ColorToQColor(c.statusBar));
    status.setColor(QPalette::WindowText, ColorToQColor(c.statusText));
    statusBar_->setAutoFillBackground(true);
    statusBar_->setPalette(status);
    statusPanel_->setStyleSheet(QString());
    statusPanel_->setPalette(status);

    for (QWidget* text : {static_cast<QWidget*>(memTape_), static_cast<QWidget*>(memDisplayValue_)}) {
        QPalette p = text->palette();
        p.setColor(QPalette::Base, ColorToQColor(c.displayBack));
        p.setColor(QPalette::Text, ColorToQColor(c.displayText));
        text->setPalette(p);
        HideSelection(text);
    }
}

void TfrmMain::mnuHelpKeyboardEquivalentsClick()
{
    // A new window at every invocation, owned by the main window.
    auto* help = new TfrmHelp(this);
    help->show();
}

void TfrmMain::mnuHelpAboutCalculatorClick()
{
    Guarded([this] {
        TfrmAbout about(this);
        Dialogs().Exec(about);
    });
}

void TfrmMain::mnuTrayOpenQuorlaneCalculatorClick()
{
    Guarded([this] { TrayIcon->RestoreFromTray(); });
}

void TfrmMain::mnuTrayExitClick()
{
    close();
}

} // namespace ui
