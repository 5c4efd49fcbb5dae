#pragma once
// The engine's host for fuzz targets (it keeps the display and ignores everything else), and what
// the targets check of the engine's numbers.

#include <string>
#include <string_view>

#include "decimal/StBCD.h"
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

// A number as the engine holds it: the decimal type reads it, or finds it beyond its range (a pasted
// number may be, up to about 1E4932, as the clipboard is read as an extended float; the next key
// that computes with it reports "Result greater than 1E+64"). `decimal` is the engine's separator.
inline bool IsANumber(std::string_view text, char decimal)
{
    try {
        BcdFromText(text, {.decimal = decimal});
        return true;
    } catch (const EStBCDError& e) {
        return e.ErrorId == 82;
    }
}
