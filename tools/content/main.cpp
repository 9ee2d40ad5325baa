// content-tool: builds resources.db and resources.zip from a content folder,
// and checks content against what the setup program reads.
#include "Build.h"
#include "ContentCheck.h"
#include "ContentReader.h"
#include "NewLanguage.h"
#if CONTENT_TOOL_SIGNING
#include "ArchiveSigning.h"
#include "OfferPreview.h"
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: content-tool build [--release] [--no-check] [--passin SOURCE] [--depfile FILE]\n"
    "                          CONTENT_DIR OUT_DIR [SIGNING_KEY]\n"
    "           checks the content (as check does; --no-check skips it), then writes\n"
    "           OUT_DIR/resources.db and OUT_DIR/resources.zip, the archive signed\n"
    "           with the private key SIGNING_KEY (PEM) if given; --depfile writes a\n"
    "           make rule naming every file read, installers included\n"
    "       content-tool check [--release] CONTENT_DIR\n"
    "           reports, per language, what the setup program would miss, warns about\n"
    "           installers downloaded over plain http:// unchecked, empty texts and\n"
    "           outdated translations, and prints the digests it computed; --release\n"
    "           also refuses plain http:// or loopback installer addresses, missing\n"
    "           installer digests (300, 301) and empty texts\n"
    "       content-tool sign [--passin SOURCE] ARCHIVE SIGNING_KEY\n"
    "           signs the resource archive ARCHIVE in place\n"
    "       content-tool verify ARCHIVE PUBLIC_KEY...\n"
    "           succeeds when one of the public keys (PEM) made ARCHIVE's signature\n"
    "       content-tool new-language CODE FROM [CONTENT_DIR]\n"
    "           adds language CODE, to be translated from language FROM: its line in\n"
    "           languages.tsv, texts/CODE.txt with FROM's texts noted beside each\n"
    "           text to translate, and FROM's offer description to translate\n"
    "       content-tool preview CONTENT_DIR LANGUAGE OUT.html\n"
    "           writes the language's offer page and checks it in headless Chromium\n"
    "The pass phrase SOURCE of an encrypted key is taken as OpenSSL's -passin takes\n"
    "it: pass:TEXT, env:VARIABLE, file:PATH; without it the terminal asks.\n"
    "Signing, verifying and preview need the tool built for the build machine.\n"
    "The folder format is described in content/README.md.\n";

// The options of a command line, taken out of its arguments.
struct Options {
    bool release = false;
    bool noCheck = false;
    std::string passPhraseSource;
    fs::path depfile;
};

Options TakeOptions(std::vector<fs::path>& arguments)
{
    Options options;
    for (auto at = arguments.begin(); at != arguments.end();) {
        const std::string name = at->u8string();
        const bool valued = (name == "--passin" || name == "--depfile") && at + 1 != arguments.end();
        if (name == "--release") {
            options.release = true;
        } else if (name == "--no-check") {
            options.noCheck = true;
        } else if (valued) {
            if (name == "--passin") {
                options.passPhraseSource = (at + 1)->u8string();
            } else {
                options.depfile = *(at + 1);
            }
            at = arguments.erase(at);
        } else {
            ++at;
            continue;
        }
        at = arguments.erase(at);
    }
    return options;
}

#if CONTENT_TOOL_SIGNING
content::ArchiveSigner SignerWith(const fs::path& key, const std::string& passPhraseSource, std::string& fingerprint)
{
    return [key, passPhraseSource, &fingerprint](const std::string& archive) {
        content::SignedArchive signedArchive = content::SignArchive(archive, key, passPhraseSource);
        fingerprint = signedArchive.keyFingerprint;
        return signedArchive.bytes;
    };
}
#else
[[noreturn]] content::ArchiveSigner SignerWith(const fs::path&, const std::string&, std::string&)
{
    throw std::runtime_error("signing needs the content tool built for the build machine (OpenSSL)");
}
#endif

// Checks before a build; false when the content must not be built.
bool CheckBeforeBuild(const content::Content& content, const Options& options)
{
    if (options.noCheck) {
        std::cout << "content-tool: building without checking the content (--no-check)\n";
        return true;
    }
    const std::vector<content::Fault> faults = content::CheckContent(content, options.release);
    if (content::CountErrors(faults) > 0) {
        content::PrintFaults(content, faults, std::cerr);
        std::cerr << "content-tool: nothing built: the content fails the check (--no-check builds it anyway)\n";
        return false;
    }
    if (!faults.empty()) {
        content::PrintFaults(content, faults, std::cout);
    }
    return true;
}

int Build(const fs::path& contentFolder, const fs::path& outFolder, const std::vector<fs::path>& signingKey,
          const Options& options)
{
    const content::Content content = content::ReadContent(contentFolder);
    if (!CheckBeforeBuild(content, options)) {
        return kExitFault;
    }
    std::string fingerprint;
    content::BuildContent(content, outFolder,
                          signingKey.empty() ? content::ArchiveSigner()
                                             : SignerWith(signingKey[0], options.passPhraseSource, fingerprint));
    if (!options.depfile.empty()) {
        content::WriteDependencies(content, outFolder / "resources.zip", options.depfile);
    }
    std::cout << "wrote " << (outFolder / "resources.db").u8string() << " and "
              << (outFolder / "resources.zip").u8string() << "\n";
    if (signingKey.empty()) {
        std::cout << "the archive is not signed (no signing key given)\n";
    } else {
        std::cout << "signed the archive with " << signingKey[0].u8string() << " (public key SHA-256 " << fingerprint
                  << ")\n";
    }
    return 0;
}

int Check(const fs::path& contentFolder, const Options& options)
{
    const content::Content content = content::ReadContent(contentFolder);
    const std::vector<content::Fault> faults = content::CheckContent(content, options.release);
    const bool failed = content::CountErrors(faults) > 0;
    content::PrintDigests(content, std::cout);
    content::PrintFaults(content, faults, failed ? std::cerr : std::cout);
    return failed ? kExitFault : 0;
}

int Sign(const fs::path& archive, const fs::path& key, const Options& options)
{
    std::string fingerprint;
    content::SignArchiveFile(archive, SignerWith(key, options.passPhraseSource, fingerprint));
    std::cout << "signed " << archive.u8string() << " with " << key.u8string() << " (public key SHA-256 "
              << fingerprint << ")\n";
    return 0;
}

int Verify(const fs::path& archive, const std::vector<fs::path>& publicKeys)
{
#if CONTENT_TOOL_SIGNING
    const content::SignerFound signer = content::FindArchiveSigner(content::ReadAll(archive), publicKeys);
    if (!signer.hasSignature) {
        std::cerr << "content-tool: " << archive.u8string() << ": no signature\n";
        return kExitFault;
    }
    if (signer.publicKey.empty()) {
        std::cerr << "content-tool: " << archive.u8string()
                  << ": signed with another key (none of the public keys given), or altered since it was signed\n";
        return kExitFault;
    }
    std::cout << "signature verifies: " << archive.u8string() << " signed with " << signer.publicKey.u8string()
              << " (public key SHA-256 " << signer.keyFingerprint << ")\n";
    return 0;
#else
    (void)archive;
    (void)publicKeys;
    throw std::runtime_error("verifying needs the content tool built for the build machine (OpenSSL)");
#endif
}

int NewLanguage(const std::string& code, const std::string& from, const fs::path& contentFolder)
{
    const std::vector<std::string> toDo = content::AddLanguage(contentFolder, code, from);
    std::cout << "added language " << code << " to " << contentFolder.u8string() << "; now:\n";
    for (const std::string& step : toDo) {
        std::cout << "  " << step << "\n";
    }
    std::cout << "  content-tool check " << contentFolder.u8string() << " lists what is still missing\n";
    return 0;
}

#if CONTENT_TOOL_SIGNING
// A word for the shell.
std::string ShellWord(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Writes the offer page of a language and checks it in headless Chromium as
// the offer tests do, at the page's size (dialog template 114, 445 x 310
// units of "MS Shell Dlg" 8 pt at 96 dpi), with a screenshot beside it. The
// browser is installed as chromium or, on some systems, chromium-browser.
int Preview(const fs::path& contentFolder, const std::string& code, const fs::path& out)
{
    const content::Content content = content::ReadContent(contentFolder);
    if (code == content::kNeutralLanguage || !content.FindLanguage(code)) {
        throw std::runtime_error("the content has no language " + code + " that a user can choose");
    }
    const std::string html = content::BuildOfferPreview(content, code);
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    if (!(file << html).flush()) {
        throw std::runtime_error("cannot write " + out.u8string());
    }
    fs::path screenshot = out;
    screenshot.replace_extension(".png");
    std::cout << "wrote " << out.u8string() << "; checking it in headless Chromium" << std::endl;
    const std::string command = "python3 " + ShellWord(CONTENT_TOOL_OFFER_PAGE_CHECK) + " --content " +
                                ShellWord(contentFolder.u8string()) + " --language " + ShellWord(code) + " --html " +
                                ShellWord(out.u8string()) + " --screenshot " + ShellWord(screenshot.u8string()) +
                                " --chromium \"$(command -v chromium || command -v chromium-browser || echo chromium)\"" +
                                " --width 668 --height 504";
    return std::system(command.c_str()) == 0 ? 0 : kExitFault;
}
#else
[[noreturn]] int Preview(const fs::path&, const std::string&, const fs::path&)
{
    throw std::runtime_error("the preview needs the content tool built for the build machine");
}
#endif

int RunCommand(const std::string& command, const std::vector<fs::path>& arguments, const Options& options)
{
    const std::size_t count = arguments.size();
    if (command == "build" && (count == 3 || count == 4)) {
        return Build(arguments[1], arguments[2], {arguments.begin() + 3, arguments.end()}, options);
    }
    if (command == "sign" && count == 3) {
        return Sign(arguments[1], arguments[2], options);
    }
    if (command == "verify" && count >= 3) {
        return Verify(arguments[1], {arguments.begin() + 2, arguments.end()});
    }
    if (command == "new-language" && (count == 3 || count == 4)) {
        return NewLanguage(arguments[1].u8string(), arguments[2].u8string(), count == 4 ? arguments[3] : ".");
    }
    if (command == "preview" && count == 4) {
        return Preview(arguments[1], arguments[2].u8string(), arguments[3]);
    }
    if (command == "check" && count == 2) {
        return Check(arguments[1], options);
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << kUsage;
    return kExitUsage;
}

int Run(std::vector<fs::path> arguments)
{
    const Options options = TakeOptions(arguments);
    const std::string command = arguments.empty() ? std::string() : arguments[0].u8string();
    try {
        return RunCommand(command, arguments, options);
    } catch (const content::ContentError& error) {
        std::cerr << "content-tool: " << error.what() << "\n";
        return kExitFault;
    } catch (const std::exception& error) {
        std::cerr << "content-tool: " << command << " failed: " << error.what() << "\n";
        return kExitFault;
    }
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
