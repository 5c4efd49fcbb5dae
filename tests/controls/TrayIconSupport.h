#pragma once
// Helpers for the tray icon's tests: a fresh fake notification area per test, a form to own the
// component, coloured icons told apart by their cache keys.

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

class TrayFixture : public ::testing::Test
{
protected:
    using Shell = platform::tray::TFakeTrayShell;

    void TearDown() override
    {
        // Nothing an earlier test posted may reach the next one.
        QCoreApplication::processEvents();
    }

    // A component on `form`; properties set by `configure`, then made Active unless told otherwise.
    TStTrayIcon* Make(const std::function<void(TStTrayIcon&)>& configure = {}, bool active = true)
    {
        auto* tray = new TStTrayIcon(&form);
        if (configure)
            configure(*tray);
        if (active)
            tray->SetActive(true);
        return tray;
    }

    // The icons the calls of one kind carried, by cache key.
    std::vector<qint64> SentIcons(platform::tray::TrayCall op) const
    {
        std::vector<qint64> keys;
        for (const auto& call : shell->CallsOf(op))
            keys.push_back(call.icon.cacheKey());
        return keys;
    }

    std::shared_ptr<Shell> shell = std::make_shared<Shell>();
    platform::tray::ScopedTrayShell scope{shell};
    QWidget form; // owns the component; goes before the fake shell
};

} // namespace traytest
