// content-tool: builds resources.db and resources.zip from a content folder,
// and checks content against what the setup program reads.
#include "Build.h"
#include "ContentCheck.h"
#include "ContentReader.h"
#if CONTENT_TOOL_SIGNING
#include "ArchiveSigning.h"
#endif

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: content-tool build CONTENT_DIR OUT_DIR [SIGNING_KEY]\n"
    "           writes OUT_DIR/resources.db and OUT_DIR/resources.zip, the\n"
    "           archive signed with the private key SIGNING_KEY (PEM) if given\n"
    "       content-tool check CONTENT_DIR\n"
    "           reports, per language, what the setup program would miss, and\n"
    "           warns about installers downloaded over plain http:// unchecked\n"
    "       content-tool sign ARCHIVE SIGNING_KEY\n"
    "           signs the resource archive ARCHIVE in place\n"
    "       content-tool verify ARCHIVE PUBLIC_KEY...\n"
    "           succeeds when one of the public keys (PEM) made ARCHIVE's signature\n"
    "Signing and verifying need the tool built for the build machine (OpenSSL).\n"
    "The folder format is described in content/README.md.\n";

#if CONTENT_TOOL_SIGNING
content::ArchiveSigner SignerWith(const fs::path& key)
{
    return [key](const std::string& archive) { return content::SignArchive(archive, key); };
}
#else
[[noreturn]] content::ArchiveSigner SignerWith(const fs::path&)
{
    throw std::runtime_error("signing needs the content tool built for the build machine (OpenSSL)");
}
#endif

int Build(const fs::path& contentFolder, const fs::path& outFolder, const std::vector<fs::path>& signingKey)
{
    content::BuildContent(contentFolder, outFolder,
                          signingKey.empty() ? content::ArchiveSigner() : SignerWith(signingKey[0]));
    std::cout << "wrote " << (outFolder / "resources.db").u8string() << " and "
              << (outFolder / "resources.zip").u8string() << "\n";
    return 0;
}

int Check(const fs::path& contentFolder)
{
    const content::Content content = content::ReadContent(contentFolder);
    const std::vector<content::Fault> faults = content::CheckContent(content);
    const bool failed = content::CountErrors(faults) > 0;
    content::PrintFaults(content, faults, failed ? std::cerr : std::cout);
    return failed ? kExitFault : 0;
}

int Sign(const fs::path& archive, const fs::path& key)
{
    content::SignArchiveFile(archive, SignerWith(key));
    std::cout << "signed " << archive.u8string() << "\n";
    return 0;
}

int Verify(const fs::path& archive, const std::vector<fs::path>& publicKeys)
{
#if CONTENT_TOOL_SIGNING
    const fs::path signer = content::FindArchiveSigner(content::ReadAll(archive), publicKeys);
    if (signer.empty()) {
        std::cerr << "content-tool: " << archive.u8string()
                  << ": no signature, or one that none of the public keys made\n";
        return kExitFault;
    }
    std::cout << "signature verifies: " << archive.u8string() << " signed with " << signer.u8string() << "\n";
    return 0;
#else
    (void)archive;
    (void)publicKeys;
    throw std::runtime_error("verifying needs the content tool built for the build machine (OpenSSL)");
#endif
}

int Run(const std::vector<fs::path>& arguments)
{
    const std::string command = arguments.empty() ? std::string() : arguments[0].u8string();
    try {
        if (command == "build" && (arguments.size() == 3 || arguments.size() == 4)) {
            return Build(arguments[1], arguments[2], {arguments.begin() + 3, arguments.end()});
        }
        if (command == "sign" && arguments.size() == 3) {
            return Sign(arguments[1], arguments[2]);
        }
        if (command == "verify" && arguments.size() >= 3) {
            return Verify(arguments[1], {arguments.begin() + 2, arguments.end()});
        }
        if (command == "check" && arguments.size() == 2) {
            return Check(arguments[1]);
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
    return Run(arguments);
}
