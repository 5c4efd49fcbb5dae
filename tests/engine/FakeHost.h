#pragma once
// A recording host for engine tests: display, tape, status bar, and every box and error report.

#include <string>
#include <vector>

#include "engine/CalcEngine.h"

namespace enginetest {

struct FakeHost : engine::ICalcHost
{
    std::string display = "0";
    std::string status;
    std::vector<std::string> tape;
    std::vector<std::string> messages; // "Caption: text"
    std::vector<std::string> errors;

    void SetDisplayText(std::string_view text) override { display = std::string(text); }
    void AppendTapeLine(std::string_view line) override { tape.emplace_back(line); }
    void ShowMessage(engine::MessageKind kind, std::string_view text) override
    {
        messages.push_back(std::string(engine::CaptionOf(kind)) + ": " + std::string(text));
    }
    void SetStatusText(std::string_view text) override { status = std::string(text); }
    void ReportError(std::string_view message) override { errors.emplace_back(message); }
};

} // namespace enginetest
