// The scaler's stored placement: read at the first display, written after a drag, once resizes
// pause, and at a close or minimize request.

#include <QWidget>

#include "controls/ElastFrm.h"
#include "controls/ElasticMath.h"
#include "platform/Registry.h"

// ---- the stored placement ----

std::string TElasticForm::PlacementKeyPath() const
{
    std::string root = options_.ElFrmIniFile.toStdString();
    while (!root.empty() && root.back() == '\\')
        root.pop_back();
    const std::string name = form_->objectName().toStdString();
    if (root.empty() || name.empty())
        return {};
    return root + '\\' + name;
}

void TElasticForm::LoadFormState()
{
    const std::string path = PlacementKeyPath();
    platform::TRegistry key;
    if (path.empty() || !key.OpenKey(path, false))
        return;
    const auto integer = [&key](std::string_view name) { return elastic::ReadStoredInteger(key, name); };
    if (integer(elastic::TotalControlsValue).value_or(0) != ControlCount())
        return;
    // Only 2 is ever written for a maximized window; another value is damage and reads as 0.
    const int state = integer(elastic::WindowStateValue).value_or(0);
    if (state == 2) {
        stored_ = StoredPlacement::Maximized;
        firstReshowHeld_ = !designedMaximized_;
    } else {
        // Damaged values are brought into range before anything computes with them.
        storedLeft_ = elastic::SaneStoredFraction(key.ReadFloat(elastic::LeftValue).value_or(0.0));
        storedTop_ = elastic::SaneStoredFraction(key.ReadFloat(elastic::TopValue).value_or(0.0));
        storedWidth_ = elastic::SaneStoredFraction(key.ReadFloat(elastic::WidthValue).value_or(0.0));
        storedHeight_ = elastic::SaneStoredFraction(key.ReadFloat(elastic::HeightValue).value_or(0.0));
        stored_ = StoredPlacement::PositionAndSize;
    }
    const QSize minimum = MinimumUsableSize();
    options_.MaximumTrackWidth =
        elastic::SanitizedTrackValue(integer(elastic::MaxTrackWidthValue).value_or(0), minimum.width());
    options_.MaximumTrackHeight =
        elastic::SanitizedTrackValue(integer(elastic::MaxTrackHeightValue).value_or(0), minimum.height());
    for (int i = 0; i < ControlCount(); ++i) {
        TFrame& frame = frames_[static_cast<std::size_t>(i)];
        const bool visible = integer(elastic::VisibleValue(i)).value_or(1) != 0; // any but 0 is true
        if (frame.control != nullptr) {
            elastic::SetControlVisible(frame.control, visible);
            frame.visible = elastic::ControlVisible(frame.control);
        }
    }
    for (std::size_t i = 0; i < std::size(elastic::PlacementValues); ++i) {
        const auto [name, field] = elastic::PlacementValues[i];
        const std::int32_t fallback = i == 3 ? 0 : placement_.*field; // "wp MinPosX" defaults to 0
        placement_.*field = integer(name).value_or(fallback);
        if (i >= 3) // the positions and the normal rectangle
            placement_.*field = elastic::SaneStoredCoordinate(placement_.*field);
    }
}

void TElasticForm::SaveFormState()
{
    const std::string path = PlacementKeyPath();
    // Before the first display nothing has been read yet: writing now would replace the stored
    // placement with a count of no controls.
    if (path.empty() || stage_ == Stage::Waiting)
        return;
    platform::TRegistry key;
    if (!key.OpenKey(path, true))
        throw platform::ERegistryException("Failed to create key '" + path + "'");
    const bool maximizedNow = IsWindowMaximized();
    const bool normal = !maximizedNow && stored_ != StoredPlacement::Maximized;
    const QRect outer = Outer();
    elastic::WriteStoredInteger(key, elastic::TotalControlsValue, ControlCount());
    elastic::WriteStoredInteger(key, elastic::WindowStateValue, maximizedNow ? 2 : 0);
    if (normal) {
        auto fraction = [](int value, int extent) {
            return extent > 0 ? static_cast<double>(value) / extent : 0.0;
        };
        key.WriteFloat(elastic::LeftValue, fraction(outer.left(), screen_.width()));
        key.WriteFloat(elastic::TopValue, fraction(outer.top(), screen_.height()));
        key.WriteFloat(elastic::WidthValue, fraction(outer.width(), screen_.width()));
        key.WriteFloat(elastic::HeightValue, fraction(outer.height(), screen_.height()));
    }
    if (maximizedNow) {
        options_.MaximumTrackWidth = elastic::MaximizedTrackPercent(outer.width(), screen_.width());
        options_.MaximumTrackHeight = elastic::MaximizedTrackPercent(outer.height(), screen_.height());
    }
    elastic::WriteStoredInteger(key, elastic::MaxTrackWidthValue, options_.MaximumTrackWidth);
    elastic::WriteStoredInteger(key, elastic::MaxTrackHeightValue, options_.MaximumTrackHeight);
    for (int i = 0; i < ControlCount(); ++i) {
        const TFrame& frame = frames_[static_cast<std::size_t>(i)];
        // While HideControls has hidden them, the controls' own flags say nothing: the records do.
        const bool visible = frame.control == nullptr || controlsHidden_
                                 ? frame.visible
                                 : elastic::ControlVisible(frame.control);
        key.WriteString(elastic::VisibleValue(i), visible ? "1" : "0");
    }
    if (normal) {
        placement_ = platform::GetWindowPlacement(form_);
        placement_.length = 44;
    }
    for (const auto& [name, field] : elastic::PlacementValues)
        elastic::WriteStoredInteger(key, name, placement_.*field);
    key.CloseKey();
}

void TElasticForm::SaveFormStateSoon()
{
    saveTimer_.start();
}

void TElasticForm::SaveFormStateQuietly()
{
    saveTimer_.stop();
    try {
        SaveFormState();
    } catch (const std::exception& e) {
        // The placement is a convenience: a registry that cannot be written must not disturb the
        // window. The reason goes to standard error.
        qWarning("window placement: %s", e.what());
    }
}
