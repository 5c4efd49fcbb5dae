#pragma once
// The one way the tests reach what a class keeps to itself: each such class names TestAccess its
// friend, and only tests include this header. The functions are templates over the class they
// read, so that a test program needs only the headers of the classes it tests.

#include <utility>

struct TestAccess
{
    // The main window (ui::TfrmMain): its engine, the display's text as the engine keeps it, the
    // tape's lines, a key button by name, the colour scheme's number, whether it is kept on top, the
    // desktop's work area, the scaler, the tray icon, the tape's file name and the clock that dates
    // a saved tape.
    template<class Window>
    static const auto& Engine(const Window& w)
    {
        return w.engine_;
    }
    template<class Window>
    static const auto& DisplayText(const Window& w)
    {
        return w.engine_.State().DisplayText;
    }
    template<class Window>
    static auto TapeLines(const Window& w)
    {
        return w.TapeLines();
    }
    template<class Window, class Name>
    static auto* Button(const Window& w, const Name& name)
    {
        return w.Button(name);
    }
    template<class Window>
    static int SchemeIndex(const Window& w)
    {
        return w.schemeIndex_;
    }
    template<class Window>
    static bool OnTop(const Window& w)
    {
        return w.OnTop();
    }
    template<class Window>
    static auto GetWorkArea(const Window& w)
    {
        return w.GetWorkArea();
    }
    template<class Window>
    static auto* ElasticForm(const Window& w)
    {
        return w.ElasticForm;
    }
    template<class Window>
    static auto* TrayIcon(const Window& w)
    {
        return w.TrayIcon;
    }
    template<class Window>
    static const auto& TapeFileName(const Window& w)
    {
        return w.tapeFileName_;
    }
    template<class Window, class Clock>
    static void SetClock(Window& w, Clock clock)
    {
        w.clock_ = std::move(clock);
    }

    // The tray icon (TStTrayIcon): adds the icon now.
    template<class Icon>
    static void AddIcon(Icon& icon)
    {
        icon.AddIcon();
    }
};
