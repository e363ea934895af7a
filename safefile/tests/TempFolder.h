#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

// A scratch folder under /tmp, open to every user (some tests save as an unprivileged user),
// with a cache folder of its own for the backup copies of rewrites in place.
class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = MakeFolder("/tmp/loan_file_test_XXXXXX");
        cache_ = MakeFolder("/tmp/loan_cache_test_XXXXXX");
        ASSERT_EQ(::chmod(cache_.c_str(), 0777), 0);
        ::setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CACHE_HOME");
        ::chmod(folder_.c_str(), 0755);
        std::filesystem::remove_all(folder_);
        std::filesystem::remove_all(cache_);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    std::vector<std::string> Entries() const { return EntriesOf(folder_); }
    // The backup copies kept in the cache, whichever program's folder they are in.
    std::vector<std::string> Backups() const {
        std::vector<std::string> names;
        for (const auto& store : std::filesystem::directory_iterator(cache_))
            if (store.is_directory())
                for (const std::string& name : EntriesOf(store.path())) names.push_back(name);
        return names;
    }
    // The descriptors this process holds open.
    static int OpenDescriptors() {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
            ++n;
        return n;
    }
    static std::vector<std::string> EntriesOf(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::filesystem::path folder_;
    std::filesystem::path cache_;

  private:
    static std::filesystem::path MakeFolder(std::string pattern) {
        if (::mkdtemp(pattern.data()) == nullptr) return {};
        ::chmod(pattern.c_str(), 0755);
        return pattern;
    }
};
