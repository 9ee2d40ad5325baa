// content-tool: builds resources.db and resources.zip from a content folder,
// and checks content against what the setup program reads.
#include "Build.h"
#include "ContentCheck.h"
#include "ContentReader.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: content-tool build CONTENT_DIR OUT_DIR\n"
    "           writes OUT_DIR/resources.db and OUT_DIR/resources.zip\n"
    "       content-tool check CONTENT_DIR\n"
    "           reports, per language, what the setup program would miss, and\n"
    "           warns about installers downloaded over plain http:// unchecked\n"
    "The folder format is described in content/README.md.\n";

int build(const fs::path& contentFolder, const fs::path& outFolder)
{
    content::buildContent(contentFolder, outFolder);
    std::cout << "wrote " << (outFolder / "resources.db").u8string() << " and "
              << (outFolder / "resources.zip").u8string() << "\n";
    return 0;
}

int check(const fs::path& contentFolder)
{
    const content::Content content = content::readContent(contentFolder);
    const std::vector<content::Fault> faults = content::checkContent(content);
    const bool failed = content::countErrors(faults) > 0;
    content::printFaults(content, faults, failed ? std::cerr : std::cout);
    return failed ? kExitFault : 0;
}

int run(const std::vector<fs::path>& arguments)
{
    const std::string command = arguments.empty() ? std::string() : arguments[0].u8string();
    try {
        if (command == "build" && arguments.size() == 3) {
            return build(arguments[1], arguments[2]);
        }
        if (command == "check" && arguments.size() == 2) {
            return check(arguments[1]);
        }
        if (command == "--help" || command == "-h" || command == "help") {
            std::cout << kUsage;
            return 0;
        }
    } catch (const content::ContentError& error) {
        std::cerr << "content-tool: " << error.what() << "\n";
        return kExitFault;
    } catch (const std::exception& error) {
        std::cerr << "content-tool: " << command << " failed: " << error.what() << "\n";
        return kExitFault;
    }
    std::cerr << kUsage;
    return kExitUsage;
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that folders with any name work on Windows.
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    std::vector<fs::path> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return run(arguments);
}
