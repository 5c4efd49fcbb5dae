#pragma once
// The engine's hosts for fuzz targets (one keeps the display and ignores everything else, one keeps
// everything), and what the targets check of the engine's numbers.

#include <string>
#include <string_view>
#include <vector>

#include "decimal/StBCD.h"
#include "engine/CalcEngine.h"

struct NullHost : engine::ICalcHost
{
    std::string display = "0";
    void SetDisplayText(std::string_view t) override { display = std::string(t); }
    void AppendTapeLine(std::string_view) override {}
    void ShowMessage(engine::MessageKind, std::string_view) override {}
    void SetStatusText(std::string_view) override {}
    void ReportError(std::string_view) override {}
};

// A host that keeps everything it is told, to compare two runs.
struct RecordingHost : engine::ICalcHost
{
    std::string display = "0", status;
    std::vector<std::string> told; // tape lines, boxes and error reports in order

    void SetDisplayText(std::string_view t) override { display = std::string(t); }
    void AppendTapeLine(std::string_view line) override { told.push_back("tape " + std::string(line)); }
    void ShowMessage(engine::MessageKind, std::string_view text) override
    {
        told.push_back("box " + std::string(text));
    }
    void SetStatusText(std::string_view text) override { status = std::string(text); }
    void ReportError(std::string_view text) override { told.push_back("error " + std::string(text)); }
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
