#pragma once
// Helpers for the registry tests: a fresh temporary folder per test with the per-user file redirected
// into it (no test may touch the real home or /etc), whole-file reads and writes.

#include "platform/Registry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace regtest {

namespace fs = std::filesystem;

// The start of a hive file: its first line and a blank line.
inline constexpr char HiveHeader[] = "Windows Registry Editor Version 5.00\n"
                                     "\n";

inline std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << file;
}

// Names of the entries in a folder, sorted.
inline std::vector<std::string> EntriesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline unsigned ModeOf(const fs::path& path)
{
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0xFFFFFFFF;
}

// A fresh folder, removed with everything in it (permissions restored first).
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::path(::testing::TempDir()) / "quorlane-registry-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::end(it);
             it.increment(error)) {
            if (it->is_directory(error) && !it->is_symlink(error))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// The per-user file in a fresh temporary folder: user/user.reg.
class RegistryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The redirection must hold before anything is opened.
        ASSERT_EQ(platform::TRegistry::HiveFile(), UserFile());
    }

    fs::path UserFolder() const { return temp_.Path() / "user"; }
    fs::path UserFile() const { return UserFolder() / "user.reg"; }

    TempFolder temp_;
    platform::ScopedHiveDirectory hive_{temp_.Path() / "user"};
};

// Sets or unsets an environment variable for its lifetime.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            previous_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (previous_)
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace regtest
