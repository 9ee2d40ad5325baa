// The content tool run as a process, and a small complete content folder that each test changes in one place.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace content_test {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode;
    std::string output;  // standard output and standard error
};

// Runs a program, or the native content-tool, with the arguments.
ToolRun run(const std::vector<std::string>& arguments);
ToolRun runTool(std::vector<std::string> arguments);

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);

// A change to a content folder: replaces the one occurrence of `from` in `file` (it must exist), or appends a line.
using Edit = std::function<void(const fs::path& content)>;
Edit replacing(const std::string& file, const std::string& from, const std::string& to);
Edit appending(const std::string& file, const std::string& line);

// SHA-256 of "abc" (FIPS 180-2, appendix B.1).
inline const std::string kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// In a temporary folder, content/: languages 0, 1033 and 1037 (right-to-left); every resource the program reads;
// texts 9 and 10 per language, the others neutral (lines 2 and 3: the installers' https:// addresses 56 and 61); one
// picture; Hebrew's digest 301 of a file "abc"; an offer template (keys dir, h, i, i2; pattern {%TAG%:$1}; tag demo).
class ContentFixture : public ::testing::Test {
protected:
    ContentFixture();
    ~ContentFixture() override;

    fs::path content() const { return root_ / "content"; }
    fs::path out() const { return root_ / "out"; }
    ToolRun check() const { return runTool({"check", content().string()}); }
    ToolRun build() const { return runTool({"build", content().string(), out().string()}); }

    fs::path root_;
};

}  // namespace content_test
