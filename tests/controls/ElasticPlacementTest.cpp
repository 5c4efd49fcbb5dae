// The stored placement's value types in the per-user registry (in a temporary hive folder):
// integers as DWORD or as decimal text, doubles as 8-byte binaries, Booleans as "0"/"1", and
// anything of another type as missing.

#include <gtest/gtest.h>

#include "TempRegistry.h"
#include "controls/ElasticPlacement.h"

namespace {

using controlstest::TempRegistry;
using Value = TempRegistry::Value;
using elastic::ReadStoredInteger;

constexpr char Path[] = "Software\\Quorlane\\Test\\frmStore";

TEST(StoredPlacementValues, IntegersRoundTripInTheFormStoredAlready)
{
    TempRegistry stored;
    stored.Set(Path, "Window State", std::string("2"));
    stored.Set(Path, "MaxTrackWidth", std::string(" 12"));
    {
        platform::TRegistry key;
        ASSERT_TRUE(key.OpenKey(Path, true));
        EXPECT_EQ(ReadStoredInteger(key, "Window State"), 2);
        elastic::WriteStoredInteger(key, "Window State", 0);
        elastic::WriteStoredInteger(key, "Total Controls", 35);
        elastic::WriteStoredInteger(key, "wp MinPosX", -1);
        key.CloseKey();
    }
    EXPECT_EQ(stored.Get(Path, "Window State"), Value(std::string("0"))); // text stays text
    EXPECT_EQ(stored.Get(Path, "Total Controls"), Value(std::int32_t{35}));
    platform::TRegistry key;
    ASSERT_TRUE(key.OpenKey(Path, false));
    EXPECT_EQ(ReadStoredInteger(key, "Total Controls"), 35);
    EXPECT_EQ(ReadStoredInteger(key, "wp MinPosX"), -1);
    EXPECT_EQ(ReadStoredInteger(key, "MaxTrackWidth"), std::nullopt); // not a plain decimal
    EXPECT_EQ(ReadStoredInteger(key, "Nothing"), std::nullopt);
}

TEST(StoredPlacementValues, ValuesOfAnotherTypeReadAsMissing)
{
    TempRegistry stored;
    stored.Set(Path, "Left", std::string("0.25"));
    stored.Set(Path, "Top", std::int32_t{3});
    stored.Set(Path, "Width", std::vector<std::uint8_t>{1, 2, 3});
    stored.Set(Path, "Total Controls", 4.0);
    stored.Set(Path, "Visible 0", std::string("yes"));
    stored.Set(Path, "Visible 1", std::int32_t{0});
    stored.Set(Path, "Visible 2", std::string("+1"));
    stored.Set(Path, "Window State", std::string("99999999999"));
    platform::TRegistry key;
    ASSERT_TRUE(key.OpenKey(Path, false));
    EXPECT_EQ(key.ReadFloat("Left"), std::nullopt);
    EXPECT_EQ(key.ReadFloat("Top"), std::nullopt);
    EXPECT_EQ(key.ReadFloat("Width"), std::nullopt);
    EXPECT_EQ(ReadStoredInteger(key, "Total Controls"), std::nullopt);
    EXPECT_EQ(ReadStoredInteger(key, "Visible 0"), std::nullopt);
    EXPECT_EQ(ReadStoredInteger(key, "Visible 1"), 0);
    EXPECT_EQ(ReadStoredInteger(key, "Visible 2"), 1);
    EXPECT_EQ(ReadStoredInteger(key, "Window State"), std::nullopt); // beyond 32 bits
}

TEST(PlacementFields, ElevenValuesInTheirOrder)
{
    platform::TWindowPlacement p;
    p.flags = 2;
    p.showCmd = 3;
    p.minPosX = 4;
    p.minPosY = 5;
    p.maxPosX = 6;
    p.maxPosY = 7;
    p.normLeft = 8;
    p.normTop = 9;
    p.normRight = 10;
    p.normBottom = 11;
    std::vector<std::int32_t> fields;
    for (const auto& value : elastic::PlacementValues)
        fields.push_back(p.*value.field);
    EXPECT_EQ(fields, (std::vector<std::int32_t>{44, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_STREQ(elastic::PlacementValues[0].name, "wp length ");
    EXPECT_STREQ(elastic::PlacementValues[10].name, "wp NormPosBottom");
}

} // namespace
