#pragma once
// Helpers for the tray icon's tests: a fresh fake notification area per test, a form to own the
// component, a manual animation timer, coloured icons told apart by their cache keys.

#include <functional>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include "controls/StTrIcon.h"
#include "platform/qt/TrayShell.h"
#include "tests/fakes/TrayShellFake.h"

namespace traytest {

inline QIcon ColourIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// Fires only when told.
class ManualTimer : public TStTrayTimer
{
public:
    explicit ManualTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
    void Start(int intervalMs) override
    {
        interval_ = intervalMs;
        active_ = true;
        ++starts;
    }
    void Stop() override { active_ = false; }
    void SetInterval(int intervalMs) override { interval_ = intervalMs; }
    bool IsActive() const override { return active_; }
    int Interval() const override { return interval_; }

    // One interval passes (nothing while stopped, like a real timer).
    void Fire()
    {
        if (active_ && interval_ > 0)
            onTick_();
    }
    int starts = 0;

private:
    std::function<void()> onTick_;
    bool active_ = false;
    int interval_ = 0;
};

class TrayFixture : public ::testing::Test
{
protected:
    using Shell = platform::tray::TFakeTrayShell;

    void TearDown() override
    {
        // Nothing an earlier test posted may reach the next one.
        QCoreApplication::processEvents();
    }

    // A component on `form` with the manual timer; properties set by `configure`, then Loaded().
    TStTrayIcon* Make(const std::function<void(TStTrayIcon&)>& configure = {})
    {
        auto* tray = new TStTrayIcon(&form);
        tray->SetTimerFactory([this](std::function<void()> onTick) {
            auto made = std::make_unique<ManualTimer>(std::move(onTick));
            timer = made.get();
            return made;
        });
        if (configure)
            configure(*tray);
        tray->Loaded();
        return tray;
    }

    // The icons the calls of one kind carried, by cache key.
    std::vector<qint64> SentIcons(platform::tray::DWORD message) const
    {
        std::vector<qint64> keys;
        for (const auto& call : shell->CallsOf(message))
            keys.push_back(call.icon.cacheKey());
        return keys;
    }

    std::shared_ptr<Shell> shell = std::make_shared<Shell>();
    platform::tray::ScopedTrayShell scope{shell};
    QWidget form; // owns the component; goes before the fake shell
    ManualTimer* timer = nullptr;
};

} // namespace traytest
