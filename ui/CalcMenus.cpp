// The main window's menus and their commands: File, Edit, View, Options with the colour schemes,
// Help and the tray icon's menu.

#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include "controls/Abcbtn.h"
#include "controls/ElastFrm.h"
#include "controls/ElasticMath.h"
#include "controls/StTrIcon.h"
#include "platform/Autostart.h"
#include "platform/qt/Colors.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/About.h"
#include "ui/ColorSchemes.h"
#include "ui/DialogService.h"
#include "ui/DisplayField.h"
#include "ui/FocusSink.h"
#include "ui/Help.h"
#include "ui/KeptTape.h"
#include "ui/Keypad.h"
#include "ui/Printing.h"
#include "ui/TapeOutput.h"
#include "ui/TapeView.h"
#include "ui/WindowSize.h"

namespace ui {

void TfrmMain::CreateMenus()
{
    using T = TfrmMain;
    using platform::CtrlBit;
    using platform::ShiftBit;
    // An item running `click`, whose errors are reported in a box. The menu draws its `key` (a shortcut
    // value) after the caption, and assistive technology reads it as the item's key binding; the key
    // reaches the item through the keyboard map, never through Qt's shortcuts (the window's event
    // filter).
    auto add = [this](QMenu* menu, const char* name, const char* caption, void (T::*click)() = nullptr,
                      int key = 0, const char* icon = nullptr) {
        auto* a = new QAction(QString::fromLatin1(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        if (icon != nullptr)
            pictures_.emplace_back(a, QString::fromLatin1(icon));
        menu->addAction(a);
        if (key != 0) {
            a->setShortcut(platform::ShortcutSequence(key));
            shortcuts_.push_back({key, a, menu});
        }
        if (click != nullptr)
            connect(a, &QAction::triggered, this,
                    [this, click] { Guarded([this, click] { (this->*click)(); }); });
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };
    auto checkable = [](QAction* a, bool checked) {
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    auto addMenu = [](auto* parent, const char* name, const char* caption) {
        QMenu* menu = parent->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* file = addMenu(bar, "mnuFile", "&File");
    add(file, "mnuFileSave", "&Save", &T::mnuFileSaveClick, 0, ":/icons/save.svg");
    add(file, "mnuFileSaveAs", "Save &As...", &T::mnuFileSaveAsClick);
    separator(file, "mnuFileLine1");
    add(file, "mnuFilePrint", "&Print...", &T::mnuFilePrintClick, CtrlBit + 'P', ":/icons/print.svg");
    separator(file, "mnuFileLine2");
    add(file, "mnuFileExit", "E&xit", &T::mnuFileExitClick);

    mnuEdit_ = addMenu(bar, "mnuEdit", "&Edit");
    connect(mnuEdit_, &QMenu::aboutToShow, this, &T::mnuEditClick);
    mnuEditUndo_ = add(mnuEdit_, "mnuEditUndo", "&Undo Correction", &T::mnuEditUndoClick, CtrlBit + 'Z');
    mnuEditRedo_ = add(mnuEdit_, "mnuEditRedo", "Re&do Correction", &T::mnuEditRedoClick, CtrlBit + 'Y');
    separator(mnuEdit_, "mnuEditLine0");
    add(mnuEdit_, "mnuEditCopy", "&Copy", &T::mnuEditCopyClick, CtrlBit + 'C', ":/icons/copy.svg");
    add(mnuEdit_, "mnuEditCopyWithoutGrouping", "Copy &Without Grouping", &T::mnuEditCopyWithoutGroupingClick,
        CtrlBit + ShiftBit + 'C');
    mnuEditPaste_ =
        add(mnuEdit_, "mnuEditPaste", "&Paste", &T::mnuEditPasteClick, CtrlBit + 'V', ":/icons/paste.svg");
    separator(mnuEdit_, "mnuEditLine1");
    add(mnuEdit_, "mnuEditCopyTape", "C&opy Tape", &T::mnuEditCopyTapeClick);
    mnuEditClearTape_ = add(mnuEdit_, "mnuEditClearTape", "Clear &Tape...", &T::mnuEditClearTapeClick,
                            ShiftBit + platform::vk::Delete);
    separator(mnuEdit_, "mnuEditLine2");
    add(mnuEdit_, "mnuEditResetSize", "&Reset Size", &T::mnuEditResetSizeClick);

    CreateCalculateMenu(bar);

    QMenu* view = addMenu(bar, "mnuView", "&View");
    mnuViewHistoryTape_ = checkable(add(view, "mnuViewHistoryTape", "&History Tape", &T::ToggleTape), true);
    mnuViewFlatButtons_ =
        checkable(add(view, "mnuViewFlatButtons", "&Flat Buttons", &T::ToggleFlatButtons), false);

    QMenu* options = addMenu(bar, "mnuOptions", "&Options");
    mnuOptionsAlwaysOnTop_ =
        checkable(add(options, "mnuOptionsAlwaysOnTop", "&Always on Top", &T::ToggleOnTop), false);
    mnuOptionsTrayIcon_ =
        checkable(add(options, "mnuOptionsTrayIcon", "&Tray Icon", &T::ToggleTrayIcon), false);
    mnuOptionsRunOnStartup_ =
        checkable(add(options, "mnuOptionsRunOnStartup", "&Run on Startup", &T::ToggleRunOnStartup), false);
    mnuOptionsKeepTape_ =
        checkable(add(options, "mnuOptionsKeepTape", "&Keep Tape Between Runs", &T::ToggleKeepTape), false);
    CreateSwitchMenus(options);
    QMenu* schemes = addMenu(options, "mnuOptionsColorScheme", "&Color Scheme");
    auto* schemeGroup = new QActionGroup(this);
    schemeGroup->setExclusive(true);
    // Default first, the others in alphabetical order; captioned by the end of their item names.
    constexpr std::string_view prefix = "mnuOptionsColorScheme";
    for (const int index : {0, 5, 2, 3, 4, 1}) {
        const char* name = SchemeMenuItem(index);
        QAction* a = checkable(add(schemes, name, name + prefix.size()), index == 0);
        schemeGroup->addAction(a);
        mnuOptionsColorScheme_[static_cast<std::size_t>(index)] = a;
        connect(a, &QAction::triggered, this, [this, index] { SchemeClick(index); });
    }

    QMenu* help = addMenu(bar, "mnuHelp", "&Help");
    add(help, "mnuHelpKeyboardEquivalents", "&Keyboard Equivalents", &T::mnuHelpKeyboardEquivalentsClick,
        platform::vk::F1, ":/icons/keyboard.svg");
    separator(help, "mnuHelpLine1");
    add(help, "mnuHelpAboutCalculator", "&About Quorlane Calculator", &T::mnuHelpAboutCalculatorClick);

    for (QMenu* menu : {file, mnuEdit_, view, options, help})
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, &TfrmMain::LeaveMenuBar); });
    // The pictures are drawn from SVG: a start that opens no menu reads none of them.
    for (QMenu* menu : {file, mnuEdit_, help})
        connect(
            menu, &QMenu::aboutToShow, this, [this, menu] { LoadPictures(menu); }, Qt::SingleShotConnection);

    CreateTapeMenu();

    mnuTray_ = new QMenu(this);
    mnuTray_->setObjectName(QStringLiteral("mnuTray"));
    QAction* open = add(mnuTray_, "mnuTrayOpenQuorlaneCalculator", "&Open Quorlane Calculator",
                        &T::mnuTrayOpenQuorlaneCalculatorClick);
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    mnuTray_->setDefaultAction(open);
    separator(mnuTray_, "mnuTrayLine1");
    add(mnuTray_, "mnuTrayExit", "E&xit", &T::mnuFileExitClick);
}

// ---- menu commands ----

void TfrmMain::mnuFileSaveClick()
{
    if (tapeFileName_.isEmpty()) {
        mnuFileSaveAsClick();
        return;
    }
    SaveFile(tapeFileName_);
}

void TfrmMain::mnuFileSaveAsClick()
{
    SaveTapeAs();
}

bool TfrmMain::SaveTapeAs()
{
    const std::optional<QString> chosen = Dialogs().SaveFileName(
        this, lastSaveName_, QStringLiteral("Text Files (*.txt);;All Files (*.*)"), QStringLiteral("txt"));
    if (!chosen || chosen->isEmpty())
        return false;
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
        return false;
    SaveFile(name);
    tapeFileName_ = name;
    return true;
}

void TfrmMain::SaveFile(const QString& fileName)
{
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    SaveTapeDocument(fileName, memTape_->Lines(), FileMargin, now, QLocale());
}

void TfrmMain::mnuFilePrintClick()
{
    const PrintFunctions& printing = Printing();
    const std::unique_ptr<QPrinter, void (*)(QPrinter*)> printer(printing.newPrinter(),
                                                                 printing.deletePrinter);
    if (!Dialogs().PrintDialog(this, *printer))
        return;
    const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
    printing.print(*printer, TapeDocument(memTape_->Lines(), PrintMargin, now, QLocale()));
}

void TfrmMain::mnuFileExitClick()
{
    close();
}

void TfrmMain::mnuEditClick()
{
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    mnuEditPaste_->setEnabled(clip != nullptr && clip->hasText());
    mnuEditClearTape_->setEnabled(mnuViewHistoryTape_->isChecked());
    mnuEditUndo_->setEnabled(corrections_->CanUndo());
    mnuEditRedo_->setEnabled(corrections_->CanRedo());
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
    const std::string text = QApplication::clipboard()->text().toStdString();
    Running(KeyKind::Result, [&] { engine_.Paste(text); });
}

void TfrmMain::mnuEditCopyTapeClick()
{
    memTape_->SelectAll();
    QApplication::clipboard()->setText(memTape_->SelectedText());
}

void TfrmMain::mnuEditClearTapeClick()
{
    if (Dialogs().Box(this, BoxKind::Confirm, QStringLiteral("Confirm"),
                      QStringLiteral("Clear tape history?"), BoxButtons::YesNo) == BoxAnswer::Yes) {
        memTape_->Clear();
        corrections_->Cleared();
        if (kept_)
            kept_->Cleared();
    }
}

void TfrmMain::mnuEditResetSizeClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ElasticForm->SuspendScaling();
    // Whatever happens in between, the scaler resumes and the cursor comes back.
    struct Finish
    {
        TfrmMain* w;
        ~Finish()
        {
            try {
                w->ElasticForm->ResetToDesignLayout();
                w->ElasticForm->ResumeScaling();
                w->memTape_->ShowInsertionPoint();
                w->AdjustFormPosition();
            } catch (...) {
            }
            QApplication::restoreOverrideCursor();
        }
    } finish{this};

    QRect outer = platform::OuterGeometry(this);
    outer.setSize(
        QSize(mnuViewHistoryTape_->isChecked() ? DesignWidthWithTape : DesignWidthWithoutTape, DesignHeight));
    platform::SetOuterGeometry(this, outer);
    ElasticForm->UpdateControlBounds(this);

    statusBar_->setFixedHeight(StatusBarHeight);
    QFont statusFont = statusBar_->font();
    statusFont.setPixelSize(elastic::PointsToPixels(8));
    statusBar_->setFont(statusFont);
    statusPanel_->setFont(statusFont); // the panel's own font follows the status bar's
    statusPanel_->setFixedWidth(StatusPanelWidth);
    ElasticForm->UpdateControlBounds(statusBar_);

    ResetControlSize(edtFocus_, QRect(8, 9, 1, 1), 10);
    ResetControlSize(memTape_, QRect(268, 8, 226, 233), 8);
    ResetControlSize(memDisplayValue_, QRect(8, 9, 245, 24), 10);
    for (const KeySpec& k : Keypad())
        ResetControlSize(keyButtons_.at(k.key), QRect(k.left, k.top, k.width, k.height), k.fontPoints);
}

void TfrmMain::ToggleFlatButtons()
{
    for (TabcPicSpeedBtn* b : client_->findChildren<TabcPicSpeedBtn*>(Qt::FindDirectChildrenOnly))
        b->SetPopup(!b->Popup());
}

void TfrmMain::ToggleOnTop()
{
    // In place on the native window: no new window, no move, no resize.
    const bool onTop = mnuOptionsAlwaysOnTop_->isChecked();
    if (QWindow* native = windowHandle())
        native->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

bool TfrmMain::OnTop() const
{
    const QWindow* native = windowHandle();
    return (native != nullptr ? native->flags() : windowFlags()).testFlag(Qt::WindowStaysOnTopHint);
}

void TfrmMain::ToggleRunOnStartup()
{
    const platform::AutostartFolders folders = platform::DefaultAutostartFolders();
    const bool wanted = mnuOptionsRunOnStartup_->isChecked();
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
        mnuOptionsRunOnStartup_->setChecked(!wanted);
        Dialogs().Box(this, BoxKind::Error, QStringLiteral("Error"), QString::fromLocal8Bit(e.what()),
                      BoxButtons::Ok);
    }
}

// ---- colour schemes ----

void TfrmMain::SchemeClick(int index)
{
    mnuOptionsColorScheme_[static_cast<std::size_t>(index)]->setChecked(true);
    schemeIndex_ = index;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor
    {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;

    ApplyWindowColors();
    const SchemeColors& c = Scheme(index, IsDarkPalette(QApplication::palette()));
    for (const KeySpec& k : Keypad()) {
        const auto [face, caption] = GroupColors(c, k.group);
        keyButtons_.at(k.key)->SetColor(face);
        keyButtons_.at(k.key)->SetFontColor(caption);
    }
}

// The window's own colours, resolved now: again whenever the desktop's palette changes, so that
// system colours follow it. An index outside the schemes (a stored one) applies nothing.
void TfrmMain::ApplyWindowColors()
{
    if (schemeIndex_ < 0 || schemeIndex_ >= SchemeCount)
        return;
    const SchemeColors& c = Scheme(schemeIndex_, IsDarkPalette(QApplication::palette()));
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
    // One window, owned by the main window: F1 again brings it forward (as it was closed, or behind
    // the calculator) instead of opening another.
    if (help_ == nullptr)
        help_ = new TfrmHelp(this, QLatin1Char(engine_.State().DecimalChar));
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void TfrmMain::mnuHelpAboutCalculatorClick()
{
    TfrmAbout about(this);
    Dialogs().Exec(about);
}

void TfrmMain::mnuTrayOpenQuorlaneCalculatorClick()
{
    TrayIcon->RestoreFromTray();
}

} // namespace ui
