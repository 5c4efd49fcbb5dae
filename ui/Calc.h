#pragma once
// TfrmMain: the calculator's main window. It lays out the display, the keypad of 30 picture
// buttons, the history tape, the status bar with the memory indicator and the menus; it is the
// engine's host (display, tape, boxes, key release, status panel) and routes the keyboard through
// the keyboard map. Behaviour lives in the engine and in small units beside this one.

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "engine/CalcEngine.h"
#include "platform/qt/VirtualKeys.h"
#include "ui/ColorSchemes.h"

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class TabcPicSpeedBtn;
class TElasticForm;
class TStTrayIcon;

namespace ui {

class DesignFonts;
class DisplayField;
class FocusSink;
class KeptTape;
class TapeView;
class TfrmHelp;
struct StoredOptions;

// The application's title: window caption, box captions of the general error report.
inline constexpr char ApplicationTitle[] = "Quorlane Calculator";
// The program's desktop id: its desktop entry, icon, Wayland app id and X11 window class.
inline constexpr char DesktopId[] = QUORLANE_APP_ID;
// The Run on Startup entry, named like the desktop entry.
inline constexpr char AutostartFileName[] = QUORLANE_APP_ID ".desktop";

class TfrmMain : public QMainWindow, public engine::ICalcHost
{
    Q_OBJECT

public:
    // `arguments` are the command-line arguments without the program name ("/tray" first starts
    // hidden when the tray icon and run-on-startup options are on); `locale` holds the user's number
    // separators, read once at start.
    explicit TfrmMain(const QStringList& arguments = {}, TBcdSeparators locale = {},
                      QWidget* parent = nullptr);
    ~TfrmMain() override;

    const engine::CalcEngine& Engine() const { return engine_; }
    bool StartHidden() const { return startHidden_; }
    std::vector<std::string> TapeLines() const;
    TabcPicSpeedBtn* Button(const QString& name) const;

    // The display's text, as the engine keeps it.
    const std::string& DisplayText() const { return engine_.State().DisplayText; }

    // The engine's host.
    void SetDisplayText(std::string_view text) override;
    void AppendTapeLine(std::string_view line) override;
    // No key button stays drawn pressed under the box.
    void ShowMessage(engine::MessageKind kind, std::string_view text) override;
    void SetStatusText(std::string_view text) override;
    void ReportError(std::string_view message) override;

    // Keyboard map.
    bool FormShortCut(const platform::VirtualKey& key);
    bool FormKeyDown(const platform::VirtualKey& key); // false when the key is none of the keypad's
    bool FormKeyPress(QChar character);
    void FormKeyUp();

    // Brings the window forward for a second start: restored when minimised, else raised and
    // activated together with its open dialog.
    void BringToFront();

    // The desktop session ends (the session manager asks for the data): the options are written as
    // a close writes them but never with a box (a failure goes to standard error), and so are they
    // by every later close. EndSession (the program is asked to end, SIGTERM) then grants the close.
    void SaveOptionsForSessionEnd();
    void EndSession();

    // The proportional scaler of the whole window, and the notification-area icon.
    TElasticForm* ElasticForm = nullptr;
    TStTrayIcon* TrayIcon = nullptr;
    void ToggleTrayIcon();

    // Window size and position.
    QRect GetWorkArea() const;
    void AdjustFormPosition();
    void SetMinMaxSize();
    void ElasticFormAfterResize();

    // Options and colour schemes (the menu items' handlers; a checkable item's check mark is inverted
    // by the menu before they run).
    void ToggleTape();
    void ToggleFlatButtons();
    void ToggleOnTop();
    void ToggleRunOnStartup();
    void ToggleKeepTape();
    // The adding machine's switches (Options > Decimal Places, Rounding, Grand Total, Item Count) go to
    // the engine from the next key on and show in the status bar while not at their defaults.
    void AddingMachineSwitched();
    // Puts the number a tape line holds into the display, as Paste does.
    void UseTapeLine(std::size_t line);
    int SchemeIndex() const { return schemeIndex_; }
    // Whether the window is kept above the others now.
    bool OnTop() const;

    // Tape output: the current tape file name (empty until the first successful Save As), the
    // document written with `margin`, and the clock of its footer (tests fix it).
    const QString& TapeFileName() const { return tapeFileName_; }
    void SaveFile(const QString& fileName, int margin);
    void SetClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

signals:
    // The window's close was granted: the program ends.
    void Closed();

public slots:
    void mnuFileSaveClick();
    void mnuFileSaveAsClick();
    void mnuFilePrintClick();
    void mnuFileExitClick();
    void mnuEditClick();
    void mnuEditCopyClick();
    void mnuEditCopyWithoutGroupingClick();
    void mnuEditPasteClick();
    void mnuEditCopyTapeClick();
    void mnuEditClearTapeClick();
    void mnuEditResetSizeClick();
    void mnuHelpKeyboardEquivalentsClick();
    void mnuHelpAboutCalculatorClick();
    void mnuTrayOpenQuorlaneCalculatorClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What the key running now is, for what the screen reader is told of it.
    enum class KeyKind
    {
        Other,
        TypedEntry, // a digit or the decimal point typed (the screen reader echoes it)
        Result,     // a total, a function, memory recall, a paste, a tape line re-used
        Memory,     // MC, MS, M+, M-
    };

    void CreateControls(const DesignFonts& fonts);
    void CreateMenus();
    void CreateScaler();
    void CreateTrayIcon();
    bool ShowTrayIcon();
    void SetOuterWidth(int width);
    // Gives the items of `menu` their pictures (loaded when the menu first opens).
    void LoadPictures(const QMenu* menu);
    void FormCreate(const QStringList& arguments);
    bool MenuShortCut(const platform::VirtualKey& key);
    QWidget* KeyPreviewTarget(QObject* watched);
    bool KeyPreview(QWidget* target, QKeyEvent* event);
    void LeaveMenuBar();
    // Draws the key's button down until the key is released (FormKeyUp) and runs the key through the
    // engine; false without a key.
    bool PressKey(std::optional<engine::CalcKey> key);
    // Runs a key through the engine, `typed` on the keyboard (else clicked).
    void RunKey(engine::CalcKey key, bool typed);
    // Runs what a key of `kind` does, for what the screen reader is told of it.
    void Running(KeyKind kind, const std::function<void()>& action);
    // Says a message through the screen reader (held while the keys go to the tape).
    void Say(const QString& message);
    bool TapeKeyPreview(QKeyEvent* event);
    std::size_t LastTotalLine() const;
    void Guarded(const std::function<void()>& handler);
    bool FormCloseQuery();
    void StorePlacement();
    StoredOptions CurrentOptions() const;
    void SchemeClick(int index);
    void RestoreKeptTape();
    void FlushKeptTape();
    void CreateTapeMenu();
    void CreateCalculateMenu(QMenuBar* bar);
    void CreateSwitchMenus(QMenu* options);
    engine::CalcOptions CurrentCalcOptions() const;
    void ApplyStoredSwitches(const StoredOptions& stored);
    void StoreSwitches(StoredOptions& options) const;
    void ShowSwitches();
    std::string_view TapeMenuLine() const;
    void memTapeContextPopup(const QPoint& pos);
    void ApplyWindowColors();
    void ResetControlSize(QWidget* control, const QRect& bounds, int points);

    engine::CalcEngine engine_;
    bool loading_ = false;
    bool startHidden_ = false;
    KeyKind running_ = KeyKind::Other;
    bool spokeThisKey_ = false; // the key running now said something, or showed a box
    bool holdMessages_ = false; // the keys go to the tape: messages wait for the focus's return
    QString heldMessage_;

    QWidget* client_ = nullptr;
    DisplayField* memDisplayValue_ = nullptr;
    TapeView* memTape_ = nullptr;
    FocusSink* edtFocus_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    std::map<engine::CalcKey, TabcPicSpeedBtn*> keyButtons_;

    QMenu* mnuEdit_ = nullptr;
    QMenu* mnuTray_ = nullptr;
    QMenu* mnuTape_ = nullptr;
    std::size_t tapeMenuLine_ = 0; // the line under the pointer when the tape's menu opened
    QAction* mnuEditPaste_ = nullptr;
    QAction* mnuEditClearTape_ = nullptr;
    QAction* mnuViewHistoryTape_ = nullptr;
    QAction* mnuViewFlatButtons_ = nullptr;
    QAction* mnuOptionsAlwaysOnTop_ = nullptr;
    QAction* mnuOptionsTrayIcon_ = nullptr;
    QAction* mnuOptionsRunOnStartup_ = nullptr;
    QAction* mnuOptionsKeepTape_ = nullptr;
    std::array<QAction*, SchemeCount> mnuOptionsColorScheme_{}; // by scheme number
    std::array<QAction*, 6> mnuOptionsDecimalPlaces_{};         // Floating, 0, 2, 3, 4, Add
    std::array<QAction*, 3> mnuOptionsRounding_{};              // 5/4, Up, Down
    QAction* mnuOptionsGrandTotal_ = nullptr;
    QAction* mnuOptionsItemCount_ = nullptr;
    QLabel* switchesPanel_ = nullptr; // the switches not at their defaults, beside the memory
    // Menu items with a shortcut value, in menu order, with the menu whose click handler runs first.
    struct ShortcutItem
    {
        int value;
        QAction* action;
        QMenu* parentMenu;
    };
    std::vector<ShortcutItem> shortcuts_;
    std::vector<std::pair<QAction*, QString>> pictures_; // menu pictures still to load
    QString tapeFileName_;
    int schemeIndex_ = 0;
    bool sessionEnding_ = false; // options are written without a box from now on
    bool ended_ = false;         // the program ends: the options were written
    QString lastSaveName_;       // the save dialog remembers its last name while the program runs
    std::function<QDateTime()> clock_;
    std::unique_ptr<KeptTape> kept_; // while Keep Tape Between Runs is on
    QPointer<TfrmHelp> help_;        // the keyboard equivalents window, once opened
};

} // namespace ui
