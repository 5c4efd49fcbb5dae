// The placement stores: the per-user registry (in a temporary hive folder) and the store in memory
// must read and write the value types the same way: integers as DWORD or as decimal text, doubles
// as 8-byte binaries, Booleans as "0"/"1", and anything of another type as missing.

#include <cstring>
#include <memory>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "controls/ElasticPlacement.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "tests/fakes/MemoryPlacementStore.h"

namespace {

using elastic::TPlacementKey;
using elastic::TPlacementStore;

constexpr char Path[] = "Software\\Quorlane\\Test\\frmStore";

enum class Kind
{
    Missing,
    Dword,
    Text,
    Binary,
};

class RegistryBackend
{
public:
    RegistryBackend()
        : hive_(folder_.filePath(QStringLiteral("user")).toStdString()),
          store_(elastic::RegistryPlacementStore())
    {}
    TPlacementStore& Store() { return *store_; }
    void PutText(const char* name, const std::string& value) { Open().WriteString(name, value); }
    void PutDword(const char* name, std::int32_t value) { Open().WriteInteger(name, value); }
    // Binary data of any length, written into the file as another program would.
    void PutBinary(const char* name, std::vector<std::uint8_t> value)
    {
        Open().CloseKey();
        const std::filesystem::path file = platform::TRegistry::HiveFile();
        auto parsed =
            platform::reghive::Parse(platform::regfile::ReadHiveFile(file).bytes, "HKEY_CURRENT_USER");
        parsed.hive.CreateKey(Path);
        ASSERT_TRUE(parsed.hive.SetValue(Path, {name, platform::reghive::TypeBinary, std::move(value)}));
        platform::files::WriteFileAtomically(file, parsed.hive.Format("HKEY_CURRENT_USER"), 0600, 0700);
    }
    Kind KindOf(const char* name)
    {
        platform::TRegistry reg;
        if (!reg.OpenKey(Path, false))
            return Kind::Missing;
        if (reg.ReadInteger(name))
            return Kind::Dword;
        if (reg.ReadString(name))
            return Kind::Text;
        return reg.ReadFloat(name) ? Kind::Binary : Kind::Missing;
    }

private:
    platform::TRegistry& Open()
    {
        registry_ = std::make_unique<platform::TRegistry>();
        EXPECT_TRUE(registry_->OpenKey(Path, true));
        return *registry_;
    }

    QTemporaryDir folder_;
    platform::ScopedHiveDirectory hive_;
    std::shared_ptr<TPlacementStore> store_;
    std::unique_ptr<platform::TRegistry> registry_;
};

class MemoryBackend
{
public:
    TPlacementStore& Store() { return store_; }
    void PutText(const char* name, const std::string& value) { store_.Set(Path, name, value); }
    void PutDword(const char* name, std::int32_t value) { store_.Set(Path, name, value); }
    void PutBinary(const char* name, std::vector<std::uint8_t> value)
    {
        store_.Set(Path, name, std::move(value));
    }
    Kind KindOf(const char* name)
    {
        const auto value = store_.Get(Path, name);
        if (!value)
            return Kind::Missing;
        if (std::holds_alternative<std::int32_t>(*value))
            return Kind::Dword;
        if (std::holds_alternative<std::string>(*value))
            return Kind::Text;
        return Kind::Binary; // doubles count as their 8 bytes
    }

private:
    elastic::TMemoryPlacementStore store_;
};

template<typename Backend>
class PlacementStores : public ::testing::Test
{
protected:
    Backend backend_;

    std::unique_ptr<TPlacementKey> Read() { return backend_.Store().OpenForReading(Path); }
};

using Backends = ::testing::Types<RegistryBackend, MemoryBackend>;
TYPED_TEST_SUITE(PlacementStores, Backends);

TYPED_TEST(PlacementStores, AMissingKeyIsNotOpened)
{
    EXPECT_EQ(this->Read(), nullptr);
}

TYPED_TEST(PlacementStores, ValuesRoundTripWithTheirTypes)
{
    {
        auto key = this->backend_.Store().OpenForWriting(Path);
        key->WriteInteger("Total Controls", 35);
        key->WriteInteger("wp MinPosX", -1);
        key->WriteFloat("Left", 0.1234567890123);
        key->WriteBool("Visible 0", true);
        key->WriteBool("Visible 1", false);
        key->Close();
    }
    EXPECT_EQ(this->backend_.KindOf("Total Controls"), Kind::Dword);
    EXPECT_EQ(this->backend_.KindOf("Left"), Kind::Binary);
    EXPECT_EQ(this->backend_.KindOf("Visible 0"), Kind::Text);
    auto key = this->Read();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadInteger("Total Controls"), 35);
    EXPECT_EQ(key->ReadInteger("wp MinPosX"), -1);
    EXPECT_EQ(key->ReadFloat("Left"), 0.1234567890123);
    EXPECT_EQ(key->ReadInteger("Visible 0"), 1);
    EXPECT_EQ(key->ReadInteger("Visible 1"), 0);
    EXPECT_EQ(key->ReadInteger("Nothing"), std::nullopt);
}

TYPED_TEST(PlacementStores, AnIntegerStoredAsTextIsReadAndWrittenAsText)
{
    this->backend_.PutText("Window State", "2");
    this->backend_.PutText("MaxTrackWidth", " 12");
    {
        auto key = this->backend_.Store().OpenForWriting(Path);
        EXPECT_EQ(key->ReadInteger("Window State"), 2);
        key->WriteInteger("Window State", 0);
        key->Close();
    }
    EXPECT_EQ(this->backend_.KindOf("Window State"), Kind::Text);
    auto key = this->Read();
    EXPECT_EQ(key->ReadInteger("Window State"), 0);
    EXPECT_EQ(key->ReadInteger("MaxTrackWidth"), std::nullopt); // not a plain decimal
}

TYPED_TEST(PlacementStores, ValuesOfAnotherTypeReadAsMissing)
{
    this->backend_.PutText("Left", "0.25");
    this->backend_.PutDword("Top", 3);
    this->backend_.PutBinary("Width", {1, 2, 3});
    this->backend_.PutBinary("Total Controls", {4, 0, 0, 0, 0, 0, 0, 0});
    this->backend_.PutText("Visible 0", "yes");
    this->backend_.PutDword("Visible 1", 0);
    this->backend_.PutText("Visible 2", "1");
    this->backend_.PutText("Window State", "99999999999");
    auto key = this->Read();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadFloat("Left"), std::nullopt);
    EXPECT_EQ(key->ReadFloat("Top"), std::nullopt);
    EXPECT_EQ(key->ReadFloat("Width"), std::nullopt);
    EXPECT_EQ(key->ReadInteger("Total Controls"), std::nullopt);
    EXPECT_EQ(key->ReadInteger("Visible 0"), std::nullopt);
    EXPECT_EQ(key->ReadInteger("Visible 1"), 0);
    EXPECT_EQ(key->ReadInteger("Visible 2"), 1);
    EXPECT_EQ(key->ReadInteger("Window State"), std::nullopt); // beyond 32 bits
}

TEST(RegistryPlacementStore, ValuesAreWrittenTogetherWhenTheKeyCloses)
{
    RegistryBackend backend;
    auto key = backend.Store().OpenForWriting(Path);
    key->WriteInteger("Total Controls", 4);
    key->WriteFloat("Left", 0.5);
    EXPECT_EQ(backend.KindOf("Left"), Kind::Missing); // deferred until Close
    key->Close();
    EXPECT_EQ(backend.KindOf("Left"), Kind::Binary);
    EXPECT_EQ(backend.KindOf("Total Controls"), Kind::Dword);
}

TEST(RegistryPlacementStore, AnInvalidPathCannotBeWritten)
{
    RegistryBackend backend;
    EXPECT_EQ(backend.Store().OpenForReading("Software\\\\Broken"), nullptr);
    EXPECT_THROW(backend.Store().OpenForWriting("Software\\\\Broken"), platform::ERegistryException);
}

TEST(MemoryPlacementStore, RecordsTheNamesItReads)
{
    elastic::TMemoryPlacementStore store;
    store.Set(Path, "Total Controls", std::int32_t{1});
    auto key = store.OpenForReading(Path);
    key->ReadInteger("Total Controls");
    key->ReadFloat("Left");
    EXPECT_EQ(store.reads, (std::vector<std::string>{"Total Controls", "Left"}));
    EXPECT_EQ(store.ValueNames(Path), std::vector<std::string>{"Total Controls"});
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
