#pragma once
// The engine's host for fuzz targets: it keeps the display and ignores everything else.

#include <string>
#include <string_view>

#include "engine/CalcEngine.h"

struct NullHost : engine::ICalcHost
{
    std::string display = "0";
    std::string DisplayText() const override { return display; }
    void SetDisplayText(std::string_view t) override { display = std::string(t); }
    void ClearDisplay() override { display.clear(); }
    void AppendTapeLine(std::string_view) override {}
    void ShowMessage(engine::MessageKind, std::string_view) override {}
    void ReleaseKeys() override {}
    void SetStatusText(std::string_view) override {}
    void ReportError(std::string_view) override {}
};
