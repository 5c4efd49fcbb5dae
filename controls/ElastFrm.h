#pragma once
// TElasticForm: the form scaler. Put on a form (a top-level widget), it makes the form and every
// named control on it scale with the window: when the user resizes, maximizes or restores the
// window, each control's position, size and font are recomputed from the values the control had at
// design, the window keeps its aspect ratio if asked to, its track size is limited, and its
// placement is kept in the per-user registry between runs.
//
// It works from the form's window events (platform/qt/WindowEvents.h): the constructor registers
// FormEvent in the scaler role, after the tray icon's. When it rescales: never during a drag, once when a
// drag ends, on other size changes only when the outer size moved by more than 5 pixels.
//
// Options (initial values; the Design values are taken from the form at construction, as a form
// designer would have stored them; set them afterwards to the form's design metrics):
//   ElasticHorizontal/Vertical/Font  true   rescale left and width / top and height / fonts
//   DesignScreenWidth/Height         the present screen's maximized-window size
//   DesignPixelsPerInch              the screen's (recorded only)
//   MaximizedPosX/Y, Minimum/MaximumTrackWidth/Height  0: >0 pixels, <0 minus percent of the
//                                    screen, 0 the system's (the maximum is overwritten at run time)
//   DesignFormWidth/Height, DesignFormClientWidth/Height, DesignFormLeft/Top  the form's
//   MaintainProportions              false  keep the aspect ratio
//   Font                             the form font at ratio 1.0
//   ElFrmIniFile                     ""     registry path of the placement; "" stores nothing
//   ResolutionIndependence           true   scale by present / design screen
//   EFActiveControl                  ""     the control focused after a rescale
//   OnAfterResize                    none   after every rescale
//
// The controls of this program are plain widgets, labels and a status bar with panels; options for
// grids, toolbars, header sections, tab sheets, extra font properties, background pictures and MDI
// windows are left out, as are the designer's timer and font warning.
//
// The stored placement lives under HKEY_CURRENT_USER\<ElFrmIniFile>\<form's objectName> (see
// SaveFormState and ElasticPlacement.h). What the window's placement and this component's state
// mean, and the order of events, is in the implementation next to the event handlers.

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

#include "controls/ElasticControls.h"
#include "controls/ElasticPlacement.h"
#include "platform/qt/Colors.h"
#include "platform/qt/WindowEvents.h"
#include "platform/qt/WindowGeometry.h"

class QLabel;
class QWidget;

// Construction failures: a wrong owner, or a second scaler on the same form.
class EElasticForm : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// An event handler; `sender` is the component.
using TNotifyEvent = std::function<void(QObject* sender)>;

// A font as the scaler keeps it: face and size, and the text colour (a TColor, so that a system
// colour reference such as clWindowText stays one).
struct TElasticFont
{
    QFont font;
    TColor color = clWindowText;

    int Size() const; // points
    void SetSize(int points);
};

class TElasticForm : public QObject
{
    Q_OBJECT

public:
    // One registered control's record. Bounds are in the parent's coordinates (client coordinates
    // for the form's direct children) at ratio 1.0.
    struct TFrame
    {
        TElasticForm* owner = nullptr;
        QPointer<QWidget> control;
        int baseLeft = 0, baseWidth = 0, baseTop = 0, baseHeight = 0;
        double lastRatioX = 1.0, lastRatioY = 1.0;
        bool isStatusBar = false;
        std::vector<int> panelWidths;    // status-bar panels
        std::vector<int> panelFontSizes; // status-bar panels' own fonts
        int baseFontSize = 0;
        bool visible = true;
        // Extents a layout leaves to the control (setFixedWidth/Height), as captured.
        bool fixedWidth = false, fixedHeight = false;
    };

    // Raises EElasticForm when `owner` is not a form ("Owner of TElasticForm component must be a
    // form") or already has a TElasticForm ("A TElasticForm component already exists in <name>").
    explicit TElasticForm(QObject* owner);
    ~TElasticForm() override;
    TElasticForm(const TElasticForm&) = delete;
    TElasticForm& operator=(const TElasticForm&) = delete;

    bool ElasticHorizontal() const { return elasticHorizontal_; }
    void SetElasticHorizontal(bool value) { elasticHorizontal_ = value; }
    bool ElasticVertical() const { return elasticVertical_; }
    void SetElasticVertical(bool value) { elasticVertical_ = value; }
    bool ElasticFont() const { return elasticFont_; }
    void SetElasticFont(bool value) { elasticFont_ = value; }
    int DesignScreenWidth() const { return designScreenWidth_; }
    void SetDesignScreenWidth(int value) { designScreenWidth_ = value; }
    int DesignScreenHeight() const { return designScreenHeight_; }
    void SetDesignScreenHeight(int value) { designScreenHeight_ = value; }
    int DesignPixelsPerInch() const { return designPixelsPerInch_; }
    void SetDesignPixelsPerInch(int value) { designPixelsPerInch_ = value; }
    int MaximizedPosX() const { return maximizedPosX_; }
    void SetMaximizedPosX(int value);
    int MaximizedPosY() const { return maximizedPosY_; }
    void SetMaximizedPosY(int value);
    // Track limits: changing one makes it the window's limit at once (unless scaling is suspended,
    // then at ResumeScaling).
    int MinimumTrackWidth() const { return minimumTrackWidth_; }
    void SetMinimumTrackWidth(int value);
    int MinimumTrackHeight() const { return minimumTrackHeight_; }
    void SetMinimumTrackHeight(int value);
    int MaximumTrackWidth() const { return maximumTrackWidth_; }
    void SetMaximumTrackWidth(int value);
    int MaximumTrackHeight() const { return maximumTrackHeight_; }
    void SetMaximumTrackHeight(int value);
    int DesignFormWidth() const { return designFormWidth_; }
    void SetDesignFormWidth(int value);
    int DesignFormHeight() const { return designFormHeight_; }
    void SetDesignFormHeight(int value);
    int DesignFormClientWidth() const { return designFormClientWidth_; }
    void SetDesignFormClientWidth(int value);
    int DesignFormClientHeight() const { return designFormClientHeight_; }
    void SetDesignFormClientHeight(int value);
    int DesignFormLeft() const { return designFormLeft_; }
    void SetDesignFormLeft(int value) { designFormLeft_ = value; }
    int DesignFormTop() const { return designFormTop_; }
    void SetDesignFormTop(int value) { designFormTop_ = value; }
    bool MaintainProportions() const { return maintainProportions_; }
    void SetMaintainProportions(bool value) { maintainProportions_ = value; }
    const TElasticFont& Font() const { return font_; }
    // Takes the font and makes it the form's font.
    void SetFont(const TElasticFont& value);
    QString ElFrmIniFile() const { return elFrmIniFile_; }
    void SetElFrmIniFile(const QString& value) { elFrmIniFile_ = value; }
    bool ResolutionIndependence() const { return resolutionIndependence_; }
    void SetResolutionIndependence(bool value) { resolutionIndependence_ = value; }
    QString EFActiveControl() const { return efActiveControl_; }
    void SetEFActiveControl(const QString& value) { efActiveControl_ = value; }
    const TNotifyEvent& OnAfterResize() const { return onAfterResize_; }
    void SetOnAfterResize(TNotifyEvent handler) { onAfterResize_ = std::move(handler); }

    // Makes the control's present state its base (see the implementation). For the form itself only
    // the base font size is taken.
    void UpdateControlBounds(QWidget* control);
    // While suspended, every event except Destroyed passes untouched: no rescale, nothing saved.
    // Resuming does not rescale; it applies the track limits set meanwhile.
    void SuspendScaling();
    void ResumeScaling();
    bool ScalingSuspended() const { return suspended_; }
    // The present window and control sizes become the design metrics.
    void ResetDesignSize();
    // Writes the placement (nothing before the first display or with ElFrmIniFile empty). Raises
    // platform::ERegistryException when the registry cannot be written.
    void SaveFormState();

    // The rescale and its helpers, as the event handling runs them.
    void ResizeControls();
    void KeepProportions();
    void ComputeMaxTrackSize();
    void HideControls();
    void RestoreControls();

    // Where the placement is kept: the registry (the default) or another store.
    void SetPlacementStore(std::shared_ptr<elastic::TPlacementStore> store) { store_ = std::move(store); }
    // The registry key of the form's placement: ElFrmIniFile\<form name>; empty when nothing is stored.
    std::string PlacementKeyPath() const;

    // State, for the window and for tests.
    QWidget* Form() const { return form_; }
    int ControlCount() const { return static_cast<int>(frames_.size()); }
    QWidget* Control(int index) const;
    const TFrame& Frame(int index) const { return frames_.at(index); }
    const std::vector<QWidget*>& AlignedControls() const { return aligned_; }
    bool Initialized() const { return initialized_; }
    bool Activated() const { return activated_; }
    bool Maximized() const { return maximized_; }
    bool UserInteracted() const { return userInteracted_; }
    bool DragInProgress() const { return dragInProgress_; }
    bool ControlsHidden() const { return controlsHidden_; }
    double FontRatio() const { return fontRatio_; }
    int BaseFontSize() const { return baseFont_; }
    QSize BaseClientSize() const { return baseClient_; }
    QRect InitialBounds() const { return initial_; }
    QSize LastSize() const { return lastSize_; }
    QSize ReferenceSize() const { return referenceSize_; }
    QSize MaximizedSize() const { return maximizedSize_; }
    QSize ScreenSize() const { return screen_; }
    // The last failure absorbed while handling an event (a placement that could not be saved).
    const std::string& LastError() const { return lastError_; }

signals:
    void AfterResize();

protected:
    // Fires OnAfterResize, then AfterResize.
    virtual void DoAfterResize();

private:
    void FormEvent(const platform::WindowEvent& event);
    void Act(const platform::WindowEvent& event);
    void OnResized(platform::WindowState state);
    void OnActivated();
    void OnShown();
    void OnTrackLimitsAsked(platform::TrackSizes* limits);
    void OnDisplayChanged(QSize screen);
    void OnCloseRequested();
    void OnMinimizeRequested();
    void OnDragEnded();

    void InitializeScaling();
    void FirstDisplay();
    void LoadFormState();
    // Stores the placement now (a deferred store pending is done with it).
    void SaveFormStateQuietly();
    // Stores it once no resize has followed for a moment.
    void SaveFormStateSoon();
    void PrepareRecord(TFrame& frame, double scaleX, double scaleY, double fontScale);
    void ApplyRecord(TFrame& frame, QSize client, double fontRatio);

    QRect Outer() const;
    void SetFormBounds(const QRect& outer);
    void ApplyFontToForm();
    void SyncFormFont();
    void SetComponentFontSize(int points);
    void SyncDesignFrame();
    void UpdateTrackLimits();
    QSize MinimumUsableSize() const;
    QWidget* FindRegistered(const QString& name) const;
    void RefocusNoted();
    bool IsBorderless() const;
    bool IsNormalStyle() const;
    bool IsWindowMaximized() const;

    QWidget* form_ = nullptr;
    platform::TWindowEvents events_;
    std::shared_ptr<elastic::TPlacementStore> store_;

    // Options.
    bool elasticHorizontal_ = true;
    bool elasticVertical_ = true;
    bool elasticFont_ = true;
    int designScreenWidth_ = 0;
    int designScreenHeight_ = 0;
    int designPixelsPerInch_ = 96;
    int maximizedPosX_ = 0;
    int maximizedPosY_ = 0;
    int minimumTrackWidth_ = 0;
    int minimumTrackHeight_ = 0;
    int maximumTrackWidth_ = 0;
    int maximumTrackHeight_ = 0;
    int designFormWidth_ = 0;
    int designFormHeight_ = 0;
    int designFormClientWidth_ = 0;
    int designFormClientHeight_ = 0;
    int designFormLeft_ = 0;
    int designFormTop_ = 0;
    bool maintainProportions_ = false;
    TElasticFont font_;
    QString elFrmIniFile_;
    bool resolutionIndependence_ = true;
    QString efActiveControl_;
    TNotifyEvent onAfterResize_;

    // Screen and scale.
    QSize screen_;
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;
    double fontScale_ = 1.0;
    int scaledFormFont_ = 0;
    QRect initial_;
    QSize baseClient_;
    int baseFont_ = 0;
    double fontRatio_ = 1.0;
    QSize referenceSize_;
    QSize lastSize_;
    QSize maximizedSize_;

    // Controls.
    std::vector<TFrame> frames_;
    std::vector<QWidget*> aligned_; // the form's registered direct children, in alignment order

    // Stored placement.
    platform::TWindowPlacement placement_;
    double storedLeft_ = 0.0, storedTop_ = 0.0, storedWidth_ = 0.0, storedHeight_ = 0.0;

    // Flags.
    bool suspended_ = false;
    bool dragInProgress_ = false;
    bool resizedDuringDrag_ = false;
    bool initPending_ = true;
    bool initialized_ = false;
    bool firstRescalePending_ = true;
    bool firstDisplayPending_ = true;
    bool activated_ = false;
    bool maximized_ = false;
    bool storedMaximized_ = false;
    bool placementLoaded_ = false;
    bool controlsHidden_ = false;
    bool userInteracted_ = false;
    bool suppressFirstReshow_ = false;
    bool focusPending_ = true;
    bool pendingPosition_ = false;
    bool pendingSize_ = false;
    bool passThrough_ = false;
    bool snapping_ = false;
    int positionChanges_ = 0;
    bool centred_ = false;
    bool designedMaximized_ = false;
    QPointer<QWidget> noted_;
    std::string lastError_;
    // A resize outside a drag stores the placement once the resizing has paused, not at every step.
    QTimer saveTimer_;
};
