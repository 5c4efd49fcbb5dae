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
    bool IsNormalStyle() const;
    bool IsWindowMaximized() const;

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

    // Flags.
    bool suspended_ = false;
    bool dragInProgress_ = false;
    bool initialized_ = false; // set as the first visible event starts the scaling
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
    bool snapping_ = false;
    int positionChanges_ = 0;
    bool designedMaximized_ = false;
    QPointer<QWidget> noted_;
    // A resize outside a drag stores the placement once the resizing has paused, not at every step.
    QTimer saveTimer_;
};
