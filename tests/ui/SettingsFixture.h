#pragma once
// A test fixture whose registry hives live in a fresh temporary folder and whose dialogs are
// answered by the fake, reset before and after each test.

#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "platform/Registry.h"

namespace uitest {

class SettingsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeDialogs::Instance().Reset();
        ASSERT_TRUE(dir.isValid());
        hive = std::make_unique<platform::ScopedHiveDirectory>(
            dir.filePath(QStringLiteral("user")).toStdString());
    }
    void TearDown() override
    {
        hive.reset();
        FakeDialogs::Instance().Reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<platform::ScopedHiveDirectory> hive;
};

} // namespace uitest
