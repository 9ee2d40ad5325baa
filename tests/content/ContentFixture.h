// Support for the content tool's tests: temporary folders, running the tool
// as a process, and a small complete content folder that each test changes
// in one place.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace content_test {

namespace fs = std::filesystem;

// The resources that the setup program reads, as its resource lookups need
// them: the contract that every built database must fulfil.
struct ProgramId {
    int id;
    bool picture;
};
const std::vector<ProgramId>& programIds();

struct ToolRun {
    int exitCode;
    std::string output;  // standard output and standard error
};

// Runs a shell command, or the native content-tool with the arguments.
ToolRun runCommand(const std::string& command);
ToolRun runTool(const std::vector<std::string>& arguments);
std::string shellQuote(const std::string& text);

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);
// Replaces the one occurrence of `from` (which must exist) in a file.
void replaceInFile(const fs::path& path, const std::string& from, const std::string& to);
// A change to a content folder, made by a test case.
using Edit = std::function<void(const fs::path& content)>;
// The edit that replaces the one occurrence of `from` in the content file `file`.
Edit replacing(const std::string& file, const std::string& from, const std::string& to);

// A fresh folder under the system's temporary folder, removed at the end of
// the test, holding a small complete content folder in content/:
// languages 0, 1033 and 1037 (right-to-left); every program resource, and the
// installers' digests 300 and 301 declared without values; texts
// 9 and 10 per language, all other texts in the neutral language; one
// picture for all picture resources; an offer template using the keys
// dir, h, i and i2 with the placeholder pattern {%TAG%:$1} and the tag "demo".
class ContentFixture : public ::testing::Test {
protected:
    ContentFixture();
    ~ContentFixture() override;

    const fs::path& root() const { return root_; }
    fs::path content() const { return root_ / "content"; }
    fs::path out() const { return root_ / "out"; }

    ToolRun check() const { return runTool({"check", content().string()}); }
    ToolRun build() const { return runTool({"build", content().string(), out().string()}); }
    // "FILE:LINE" as the tool names a place: the content file `file` and its
    // line that starts with `linePrefix`.
    std::string Place(const std::string& file, const std::string& linePrefix) const;
    // Appends a line to the texts of language `code`.
    void addText(const std::string& code, const std::string& line) const;
    // The names in the output folder.
    std::set<std::string> outNames() const;

private:
    fs::path root_;
};

}  // namespace content_test
