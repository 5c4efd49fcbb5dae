// The scaler's control records: what each registered control was at design, and the rescale that
// applies the window's present ratio to them.

#include <algorithm>

#include <QLabel>
#include <QStatusBar>
#include <QWidget>

#include "controls/ElastFrm.h"
#include "controls/ElasticMath.h"

namespace {

double Ratio(int now, int base)
{
    return base > 0 ? static_cast<double>(now) / base : 1.0;
}

} // namespace

// ---- records ----

void TElasticForm::TakeBounds(TFrame& frame, double ratioX, double ratioY)
{
    const QRect b = elastic::ControlBounds(form_, frame.control);
    frame.baseLeft = elastic::Round(b.left() / ratioX);
    frame.baseWidth = elastic::Round(b.width() / ratioX);
    frame.baseTop = elastic::Round(b.top() / ratioY);
    frame.baseHeight = elastic::Round(b.height() / ratioY);
    frame.fixedWidth = elastic::HasFixedWidth(frame.control);
    frame.fixedHeight = elastic::HasFixedHeight(frame.control);
}

void TElasticForm::PrepareRecord(TFrame& frame)
{
    QWidget* c = frame.control;
    if (c == nullptr)
        return;
    frame.panelWidths.clear();
    frame.panelFontSizes.clear();
    if (auto* bar = qobject_cast<QStatusBar*>(c)) {
        for (QWidget* panel : elastic::StatusPanels(bar)) {
            // A panel sized by its contents is held at that width from now on.
            const int width = elastic::PanelWidth(panel);
            elastic::SetPanelWidth(panel, width);
            frame.panelWidths.push_back(width);
            frame.panelFontSizes.push_back(elastic::FontSize(panel->font()));
        }
    }
    frame.baseFontSize = elastic::FontSize(c->font());
}

void TElasticForm::ApplyRecord(TFrame& frame, QSize client, double fontRatio)
{
    QWidget* c = frame.control;
    if (c == nullptr)
        return;
    elastic::SetControlFontSize(c, elastic::RoundHalfDown(fontRatio * frame.baseFontSize));
    // A status bar's panels write with the status bar's font.
    auto* bar = qobject_cast<QStatusBar*>(c);
    const std::vector<QWidget*> panels =
        bar != nullptr ? elastic::StatusPanels(bar) : std::vector<QWidget*>();
    for (std::size_t i = 0; i < panels.size() && i < frame.panelFontSizes.size(); ++i)
        elastic::SetControlFontSize(panels[i], elastic::RoundHalfDown(fontRatio * frame.panelFontSizes[i]));

    const double ratioX = Ratio(client.width(), baseClient_.width());
    const double ratioY = Ratio(client.height(), baseClient_.height());
    frame.lastRatioX = ratioX;
    frame.lastRatioY = ratioY;
    elastic::SetControlBounds(
        form_, c,
        QRect(elastic::Round(frame.baseLeft * ratioX), elastic::Round(frame.baseTop * ratioY),
              elastic::Round(frame.baseWidth * ratioX), elastic::Round(frame.baseHeight * ratioY)),
        frame.fixedWidth, frame.fixedHeight);
    for (std::size_t i = 0; i < panels.size() && i < frame.panelWidths.size(); ++i)
        elastic::SetPanelWidth(panels[i], elastic::Round(frame.panelWidths[i] * ratioX));

    if (elastic::IsLayoutManaged(c))
        return;
    if (qobject_cast<QLabel*>(c) != nullptr) {
        // Fitted to the new font, but never smaller than the scaled bounds.
        const QRect before = c->geometry();
        c->adjustSize();
        c->setGeometry(QRect(before.topLeft(), c->size().expandedTo(before.size())));
    }
}

// ---- the rescale ----

void TElasticForm::ResizeControls()
{
    if (dragResizing_)
        return;
    if (!options_.EFActiveControl.isEmpty() && activeControlFocusPending_) {
        if (QWidget* target = FindRegistered(options_.EFActiveControl))
            target->setFocus(Qt::OtherFocusReason);
        if (form_->focusWidget() != nullptr)
            activeControlFocusPending_ = false;
    }
    if (stage_ < Stage::Rescaled) {
        stage_ = Stage::Rescaled;
        for (TFrame& frame : frames_)
            PrepareRecord(frame);
        if (designFormFont_ != 0)
            SetComponentFontSize(designFormFont_);
        baseClient_ = QSize(options_.DesignFormClientWidth, options_.DesignFormClientHeight);
        baseFont_ = elastic::FontSize(options_.Font);
    }
    const std::optional<double> r = elastic::FontRatioSize(baseFont_, Outer().size(), baseClient_);
    if (r) {
        SetComponentFontSize(elastic::Round(*r));
        fontRatio_ = *r / baseFont_;
    }
    const QSize client = platform::ClientSize(form_);
    for (TFrame& frame : frames_)
        ApplyRecord(frame, client, fontRatio_);
    if (stage_ == Stage::Rescaled && !firstReshowHeld_) {
        RestoreControls();
        stage_ = Stage::Displayed;
    }
    AfterResize();
}

void TElasticForm::KeepProportions()
{
    const QRect outer = Outer();
    const QSize size = elastic::KeepProportions(outer.size(), referenceSize_);
    if (referenceSize_.height() == 0)
        return;
    SetFormBounds(QRect(outer.topLeft(), size));
}

void TElasticForm::ComputeMaxTrackSize()
{
    const std::optional<QSize> size =
        elastic::ComputeMaxTrackSize(QSize(options_.DesignFormWidth, options_.DesignFormHeight), screen_);
    if (!size)
        return;
    options_.MaximumTrackWidth = size->width();
    options_.MaximumTrackHeight = size->height();
    UpdateTrackLimits();
}

void TElasticForm::HideControls()
{
    if (controlsHidden_)
        return;
    for (auto it = aligned_.rbegin(); it != aligned_.rend(); ++it)
        (*it)->setVisible(false);
    controlsHidden_ = true;
}

void TElasticForm::RestoreControls()
{
    for (const TFrame& frame : frames_) {
        if (frame.control != nullptr)
            elastic::SetControlVisible(frame.control, frame.visible);
    }
    controlsHidden_ = false;
    if (!options_.EFActiveControl.isEmpty() && form_->focusWidget() == nullptr) {
        if (QWidget* target = FindRegistered(options_.EFActiveControl))
            target->setFocus(Qt::OtherFocusReason);
    }
}

// ---- public operations ----

void TElasticForm::UpdateControlBounds(QWidget* control)
{
    if (control == nullptr)
        return;
    if (control == form_) {
        baseFont_ = elastic::FontSize(options_.Font);
        return;
    }
    const auto it = std::find_if(frames_.begin(), frames_.end(),
                                 [control](const TFrame& f) { return f.control == control; });
    if (it == frames_.end())
        return;
    TFrame& frame = *it;
    TakeBounds(frame, frame.lastRatioX > 0.0 ? frame.lastRatioX : 1.0,
               frame.lastRatioY > 0.0 ? frame.lastRatioY : 1.0);
    frame.visible = elastic::ControlVisible(control);
    frame.baseFontSize = elastic::FontSize(control->font());
}

void TElasticForm::ResetDesignSize()
{
    const QRect outer = Outer();
    const QSize client = platform::ClientSize(form_);
    options_.DesignFormClientWidth = client.width();
    options_.DesignFormClientHeight = client.height();
    options_.DesignFormWidth = outer.width();
    options_.DesignFormHeight = outer.height();
    SyncDesignFrame();
    for (TFrame& frame : frames_) {
        if (frame.control == nullptr)
            continue;
        TakeBounds(frame, 1.0, 1.0);
        PrepareRecord(frame);
        // The present state is ratio 1.0 from now on.
        frame.lastRatioX = 1.0;
        frame.lastRatioY = 1.0;
    }
    baseClient_ = client;
    baseFont_ = elastic::FontSize(form_->font());
}

void TElasticForm::ResetToDesignLayout()
{
    ResetDesignSize();
    if (stage_ < Stage::Rescaled)
        return; // the first display lays the design out itself
    const QSize outer = Outer().size();
    options_.DesignFormClientWidth = outer.width() - designFrame_.width();
    options_.DesignFormClientHeight = outer.height() - designFrame_.height();
    SyncDesignFrame();
    baseClient_ = QSize(options_.DesignFormClientWidth, options_.DesignFormClientHeight);
    if (designFormFont_ != 0)
        baseFont_ = designFormFont_;
    ResizeControls();
    lastSize_ = outer;
}
