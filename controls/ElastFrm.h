#pragma once
// TElasticForm: the form scaler. Put on a form (a top-level widget), it makes the form and every
// named control on it scale with the window: each control's position, size and font follow the
// window from their design values, the window keeps its aspect ratio if asked to, its track size is
// limited, and its placement is kept in the per-user registry under
// HKEY_CURRENT_USER\<ElFrmIniFile>\<form's objectName> (ElasticPlacement.h).
//
// It hears the form's window events in the scaler role (platform/qt/WindowEvents.h) and rescales
// never during a drag, once when a drag ends, and on other size changes only when the outer size
// moved by more than 5 pixels. Event handling: ElastFrm.cpp; control records and the rescale:
// ElastFrmRecords.cpp; the stored placement: ElastFrmPlacement.cpp.

#include <functional>
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
#include "platform/qt/WindowEvents.h"
#include "platform/qt/WindowGeometry.h"

class QWidget;

// Construction failures: a wrong owner, or a second scaler on the same form.
class EElasticForm : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The scaler's options. The design values start as the form is at the scaler's construction, as a
// form designer would have stored them; set them to the form's design metrics. Every control's left,
// top, width, height and font follow the window; the design screen is the present one.
struct TElasticOptions
{
    // Track sizes: >0 pixels, <0 minus a percentage of the screen, 0 the system's. Set them with
    // SetTrackLimits; the scaler overwrites the maximum at run time.
    int MinimumTrackWidth = 0;
    int MinimumTrackHeight = 0;
    int MaximumTrackWidth = 0;
    int MaximumTrackHeight = 0;
    // The form at design: set the sizes with SetDesignFormSize.
    int DesignFormWidth = 0;
    int DesignFormHeight = 0;
    int DesignFormClientWidth = 0;
    int DesignFormClientHeight = 0;
    int DesignFormLeft = 0;
    int DesignFormTop = 0;
    bool MaintainProportions = false;    // keep the aspect ratio
    QFont Font;                          // the form font at ratio 1.0; the form follows it
    QString ElFrmIniFile;                // registry path of the placement; "" stores nothing
    QString EFActiveControl;             // the control focused after a rescale (a minimize notes it)
    std::function<void()> OnAfterResize; // after every rescale
};

class TElasticForm : public QObject
{
    Q_OBJECT

public:
    // Raises EElasticForm when `owner` is not a form ("Owner of TElasticForm component must be a
    // form") or already has a TElasticForm ("A TElasticForm component already exists in <name>").
    explicit TElasticForm(QObject* owner);

    // The options: plain values, read at the first display and while the scaler works. The scaler
    // itself keeps some up to date (see TElasticOptions).
    TElasticOptions& Options() { return options_; }
    const TElasticOptions& Options() const { return options_; }

    // Setters with an immediate effect. The track limits (widths and heights encoded as in
    // TElasticOptions) become the window's at once (unless scaling is suspended, then at
    // ResumeScaling).
    void SetTrackLimits(QSize minimum, QSize maximum);
    // The form's design outer and client size; their difference is the frame the window's outer
    // geometry is computed with where the window system reports none.
    void SetDesignFormSize(QSize outer, QSize client);

    // Makes the control's present state its base (see the implementation). For the form itself only
    // the base font size is taken.
    void UpdateControlBounds(QWidget* control);
    // While suspended, every event except Destroyed passes untouched: no rescale, nothing saved.
    // Resuming does not rescale; it applies the track limits set meanwhile.
    void SuspendScaling() { suspended_ = true; }
    void ResumeScaling();
    // The present window and control sizes become the design metrics.
    void ResetDesignSize();
    // Reset Size, once the controls stand at their design bounds and fonts and the window at a
    // design outer size: they are laid out as the first display lays out the design. The design's
    // client (the outer size less the design's frame, which the window system's frame may differ
    // from) is the base and the window's present client the ratio, so the margins and fonts are
    // exactly those of a first start.
    void ResetToDesignLayout();
    // Writes the placement (nothing before the first display or with ElFrmIniFile empty). Raises
    // platform::ERegistryException when the registry cannot be written.
    void SaveFormState();

private:
    // One registered control's record. Bounds are in the parent's coordinates (client coordinates
    // for the form's direct children) at ratio 1.0.
    struct TFrame
    {
        QPointer<QWidget> control;
        int baseLeft = 0, baseWidth = 0, baseTop = 0, baseHeight = 0;
        double lastRatioX = 1.0, lastRatioY = 1.0;
        std::vector<int> panelWidths;    // status-bar panels
        std::vector<int> panelFontSizes; // status-bar panels' own fonts
        int baseFontSize = 0;
        bool visible = true;
        // Extents a layout leaves to the control (setFixedWidth/Height), as captured.
        bool fixedWidth = false, fixedHeight = false;
    };

    int ControlCount() const { return static_cast<int>(frames_.size()); }
    // Hides the form's aligned controls (a state change is coming) and shows them as recorded.
    void HideControls();
    void RestoreControls();
    void ResizeControls();
    void KeepProportions();
    void ComputeMaxTrackSize();
    // The registry key of the form's placement: ElFrmIniFile\<form name>; empty when nothing is stored.
    std::string PlacementKeyPath() const;

    void FormEvent(const platform::WindowEvent& event);
    void Act(const platform::WindowEvent& event);
    void OnResized(platform::WindowState state);
    void OnActivated();
    void OnShown();
    void OnTrackLimitsAsked(platform::TrackSizes* limits);
    void OnDisplayChanged(QSize screen);
    void OnMinimizeRequested();
    void OnDragEnded();

    void InitializeScaling();
    void FirstDisplay();
    void LoadFormState();
    // The stored placement of a normal window: its position, then its size.
    void ApplyStoredPosition();
    void ApplyStoredSize();
    // Stores the placement now (a deferred store pending is done with it).
    void SaveFormStateQuietly();
    // Stores it once no resize has followed for a moment.
    void SaveFormStateSoon();
    // Makes the control's present bounds its base, taken back from the ratios it was scaled by.
    void TakeBounds(TFrame& frame, double ratioX, double ratioY);
    void PrepareRecord(TFrame& frame);
    void ApplyRecord(TFrame& frame, QSize client, double fontRatio);

    QRect Outer() const;
    void SetFormBounds(const QRect& outer);
    void ApplyFontToForm();
    void SetComponentFontSize(int points);
    void SyncDesignFrame();
    void UpdateTrackLimits();
    QSize MinimumUsableSize() const;
    QWidget* FindRegistered(const QString& name) const;
    void RefocusNoted();
    // Whether the window is kept above the others (Always on Top).
    bool StaysOnTop() const;
    bool IsWindowMaximized() const;
    // The owner's OnAfterResize, the last step of a rescale. It may move the window (the main window
    // keeps itself inside the work area), and that move comes back to Act as a GeometryChanging
    // before the callback returns.
    void AfterResize();

    QWidget* form_ = nullptr;
    platform::TWindowEvents events_;

    TElasticOptions options_;

    // Screen and scale.
    QSize screen_;
    QSize designScreen_;
    int designFormFont_ = 0; // points, at the first display
    QSize designFrame_;      // outer less client size of the design, at the first display
    QRect initial_;
    QSize baseClient_;
    int baseFont_ = 0;
    double fontRatio_ = 1.0;
    QSize referenceSize_;
    QSize lastSize_;

    // Controls.
    std::vector<TFrame> frames_;
    std::vector<QWidget*> aligned_; // the form's registered direct children, in alignment order

    // Stored placement.
    platform::TWindowPlacement placement_;
    double storedLeft_ = 0.0, storedTop_ = 0.0, storedWidth_ = 0.0, storedHeight_ = 0.0;
    bool designedMaximized_ = false; // the form was maximized when the scaler was put on it

    // ---- the scaler's state: each field answers one question ----

    // How far the scaling has come; it only moves forward.
    enum class Stage
    {
        Waiting,   // no visible event yet: nothing read, nothing stored
        Started,   // the first visible event read the controls and the stored placement and placed
                   // the window; the first rescale is still to come
        Rescaled,  // the first rescale prepared the records; the controls wait to be shown as recorded
        Displayed, // the first display is complete: a rescale only scales
    };
    Stage stage_ = Stage::Waiting;
    // A window stored maximized but designed normal: the first display shows the controls as
    // recorded only after the first Shown (this matters only before Displayed).
    bool firstReshowHeld_ = false;

    // Whose sizes the window keeps.
    enum class Sizing
    {
        StartUp,         // not yet activated: every resize puts the window back to its initial bounds,
                         // so that the window system's start-up sizing cannot move it
        ActivationArmed, // activated: the next change of the window's geometry ends the start-up
        User,            // since that change, the end of a drag or a maximize: the user's sizes stand
    };
    Sizing sizing_ = Sizing::StartUp;

    // What of the stored placement still waits to be applied.
    enum class StoredPlacement
    {
        None,            // nothing stored, or all of it applied
        PositionAndSize, // a normal window's: the position at the first visible event,
        Size,            // then the size at the first Shown
        Maximized,       // a maximized window's: maximized again at activation, until when only the
                         // maximized state is saved; the user's restore drops it
    };
    StoredPlacement stored_ = StoredPlacement::None;

    // The scaler's own geometry changes, and those of the after-resize callback, come back to it as
    // window events before the call that made them returns. What it is in the middle of:
    enum class Reentry
    {
        None,
        SnappingBack, // putting the window back to its initial bounds: that Resized does not snap again
        AfterResize,  // in OnAfterResize: a move it makes may end ActivationArmed
    };
    Reentry reentry_ = Reentry::None;

    bool suspended_ = false;                // SuspendScaling: events pass untouched
    bool dragResizing_ = false;             // a drag resized the window: one rescale at its end
    bool maximizedSeen_ = false;            // acted on as maximized, and not since on a restore
    bool controlsHidden_ = false;           // HideControls hid the aligned controls
    bool userInteracted_ = false;           // pointer, close or minimize: showing again does not rescale
    bool activeControlFocusPending_ = true; // EFActiveControl is focused at the next rescale
    QPointer<QWidget> noted_;
    // A resize outside a drag stores the placement once the resizing has paused, not at every step.
    QTimer saveTimer_;
};
