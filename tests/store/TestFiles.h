// Test helpers: a fresh folder per test (the store opens files by bare name)
// and whole-file reads and writes that do not go through the store.
#pragma once
#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A new file, as editors and sync tools replace one: a hard link to the old one keeps the old bytes.
inline void writeFile(const std::string& name, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

inline bool fileExists(const std::string& name) { return std::filesystem::exists(name); }

// Runs each test in a new empty folder and removes it afterwards.
class InTempDir : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        oldDir_ = fs::current_path();
        std::mt19937_64 rng(std::random_device{}() ^ uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
        do dir_ = fs::temp_directory_path() / ("quillpad-test-" + std::to_string(rng()));
        while (!fs::create_directory(dir_));
        fs::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(oldDir_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

private:
    std::filesystem::path oldDir_, dir_;
};
