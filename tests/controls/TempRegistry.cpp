#include "TempRegistry.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/RegistryHive.h"

namespace controlstest {
namespace {

using namespace platform::reghive;

constexpr char Root[] = "HKEY_CURRENT_USER";

Hive ReadHive()
{
    return Parse(platform::files::ReadWholeFile(platform::TRegistry::HiveFile(),
                                                platform::regfile::MaxHiveFileSize)
                     .bytes,
                 Root)
        .hive;
}

template<typename T>
Bytes BytesOf(T value)
{
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value); // little-endian, as the registry stores them
    return bytes;
}

} // namespace

TempRegistry::TempRegistry()
    : hive_(folder_.path().toStdString()), hooks_({.fsync = [this](int fd) {
          ++saves;
          return ::fsync(fd);
      }})
{}

void TempRegistry::Set(std::string_view key, std::string_view name, const Value& value)
{
    Hive hive = ReadHive();
    hive.CreateKey(key);
    platform::reghive::Value stored{std::string(name), TypeBinary, {}};
    if (const auto* dword = std::get_if<std::int32_t>(&value))
        stored = {stored.name, TypeDword, BytesOf(*dword)};
    else if (const auto* number = std::get_if<double>(&value))
        stored.data = BytesOf(*number);
    else if (const auto* text = std::get_if<std::string>(&value))
        stored = {stored.name, TypeString, Bytes(text->begin(), text->end())};
    else
        stored.data = std::get<Bytes>(value);
    hive.SetValue(key, stored);
    std::ofstream(platform::TRegistry::HiveFile(), std::ios::binary | std::ios::trunc) << hive.Format(Root);
}

std::optional<TempRegistry::Value> TempRegistry::Get(std::string_view key, std::string_view name) const
{
    const Hive hive = ReadHive();
    const platform::reghive::Value* v = hive.FindValue(key, name);
    if (v == nullptr)
        return std::nullopt;
    if (v->type == TypeDword && v->data.size() == 4) {
        std::int32_t dword = 0;
        std::memcpy(&dword, v->data.data(), 4);
        return dword;
    }
    if (v->type == TypeBinary && v->data.size() == 8) {
        double number = 0;
        std::memcpy(&number, v->data.data(), 8);
        return number;
    }
    if (v->type == TypeString)
        return std::string(v->data.begin(), v->data.end());
    return v->data;
}

std::vector<std::string> TempRegistry::ValueNames(std::string_view key) const
{
    std::istringstream text(ReadHive().Format(Root));
    const std::string section = "[" + std::string(Root) + "\\" + std::string(key) + "]";
    std::vector<std::string> names;
    std::string line;
    while (std::getline(text, line) && line != section) {
    }
    while (std::getline(text, line) && line.starts_with('"'))
        names.push_back(line.substr(1, line.find("\"=") - 1));
    return names;
}

} // namespace controlstest
