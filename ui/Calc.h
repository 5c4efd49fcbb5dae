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
#include "engine/Corrections.h"
#include "platform/qt/VirtualKeys.h"
#include "ui/ColorSchemes.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QStatusBar;
class TabcPicSpeedBtn;
class TElasticForm;
class TStTrayIcon;
struct TestAccess;

namespace ui {

class DesignFonts;
class DisplayField;
class FocusSink;
class KeptTape;
class TapeModel;
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

    // Started with "/tray" while the tray icon shows: the program does not show the window.
    bool StartHidden() const { return startHidden_; }

    // Brings the window forward for a second start: restored when minimised, else raised and
    // activated together with its open dialog.
    void BringToFront();

    // The desktop session ends (the session manager asks for the data): the options are written as
    // a close writes them but never with a box (a failure goes to standard error), and so are they
    // by every later close. EndSession (the program is asked to end, SIGTERM) then grants the close.
    void SaveOptionsForSessionEnd();
    void EndSession();

    // The engine's host.
    void SetDisplayText(std::string_view text) override;
    void AppendTapeLine(std::string_view line) override;
    // No key button stays drawn pressed under the box.
    void ShowMessage(engine::MessageKind kind, std::string_view text) override;
    void SetStatusText(std::string_view text) override;
    void ReportError(std::string_view message) override;

signals:
    // The window's close was granted: the program ends.
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The tests read what the window keeps to itself through tests/TestAccess.h.
    friend struct ::TestAccess;
    std::vector<std::string> TapeLines() const;
    TabcPicSpeedBtn* Button(const QString& name) const;

    // The keyboard map's stages (eventFilter runs them in this order).
    bool FormShortCut(const platform::VirtualKey& key);
    bool FormKeyDown(const platform::VirtualKey& key); // false when the key is none of the keypad's
    bool FormKeyPress(QChar character);
    void FormKeyUp();

    // The proportional scaler of the whole window, and the notification-area icon.
    TElasticForm* ElasticForm = nullptr;
    TStTrayIcon* TrayIcon = nullptr;
    void ToggleTrayIcon();

    // Window size and position.
    QRect GetWorkArea() const;
    void AdjustFormPosition();
    void SetMinMaxSize();
    // The scaler's after-resize callback: the tape's insertion point in view, the window inside the
    // work area (a move the scaler hears as its next event).
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
    // Whether the window is kept above the others now.
    bool OnTop() const;

    // Saves the tape as a text document (the clock_ dates its footer).
    void SaveFile(const QString& fileName);

    // The menu items' handlers.
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
    bool SaveOptionsAtClose();
    bool KeepTapeAtClose();
    // Save As: true when the tape was written.
    bool SaveTapeAs();
    StoredOptions CurrentOptions() const;
    void SchemeClick(int index);
    void RestoreKeptTape();
    std::unique_ptr<KeptTape> KeepTape(bool write);
    void ShowKeptTapeProblem(const QString& problem);
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

    // Check and correct (ui/CalcCorrections.cpp): an entry on the tape corrected in place, deleted,
    // or a new one inserted before it; notes; undo and redo.
    enum class TapeEdit
    {
        Correct,
        Insert,
        Note,
    };
    void CreateCorrectionItems(QMenu* tapeMenu);
    void BeginTapeEdit(TapeEdit what, std::size_t line);
    void FinishTapeEdit(bool accepted);
    // The accepted edit made: a correction, an insertion or a note; `back` gives the display the
    // focus (before a box is shown; else the caller does, once the result waits for it).
    void FinishAcceptedEdit(const QString& typed, const std::function<void()>& back);
    void DeleteTapeEntry(std::size_t line);
    // The tape, the memory indicator and the kept tape after a recomputation (lines from `from` on).
    void ShowRecomputed(const engine::Recomputed& recomputed);
    // F2, Insert (and Delete while the tape has the focus) on the selected tape line.
    bool TapeEditKey(const platform::VirtualKey& key, bool tapeFocused);
    std::optional<std::size_t> SelectedTapeLine() const;
    void TapeLineActivated(std::size_t line);
    void mnuEditUndoClick();
    void mnuEditRedoClick();
    // The record behind the kept tape, written beside it at close; at start, the kept tape restored
    // with its record where the record makes exactly that tape (false: restore it as text).
    void KeepRecord();
    bool RestoreRecord(const TapeModel& restored);
    void RemoveRecord();

    engine::CalcEngine engine_;
    std::unique_ptr<engine::TapeCorrections> corrections_;
    QLineEdit* tapeEditor_ = nullptr; // open while a tape line is edited in place
    TapeEdit tapeEdit_ = TapeEdit::Correct;
    std::size_t tapeEditLine_ = 0;
    QAction* mnuEditUndo_ = nullptr;
    QAction* mnuEditRedo_ = nullptr;
    QAction* mnuTapeEditMode_ = nullptr; // a double click corrects an entry instead of using it
    bool loading_ = false;
    bool startHidden_ = false;
    KeyKind running_ = KeyKind::Other;
    bool spokeThisKey_ = false; // the key running now said something, or showed a box
    bool holdMessages_ = false; // the keys go to the tape: messages wait for the focus's return
    QString heldMessage_;
    bool menuClosing_ = false; // an item chosen from a menu runs: the focus returns to the display

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
    QString setAsideText_;       // what the start set aside of the options, told once the window shows
    QString tapeProblem_;        // the kept tape's failure the status bar shows
    std::function<QDateTime()> clock_;
    std::unique_ptr<KeptTape> kept_; // while Keep Tape Between Runs is on
    QPointer<TfrmHelp> help_;        // the keyboard equivalents window, once opened
};

} // namespace ui
