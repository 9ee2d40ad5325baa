#include "ContentCheck.h"

#include "Jpeg.h"
#include "ProgramResources.h"
#include "TextRules.h"
#include "tasks/Sha256Text.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <algorithm>
#include <cctype>

namespace content {

namespace {

std::string quoted(std::string text)
{
    constexpr std::size_t kShown = 40;
    if (text.size() > kShown) {
        text = text.substr(0, kShown) + "...";
    }
    return "\"" + text + "\"";
}

std::string resourceLabel(const Content& content, std::int32_t id)
{
    const ResourceDef* def = content.findResource(id);
    return std::to_string(id) + (def ? " " + def->name : std::string());
}

void replaceAll(std::string& text, const std::string& search, const std::string& value)
{
    if (search.empty()) {
        return;
    }
    for (std::size_t at = text.find(search); at != std::string::npos; at = text.find(search, at + value.size())) {
        text.replace(at, search.size(), value);
    }
}

bool isInstallerDigest(std::int32_t id)
{
    const auto& installers = installerResources();
    return std::any_of(installers.begin(), installers.end(),
                       [id](const InstallerResource& installer) { return installer.digest == id; });
}

// The scheme in any case, as the download accepts it.
bool isPlainHttp(const std::string& address)
{
    const std::string scheme = "http://";
    auto sameLetter = [](char expected, char given) {
        return expected == std::tolower(static_cast<unsigned char>(given));
    };
    return address.size() >= scheme.size() && std::equal(scheme.begin(), scheme.end(), address.begin(), sameLetter);
}

// Faults of one stored value, whatever language reads it.
void checkValue(const Content& content, const std::string& code, std::int32_t id, const Value& value,
                std::vector<Fault>& faults)
{
    const ResourceDef& def = *content.findResource(id);
    const std::string where = value.place() + ": " + resourceLabel(content, id);
    if (def.type == ResourceType::Picture) {
        const std::optional<JpegFrame> frame = readJpegFrame(value.bytes);
        if (!frame) {
            faults.push_back({code, where + ": the picture is not a JPEG file"});
        } else if (frame->progressive) {
            faults.push_back({code, where + ": the picture is a progressive JPEG, which the Windows picture "
                                            "loader may not show; save it as baseline JPEG"});
        }
        return;
    }
    if (auto offset = findInvalidUtf8(value.bytes)) {
        faults.push_back({code, where + ": not valid UTF-8 (byte " + std::to_string(*offset + 1) + ")"});
        return;
    }
    if (isInstallerDigest(id) && !ParseSha256Text(value.bytes)) {
        faults.push_back({code, where + ": the digest " + quoted(value.bytes) +
                                    " is not 64 hexadecimal digits, so the program refuses the installer"});
        return;
    }
    // Whole files (offer template and description) are used as they are.
    if (!value.file.empty()) {
        return;
    }
    auto program = std::find_if(programResources().begin(), programResources().end(),
                                [id](const ProgramResource& resource) { return resource.id == id; });
    const bool shownRaw = program != programResources().end() && !program->expanded;
    for (const std::string& macro : findMacros(value.bytes)) {
        if (!isKnownMacro(macro)) {
            faults.push_back({code, where + ": unknown macro " + quoted(macro)});
        } else if (shownRaw) {
            faults.push_back({code, where + ": the program shows this text without replacing macros, so " +
                                        quoted(macro) + " would appear as it is"});
        }
    }
}

// Faults of the offer page in one language: the description must parse and
// hold every key whose placeholder the template contains.
void checkOffer(const Content& content, const std::string& code, std::vector<Fault>& faults)
{
    auto text = [&](std::int32_t id) {
        const Value* value = content.resolve(code, id);
        return value ? value->bytes : std::string();
    };
    const Value* templateValue = content.resolve(code, offer::kTemplate);
    const Value* description = content.resolve(code, offer::kDescription);
    const std::string pattern = text(offer::kPlaceholderPattern);
    if (!templateValue || !description || pattern.empty()) {
        return;  // reported as missing
    }
    if (pattern.find("$1") == std::string::npos) {
        faults.push_back({code, "the placeholder pattern " + quoted(pattern) +
                                    " has no \"$1\" for the key, so every key has the same placeholder"});
        return;
    }

    // The placeholders exactly as the program searches for them.
    std::vector<std::pair<std::string, std::string>> used;  // key, placeholder
    for (const char* key : offerKeys()) {
        std::string placeholder = pattern;
        replaceAll(placeholder, "$1", key);
        replaceAll(placeholder, text(offer::kTagToken), text(offer::kTag));
        if (templateValue->bytes.find(placeholder) != std::string::npos) {
            used.emplace_back(key, placeholder);
        }
    }
    for (std::size_t first = 0; first < used.size(); ++first) {
        for (std::size_t later = first + 1; later < used.size(); ++later) {
            if (used[later].second.find(used[first].second) != std::string::npos) {
                faults.push_back({code, "the placeholder " + quoted(used[first].second) + " is part of " +
                                            quoted(used[later].second) + " and is replaced first"});
            }
        }
    }

    const std::string where = description->place() + ": " + resourceLabel(content, offer::kDescription);
    rapidjson::Document document;
    document.Parse(description->bytes.c_str(), description->bytes.size());
    if (document.HasParseError()) {
        const int line = description->file.empty() ? 0 : lineOfOffset(description->bytes, document.GetErrorOffset());
        faults.push_back({code, description->place(line) + ": " +
                                    resourceLabel(content, offer::kDescription) + ": the offer description is not JSON: " +
                                    rapidjson::GetParseError_En(document.GetParseError())});
        return;
    }
    if (!document.IsObject()) {
        faults.push_back({code, where + ": the offer description is not a JSON object"});
        return;
    }
    const bool pictureAvailable = content.resolve(code, offer::kPicture) != nullptr;
    for (const auto& [key, placeholder] : used) {
        auto member = document.FindMember(key.c_str());
        if (member == document.MemberEnd()) {
            faults.push_back({code, where + ": the offer description lacks \"" + key +
                                        "\", which the template uses (" + quoted(placeholder) + ")"});
        } else if (!member->value.IsString() && !(key == kOfferPictureKey && pictureAvailable)) {
            faults.push_back({code, where + ": the value of \"" + key + "\" is not a string"});
        }
    }
}

// The languages that read this stored value: its own, or for a neutral
// value every language the user can choose that has no value of its own.
std::vector<std::string> readersOf(const Content& content, const std::string& code, std::int32_t id)
{
    if (code != kNeutralLanguage) {
        return {code};
    }
    const Value* neutral = &content.values.at(code).at(id);
    std::vector<std::string> readers;
    for (const Language& language : content.languages) {
        if (language.code != kNeutralLanguage && content.resolve(language.code, id) == neutral) {
            readers.push_back(language.code);
        }
    }
    return readers;
}

// Warns about an installer address that is plain http:// while a language
// that reads it has no digest: a download altered on its way would run.
void checkInstallerAddresses(const Content& content, std::vector<Fault>& faults)
{
    for (const InstallerResource& installer : installerResources()) {
        for (const auto& [code, values] : content.values) {
            const auto address = values.find(installer.address);
            if (address == values.end() || !isPlainHttp(address->second.bytes)) {
                continue;
            }
            const std::vector<std::string> readers = readersOf(content, code, installer.address);
            const bool unchecked = std::any_of(readers.begin(), readers.end(), [&](const std::string& reader) {
                return !content.resolve(reader, installer.digest);
            });
            if (unchecked) {
                faults.push_back({code,
                                  address->second.place() + ": " + resourceLabel(content, installer.address) +
                                      ": a plain http:// address without a digest (" +
                                      resourceLabel(content, installer.digest) +
                                      "): an installer altered on its way would be launched",
                                  true});
            }
        }
    }
}

void checkType(const Content& content, std::int32_t id, ResourceType type, const std::string& use,
               std::vector<Fault>& faults)
{
    const ResourceDef* def = content.findResource(id);
    if (def && def->type != type) {
        faults.push_back({kNeutralLanguage, def->origin.describe() + ": resource " + resourceLabel(content, id) +
                                                " must be a " + typeName(type) + " (" + use + ")"});
    }
}

}  // namespace

std::size_t countErrors(const std::vector<Fault>& faults)
{
    return static_cast<std::size_t>(
        std::count_if(faults.begin(), faults.end(), [](const Fault& fault) { return !fault.warning; }));
}

std::vector<Fault> checkContent(const Content& content)
{
    std::vector<Fault> faults;

    for (const Language& language : content.languages) {
        for (const std::string* name : {&language.nativeName, &language.englishName, &language.abbreviation}) {
            if (findInvalidUtf8(*name)) {
                faults.push_back({language.code, language.origin.describe() + ": the language's names are not valid UTF-8"});
                break;
            }
        }
    }

    for (const auto& [code, values] : content.values) {
        for (const auto& [id, value] : values) {
            checkValue(content, code, id, value, faults);
        }
    }

    for (const ProgramResource& resource : programResources()) {
        checkType(content, resource.id, resource.type, resource.use, faults);
    }
    for (const InstallerResource& installer : installerResources()) {
        checkType(content, installer.digest, ResourceType::Text,
                  "SHA-256 digest of the installer at " + std::to_string(installer.address), faults);
    }

    for (const Language& language : content.languages) {
        if (language.code == kNeutralLanguage) {
            continue;  // never chosen by the user
        }
        for (const ProgramResource& resource : programResources()) {
            if (!content.resolve(language.code, resource.id)) {
                faults.push_back({language.code, "missing " + std::string(typeName(resource.type)) + " " +
                                                     resourceLabel(content, resource.id) + " (" + resource.use +
                                                     "), neither in this language nor in the neutral language"});
            }
        }
        checkOffer(content, language.code, faults);
    }
    checkInstallerAddresses(content, faults);
    return faults;
}

void printFaults(const Content& content, const std::vector<Fault>& faults, std::ostream& out)
{
    for (const Language& language : content.languages) {
        bool headed = false;
        for (const Fault& fault : faults) {
            if (fault.language != language.code) {
                continue;
            }
            if (!headed) {
                out << "language " << language.code << " (" << language.englishName << "):\n";
                headed = true;
            }
            out << "  " << (fault.warning ? "warning: " : "") << fault.message << "\n";
        }
    }
    std::size_t userLanguages = content.languages.size() - (content.findLanguage(kNeutralLanguage) ? 1 : 0);
    const std::size_t errors = countErrors(faults);
    const std::size_t warnings = faults.size() - errors;
    if (errors == 0) {
        out << "content is complete: " << userLanguages << " languages, " << content.resources.size()
            << " resources, every resource the program reads is present\n";
    } else {
        out << errors << " fault" << (errors == 1 ? "" : "s") << " found\n";
    }
    if (warnings > 0) {
        out << warnings << " warning" << (warnings == 1 ? "" : "s") << "\n";
    }
}

}  // namespace content
