#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

#include "controls/Abcbtn.h"
#include "controls/ElastFrm.h"
#include "controls/ElasticMath.h"
#include "controls/StTrIcon.h"
#include "platform/qt/Colors.h"
#include "platform/qt/TrayShell.h"
#include "platform/qt/WindowEvents.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/ColorSchemes.h"
#include "ui/DialogParts.h"
#include "ui/DialogService.h"
#include "ui/DisplayField.h"
#include "ui/FocusSink.h"
#include "ui/KeptTape.h"
#include "ui/Keypad.h"
#include "ui/SettingsStore.h"
#include "ui/TapeView.h"
#include "ui/WindowIcon.h"
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
constexpr int PictureDelayMs = 150;

} // namespace

void HideSelection(QWidget* text)
{
    QPalette p = text->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Highlight, p.color(group, QPalette::Base));
        p.setColor(group, QPalette::HighlightedText, p.color(group, QPalette::Text));
    }
    text->setPalette(p);
}

TfrmMain::TfrmMain(const QStringList& arguments, TBcdSeparators locale, QWidget* parent)
    : QMainWindow(parent), engine_(*this, locale)
{
    initUiResources(); // registers the pictures once, whatever the number of windows
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const DesignFonts fonts;
    setFont(fonts.Font("Arial", 13));
    CreateControls(fonts);
    corrections_ = std::make_unique<engine::TapeCorrections>(
        engine_, [this](std::size_t line) { return std::string(memTape_->Lines().Plain(line)); });
    CreateMenus();
    // An item chosen from a menu runs as the menu closes; the focus then comes back to the display,
    // which a screen reader reads: what the item says is held for it (else it is read twice).
    for (QMenu* menu : findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToHide, this, [this] {
            menuClosing_ = true;
            QMetaObject::invokeMethod(
                this, [this] { menuClosing_ = false; }, Qt::QueuedConnection);
        });
    }
    platform::SetClientSize(this, QSize(ClientWidth, ClientHeight));
    CreateScaler();
    CreateTrayIcon(); // receives the window's events before the scaler, whatever the order here
    FormCreate(arguments);
    // Keys reach the keyboard map whichever control of the window has the focus, and the desktop's
    // palette changes reach the window (only the application object receives those).
    QCoreApplication::instance()->installEventFilter(this);
    // The window's icon comes once the window is on the screen; the menus' pictures when their menu
    // first opens.
    QTimer::singleShot(PictureDelayMs, this, [this] { setWindowIcon(WindowIcon()); });
}

void TfrmMain::LoadPictures(const QMenu* menu)
{
    const QList<QAction*> items = menu->actions();
    std::erase_if(pictures_, [&](const std::pair<QAction*, QString>& picture) {
        if (!items.contains(picture.first))
            return false;
        picture.first->setIcon(QIcon(picture.second));
        return true;
    });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateControls(const DesignFonts& fonts)
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    memDisplayValue_ = new DisplayField(client_);
    memDisplayValue_->setObjectName(QStringLiteral("memDisplayValue"));
    memDisplayValue_->setGeometry(8, 9, 245, 24);
    memDisplayValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    memDisplayValue_->setFont(fonts.Font("Tahoma", 13));
    memDisplayValue_->setCursor(Qt::ArrowCursor);
    memDisplayValue_->setText(QStringLiteral("0"));
    memDisplayValue_->setAccessibleName(QStringLiteral("Display"));
    // The keys go to the focus sink, which screen readers meet as the display: the display itself
    // never takes the focus.
    memDisplayValue_->setFocusPolicy(Qt::NoFocus);

    edtFocus_ = new FocusSink(client_);
    edtFocus_->setObjectName(QStringLiteral("edtFocus"));
    edtFocus_->setGeometry(8, 9, 1, 1);
    edtFocus_->setFrame(false);
    edtFocus_->setText(QStringLiteral("edtFocus"));
    edtFocus_->lower();

    memTape_ = new TapeView(client_);
    memTape_->setObjectName(QStringLiteral("memTape"));
    memTape_->setGeometry(268, 8, 226, 233);
    memTape_->setFont(fonts.Font("Courier New", 11));
    memTape_->setAccessibleName(QStringLiteral("History tape"));
    // Reached with Tab and read with the arrow keys; a click leaves the focus on the sink.
    memTape_->setFocusPolicy(Qt::TabFocus);
    memTape_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memTape_, &QWidget::customContextMenuRequested, this, &TfrmMain::memTapeContextPopup);
    connect(memTape_, &TapeView::LineActivated, this, &TfrmMain::TapeLineActivated);

    setTabOrder(memDisplayValue_, edtFocus_);
    setTabOrder(edtFocus_, memTape_);
    HideSelection(memDisplayValue_);
    HideSelection(memTape_);

    for (const KeySpec& k : Keypad()) {
        auto* b = new TabcPicSpeedBtn(client_);
        const QString name = QString::fromLatin1(k.name);
        b->setObjectName(name);
        b->SetCaption(QString::fromLatin1(k.caption));
        b->setGeometry(k.left, k.top, k.width, k.height);
        b->setFont(fonts.Font("Arial", elastic::PointsToPixels(k.fontPoints), true));
        b->SetFontColor(k.color);
        b->SetPopup(false);
        b->SetGroupIndex(0);
        if (*k.hint != '\0')
            b->setToolTip(QString::fromLatin1(k.hint));
        b->setAccessibleName(QString::fromLatin1(k.spokenName));
        b->setAccessibleDescription(QStringLiteral("Key: %1").arg(QLatin1String(k.keys)));
        connect(b, &TabcPicSpeedBtn::OnClick, this, [this, key = k.key] { RunKey(key, false); });
        keyButtons_[k.key] = b;
    }

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setFixedHeight(StatusBarHeight);
    statusBar_->setSizeGripEnabled(true);
    statusBar_->setFont(fonts.Font("Arial", 11));
    statusPanel_ = new QLabel(statusBar_);
    statusPanel_->setObjectName(QStringLiteral("StatusBarPanel0"));
    statusPanel_->setFixedWidth(StatusPanelWidth);
    statusPanel_->setFont(fonts.Font("Arial", 11));
    statusPanel_->setStyleSheet(QStringLiteral("color: black"));
    statusPanel_->setAccessibleName(QStringLiteral("Memory indicator"));
    statusPanel_->setAccessibleDescription(QStringLiteral("Memory indicator"));
    statusBar_->addWidget(statusPanel_);
    setStatusBar(statusBar_);
}

void TfrmMain::FormCreate(const QStringList& arguments)
{
    loading_ = true;
    StoredOptions stored;
    ReadOptions(stored);
    setAsideText_ = QString::fromLocal8Bit(TakeSetAsideText());
    mnuViewFlatButtons_->setChecked(stored.Flat);
    mnuViewHistoryTape_->setChecked(stored.Tape);
    mnuOptionsAlwaysOnTop_->setChecked(stored.OnTop);
    mnuOptionsTrayIcon_->setChecked(stored.TrayIcon);
    mnuOptionsRunOnStartup_->setChecked(stored.RunOnStartup);
    mnuOptionsKeepTape_->setChecked(stored.KeepTape);
    schemeIndex_ = stored.Color;
    ApplyStoredSwitches(stored);

    if (mnuViewFlatButtons_->isChecked())
        ToggleFlatButtons();
    ToggleTape();
    if (mnuOptionsAlwaysOnTop_->isChecked())
        ToggleOnTop();
    if (mnuOptionsTrayIcon_->isChecked())
        ToggleTrayIcon();
    if (mnuOptionsKeepTape_->isChecked())
        RestoreKeptTape();
    // Hidden only where the icon really shows: otherwise the window could not be reached.
    startHidden_ = !arguments.isEmpty() && arguments.first() == QLatin1String("/tray") &&
                   mnuOptionsTrayIcon_->isChecked() && mnuOptionsRunOnStartup_->isChecked() &&
                   TrayIcon->IsShown();
    const char decimal = engine_.State().DecimalChar;
    keyButtons_.at(engine::CalcKey::Decimal)->SetCaption(QString(QLatin1Char(decimal)));
    // An index outside the schemes applies nothing and is kept as it is.
    if (schemeIndex_ >= 0 && schemeIndex_ < SchemeCount)
        SchemeClick(schemeIndex_);
    SetDisplayText("0");
    loading_ = false;
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    StorePlacement();
    // The calculator's close ends the program, whatever other windows are open.
    emit Closed();
}

StoredOptions TfrmMain::CurrentOptions() const
{
    StoredOptions options;
    options.Flat = mnuViewFlatButtons_->isChecked();
    options.Tape = mnuViewHistoryTape_->isChecked();
    options.OnTop = mnuOptionsAlwaysOnTop_->isChecked();
    options.TrayIcon = mnuOptionsTrayIcon_->isChecked();
    options.RunOnStartup = mnuOptionsRunOnStartup_->isChecked();
    options.Color = schemeIndex_;
    options.KeepTape = mnuOptionsKeepTape_->isChecked();
    StoreSwitches(options);
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
    return SaveOptionsAtClose() && KeepTapeAtClose();
}

bool TfrmMain::SaveOptionsAtClose()
{
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

// The kept tape is written before the window closes. A failure offers what a failure of the options
// offers, and Save As, so that the lines can be put elsewhere.
bool TfrmMain::KeepTapeAtClose()
{
    while (kept_) {
        const std::string error = kept_->Flush();
        if (error.empty()) {
            KeepRecord();
            return true;
        }
        switch (Dialogs().Box(this, BoxKind::Error, QStringLiteral("Error"),
                              QString::fromLocal8Bit(error) +
                                  QStringLiteral("\r\rSave As puts the tape's lines into another file."),
                              BoxButtons::RetrySaveAsCloseAnywayCancel)) {
        case BoxAnswer::Retry:
            break;
        case BoxAnswer::SaveAs: {
            bool saved = false;
            Guarded([&] { saved = SaveTapeAs(); }); // a failed save is said, and the question comes back
            if (saved)
                return true;
            break;
        }
        case BoxAnswer::CloseAnyway:
            return true;
        default:
            return false;
        }
    }
    return true;
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
    StorePlacement();
    FlushKeptTape();
}

// The size and place the user last saw are kept however the program ends (File > Exit, the tray
// menu's Exit, the session's end), not only by the close button the scaler hears: after Reset Size,
// which stores nothing itself, the next start came back at the size before.
void TfrmMain::StorePlacement()
{
    try {
        ElasticForm->SaveFormState();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorcalc: window placement: %s\n", e.what());
    }
}

void TfrmMain::EndSession()
{
    if (ended_) // a second signal, or one right after a close: all is saved already
        return;
    SaveOptionsForSessionEnd();
    ended_ = true;
    emit Closed();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    edtFocus_->setFocus(Qt::OtherFocusReason);
    SetMinMaxSize();
    // What the start set aside is told once, over the window.
    if (!setAsideText_.isEmpty())
        QTimer::singleShot(0, this, [this] {
            const QString text = std::exchange(setAsideText_, QString());
            if (!text.isEmpty())
                Dialogs().Box(this, BoxKind::Information, QStringLiteral("Information"), text,
                              BoxButtons::Ok);
        });
}

void TfrmMain::CreateScaler()
{
    ElasticForm = new TElasticForm(this);
    ElasticForm->setObjectName(QStringLiteral("ElasticForm"));
    TElasticOptions& options = ElasticForm->Options();
    options.DesignFormLeft = 636;
    options.DesignFormTop = 485;
    options.MaintainProportions = true;
    options.ElFrmIniFile = QStringLiteral("Software\\Quorlane\\Calculator\\1.0");
    options.EFActiveControl = QStringLiteral("edtFocus");
    options.OnAfterResize = [this] { ElasticFormAfterResize(); };
    ElasticForm->SetDesignFormSize(QSize(DesignWidthWithTape, DesignHeight),
                                   QSize(ClientWidth, ClientHeight));
}

void TfrmMain::CreateTrayIcon()
{
    TrayIcon = new TStTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->SetHint(QString::fromLatin1(ApplicationTitle));
    TrayIcon->SetPopupMenu(mnuTray_);
    // A single left click restores the window, as on other Linux tray programs (a double click does
    // too, as the icon's own default).
    connect(TrayIcon, &TStTrayIcon::OnClick, this,
            [this] { Guarded([this] { TrayIcon->RestoreFromTray(); }); });
    // At logon the panel often starts after the program: the icon the options ask for appears as
    // soon as a notification area does.
    connect(&platform::tray::TrayShellEvents(), &platform::tray::TTrayShellEvents::AvailabilityChanged, this,
            [this](bool available) {
                if (available && mnuOptionsTrayIcon_->isChecked() && !TrayIcon->Active())
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
    if (!mnuOptionsTrayIcon_->isChecked()) {
        TrayIcon->SetActive(false);
        return;
    }
    if (ShowTrayIcon() || loading_)
        return; // at start-up the stored choice stays: the icon comes with the notification area
    // Chosen on a desktop without a notification area: a window hidden there could never be reached
    // again. The option stays off and the user is told why.
    mnuOptionsTrayIcon_->setChecked(false);
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
    const TrackLimits t =
        MinMaxSize(mnuViewHistoryTape_->isChecked(), work.x() + work.width(), work.height());
    ElasticForm->SetTrackLimits(QSize(t.minimumWidth, t.minimumHeight),
                                QSize(t.maximumWidth, t.maximumHeight));
}

void TfrmMain::ElasticFormAfterResize()
{
    memTape_->ShowInsertionPoint();
    AdjustFormPosition();
}

// Sets the outer width of the window as a program change. The tracking limits bound the user's
// dragging, not the program's own changes (the scaler puts them back when scaling resumes).
void TfrmMain::SetOuterWidth(int width)
{
    const int height = platform::OuterGeometry(this).height(); // as it was before the limits go
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QRect outer = platform::OuterGeometry(this);
    outer.setSize(QSize(width, height));
    platform::SetOuterGeometry(this, outer);
}

void TfrmMain::ToggleTape()
{
    const bool show = mnuViewHistoryTape_->isChecked();
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
        memTape_->ShowInsertionPoint();
    AdjustFormPosition();
}

// Puts a control back at its design bounds with its font at its design size in points.
void TfrmMain::ResetControlSize(QWidget* control, const QRect& bounds, int points)
{
    control->setGeometry(bounds);
    QFont f = control->font();
    f.setPixelSize(elastic::PointsToPixels(points));
    control->setFont(f);
    ElasticForm->UpdateControlBounds(control);
}

TabcPicSpeedBtn* TfrmMain::Button(const QString& name) const
{
    return client_->findChild<TabcPicSpeedBtn*>(name, Qt::FindDirectChildrenOnly);
}

std::vector<std::string> TfrmMain::TapeLines() const
{
    return memTape_->Lines().Lines();
}

// ---- the engine's host ----

void TfrmMain::SetDisplayText(std::string_view text)
{
    memDisplayValue_->Show(Latin1(text));
    const QString value = SpokenNumbers(memDisplayValue_->text().trimmed());
    // Said when it changes (a result is said even when it does not, see Running); a digit typed on
    // the keyboard is echoed by the screen reader itself.
    const bool say = running_ != KeyKind::TypedEntry && value != edtFocus_->Said();
    edtFocus_->Show(value);
    if (say)
        Say(value);
}

void TfrmMain::AppendTapeLine(std::string_view line)
{
    memTape_->Append(line);
    if (kept_)
        kept_->Appended(line);
    if (engine_.State().Options.grandTotal) // a total or a cleared register changes the grand total
        ShowSwitches();
}

void TfrmMain::ShowMessage(engine::MessageKind kind, std::string_view text)
{
    FormKeyUp();
    const BoxKind box = kind == engine::MessageKind::Error     ? BoxKind::Error
                        : kind == engine::MessageKind::Confirm ? BoxKind::Confirm
                                                               : BoxKind::Information;
    spokeThisKey_ = true; // the screen reader reads the box
    Dialogs().Box(this, box, Latin1(engine::CaptionOf(kind)), Latin1(text), BoxButtons::Ok);
}

void TfrmMain::SetStatusText(std::string_view text)
{
    const bool changed = statusPanel_->text() != Latin1(text);
    // A message over the status bar would hide the memory's value.
    if (!text.empty())
        statusBar_->clearMessage();
    statusPanel_->setText(Latin1(text));
    // The memory keys say what the memory holds, even when it is what it was.
    if (changed || running_ == KeyKind::Memory)
        Say(text.empty() ? QStringLiteral("Memory empty") : SpokenNumbers(Latin1(text)));
    // A screen reader hears the memory's value ("Memory = 15"), not only what the panel is.
    statusPanel_->setAccessibleName(text.empty() ? QStringLiteral("Memory indicator") : Latin1(text));
}

void TfrmMain::ReportError(std::string_view message)
{
    spokeThisKey_ = true;
    Dialogs().Box(this, BoxKind::GeneralError, QString::fromLatin1(ApplicationTitle), Latin1(message),
                  BoxButtons::Ok);
}

// ---- keypad and keyboard ----

bool TfrmMain::PressKey(std::optional<engine::CalcKey> key)
{
    if (!key)
        return false;
    // The adding machine's keys (S, G, #) have no button of the keypad.
    if (const auto found = keyButtons_.find(*key); found != keyButtons_.end()) {
        TabcPicSpeedBtn* button = found->second;
        button->SetGroupIndex(1);
        button->SetDown(true);
        button->repaint();
    }
    RunKey(*key, true);
    return true;
}

bool TfrmMain::FormShortCut(const platform::VirtualKey& key)
{
    return PressKey(ShortcutKey(key));
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

bool TfrmMain::FormKeyDown(const platform::VirtualKey& key)
{
    return PressKey(KeyDownKey(key));
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
    case QEvent::ApplicationPaletteChange:
        // The desktop's colours changed: the system colours of the scheme follow them, and
        // Default's captions change to their light variants when the desktop turns dark, and back.
        if (watched != QCoreApplication::instance())
            break;
        if (schemeIndex_ == 0)
            SchemeClick(0);
        else
            ApplyWindowColors();
        break;
    case QEvent::FocusIn:
        if (watched == memDisplayValue_)
            edtFocus_->setFocus(Qt::OtherFocusReason);
        else if (watched == memTape_)
            memTape_->SetCaretLine(LastTotalLine());
        break;
    case QEvent::Shortcut:
        // The menu items' shortcuts are there to be drawn and read out: their keys run through the
        // keyboard map like every other key.
        if (watched->parent() == this && qobject_cast<QAction*>(watched) != nullptr)
            return true;
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
    if (target != receiver || target->window() != this || target == tapeEditor_)
        return nullptr; // (a tape line typed in place takes its own keys)
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
        if (target == memTape_)
            return TapeKeyPreview(e);
        const platform::VirtualKey key =
            platform::VirtualKeyFromEvent(*e, QLatin1Char(engine_.State().DecimalChar));
        bool taken = false;
        Guarded([&] {
            taken = TapeEditKey(key, false) || FormShortCut(key) || MenuShortCut(key);
            if (!taken)
                FormKeyDown(key);
        });
        if (taken)
            return true; // consumed: the menus and the key-down stage never see it
        // The character stage: Enter (also Ctrl+M), Ctrl+L and Esc are discarded; everything else
        // reaches the focus sink, which takes none of it.
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

} // namespace ui
