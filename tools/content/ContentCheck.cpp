#include "ContentCheck.h"

#include "Jpeg.h"
#include "TextRules.h"
#include "tasks/Sha256Text.h"
#include "wizard/controls/LinkAddress.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <regex>

namespace content {

namespace {

std::string Quoted(std::string text)
{
    constexpr std::size_t kShown = 40;
    if (text.size() > kShown) {
        text = text.substr(0, kShown) + "...";
    }
    return "\"" + text + "\"";
}

std::string ResourceLabel(const Content& content, std::int32_t id)
{
    const ResourceDef* def = content.FindResource(id);
    return std::to_string(id) + (def ? " " + def->name : std::string());
}

void ReplaceAll(std::string& text, const std::string& search, const std::string& value)
{
    if (search.empty()) {
        return;
    }
    for (std::size_t at = text.find(search); at != std::string::npos; at = text.find(search, at + value.size())) {
        text.replace(at, search.size(), value);
    }
}

// Texts whose emptiness is meaningful: installer parameters and the note
// kept with the offer template.
bool MayBeEmpty(std::int32_t id)
{
    return id == Resource::PRODUCT_INSTALLER_PARAMETERS || id == Resource::OFFER_INSTALLER_PARAMETERS ||
           id == Resource::OFFER_TEMPLATE_NOTE;
}

bool IsLinkAddress(std::int32_t id)
{
    return id == Resource::LINK_PRIVACY_URL || id == Resource::LINK_LICENSE_URL;
}

// The program's own rule for the addresses that it opens.
bool IsOpenable(const std::string& address)
{
    const std::wstring wide(address.begin(), address.end());  // the schemes are ASCII
    return IsOpenableLinkAddress(wide.c_str());
}

bool IsInstallerDigest(std::int32_t id)
{
    return std::any_of(std::begin(Resource::kInstallers), std::end(Resource::kInstallers),
                       [id](const Resource::Installer& installer) { return installer.digest == id; });
}

// The scheme in any case, as the download accepts it.
bool IsPlainHttp(const std::string& address)
{
    const std::string scheme = "http://";
    auto sameLetter = [](char expected, char given) {
        return expected == std::tolower(static_cast<unsigned char>(given));
    };
    return address.size() >= scheme.size() && std::equal(scheme.begin(), scheme.end(), address.begin(), sameLetter);
}

// The host of an address in lower case, without user name and port.
std::string HostOf(const std::string& address)
{
    const std::size_t start = address.find("://");
    std::string rest = start == std::string::npos ? address : address.substr(start + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    rest = rest.substr(rest.rfind('@') == std::string::npos ? 0 : rest.rfind('@') + 1);
    rest = !rest.empty() && rest[0] == '[' ? rest.substr(0, rest.find(']') + 1) : rest.substr(0, rest.find(':'));
    std::transform(rest.begin(), rest.end(), rest.begin(), [](unsigned char c) { return std::tolower(c); });
    return rest;
}

bool IsLoopback(const std::string& address)
{
    std::string host = HostOf(address);
    if (!host.empty() && host.back() == '.') {
        host.pop_back();
    }
    return host == "localhost" || host.compare(0, 4, "127.") == 0 || host == "[::1]" || host == "0.0.0.0" ||
           (host.size() > 10 && host.compare(host.size() - 10, 10, ".localhost") == 0);
}

// The text of a value inserted as HTML that a browser reads otherwise than
// written: an '&' that starts no character reference, a '<' that starts no
// tag.
std::optional<std::string> FindBareMarkup(const std::string& value)
{
    static const std::regex markup("&([A-Za-z][A-Za-z0-9]*|#[0-9]+|#[xX][0-9A-Fa-f]+);|<[A-Za-z/!]");
    for (std::size_t at = value.find_first_of("&<"); at != std::string::npos; at = value.find_first_of("&<", at + 1)) {
        if (!std::regex_search(value.begin() + static_cast<std::ptrdiff_t>(at), value.end(), markup,
                               std::regex_constants::match_continuous)) {
            return value.substr(at, 12);
        }
    }
    return std::nullopt;
}

// A translation whose source text has changed since it was made.
void CheckTranslationSource(const Content& content, const std::string& code, std::int32_t id, const Value& value,
                            std::vector<Fault>& faults)
{
    const Value* source = content.Resolve(value.translates->language, id);
    if (!source || source->bytes != value.translates->text) {
        faults.push_back({code,
                          value.Place() + ": " + ResourceLabel(content, id) + ": translated from an older text of " +
                              "language " + value.translates->language + ", which now reads " +
                              (source ? Quoted(source->bytes) : std::string("nothing")),
                          true});
    }
}

// Faults of one stored value, whatever language reads it.
void CheckValue(const Content& content, const ProgramResources& read, const std::string& code, std::int32_t id,
                const Value& value, bool release, std::vector<Fault>& faults)
{
    const ResourceDef& def = *content.FindResource(id);
    const std::string where = value.Place() + ": " + ResourceLabel(content, id);
    if (def.type == RESOURCE_PICTURE) {
        const std::optional<JpegFrame> frame = ReadJpegFrame(value.bytes);
        if (!frame) {
            faults.push_back({code, where + ": the picture is not a JPEG file"});
        } else if (frame->progressive) {
            faults.push_back({code, where + ": the picture is a progressive JPEG, which the Windows picture "
                                            "loader may not show; save it as baseline JPEG"});
        }
        return;
    }
    if (auto offset = FindInvalidUtf8(value.bytes)) {
        faults.push_back({code, where + ": not valid UTF-8 (byte " + std::to_string(*offset + 1) + ")"});
        return;
    }
    if (IsInstallerDigest(id) && !ParseSha256Text(value.bytes)) {
        faults.push_back({code, where + ": the digest " + Quoted(value.bytes) +
                                    " is not 64 hexadecimal digits, so the program refuses the installer"});
        return;
    }
    // Whole files (offer template and description) are used as they are.
    if (!value.file.empty()) {
        return;
    }
    if (value.translates) {
        CheckTranslationSource(content, code, id, value, faults);
    }
    auto program = std::find_if(read.begin(), read.end(),
                                [id](const Resource::Definition& resource) { return resource.id == id; });
    const bool shownRaw = program != read.end() && program->macros == Resource::Macros::Plain;
    if (program != read.end() && value.bytes.empty() && !MayBeEmpty(id)) {
        faults.push_back({code, where + ": the text is empty, so the program shows nothing there", !release});
    }
    if (IsLinkAddress(id) && !IsOpenable(value.bytes)) {
        faults.push_back({code, where + ": the link address " + Quoted(value.bytes) +
                                    " is not http://, https:// or mailto:, so the program refuses to open it"});
    }
    for (const std::string& macro : FindMacros(value.bytes)) {
        if (!IsKnownMacro(macro)) {
            faults.push_back({code, where + ": unknown macro " + Quoted(macro)});
        } else if (shownRaw) {
            faults.push_back({code, where + ": the program shows this text without replacing macros, so " +
                                        Quoted(macro) + " would appear as it is"});
        }
    }
}

// The key of a placeholder whose opening text ends at `keyAt`: up to the
// pattern's closing text on the same line, whatever it holds ("sub-title"),
// or without a closing text the letters, digits and '_' there.
std::string KeyAt(const std::string& page, std::size_t keyAt, const std::string& after)
{
    std::size_t end = keyAt;
    if (!after.empty()) {
        end = std::min(page.find(after, keyAt), page.find('\n', keyAt));
        const bool closed = end != std::string::npos && page.compare(end, after.size(), after) == 0;
        return closed ? page.substr(keyAt, end - keyAt) : std::string();
    }
    while (end < page.size() && (std::isalnum(static_cast<unsigned char>(page[end])) || page[end] == '_')) {
        ++end;
    }
    return page.substr(keyAt, end - keyAt);
}

// Placeholders in the template of keys that the program does not fill: the
// page would show them as they are.
void CheckUnknownKeys(const std::string& code, const Value& templateValue, const std::string& placeholder,
                      std::vector<Fault>& faults)
{
    const std::size_t keyAt = placeholder.find("$1");
    const std::string before = placeholder.substr(0, keyAt), after = placeholder.substr(keyAt + 2);
    const std::string& page = templateValue.bytes;
    std::vector<std::string> reported;
    for (std::size_t at = before.empty() ? std::string::npos : page.find(before); at != std::string::npos;
         at = page.find(before, at + 1)) {
        const std::string key = KeyAt(page, at + before.size(), after);
        const bool known = std::find(std::begin(Resource::kOfferKeys), std::end(Resource::kOfferKeys), key) !=
                           std::end(Resource::kOfferKeys);
        if (key.empty() || key.find(before) != std::string::npos || known ||
            std::find(reported.begin(), reported.end(), key) != reported.end()) {
            continue;
        }
        reported.push_back(key);
        faults.push_back({code, templateValue.Place(LineOfOffset(page, at)) + ": the placeholder " +
                                    Quoted(before + key + after) + " is of the key \"" + key +
                                    "\", which the program does not fill, so the page would show it as it is"});
    }
}

// Faults of one string of the offer description that the template shows.
void CheckOfferText(const Language& language, const std::string& key, const std::string& text,
                    const std::string& where, bool release, std::vector<Fault>& faults)
{
    const std::string label = where + ": the value of \"" + key + "\"";
    if (key == "dir") {
        const char* const reads = language.rtl ? "rtl" : "ltr";
        if (text != reads) {
            faults.push_back({language.code, label + " is " + Quoted(text) + ", but the language reads " + reads +
                                                 " (languages.tsv), so the page would run the other way"});
        }
    } else if (text.empty()) {
        faults.push_back({language.code, label + " is empty, so the page shows nothing there", !release});
    } else if (const auto bare = FindBareMarkup(text)) {
        faults.push_back({language.code, label + " holds a bare '" + bare->substr(0, 1) + "' (" + Quoted(*bare) +
                                             "): it is inserted as HTML, so write &amp; for & and &lt; for <"});
    }
}

// Faults of the offer page in one language: the description must parse and
// hold every key whose placeholder the template contains.
void CheckOffer(const Content& content, const Language& language, bool release, std::vector<Fault>& faults)
{
    const std::string& code = language.code;
    auto text = [&](std::int32_t id) {
        const Value* value = content.Resolve(code, id);
        return value ? value->bytes : std::string();
    };
    const Value* templateValue = content.Resolve(code, Resource::OFFER_TEMPLATE);
    const Value* description = content.Resolve(code, Resource::OFFER_DESCRIPTION);
    const std::string pattern = text(Resource::OFFER_PLACEHOLDER_PATTERN);
    if (!templateValue || !description || pattern.empty()) {
        return;  // reported as missing
    }
    if (pattern.find("$1") == std::string::npos) {
        faults.push_back({code, "the placeholder pattern " + Quoted(pattern) +
                                    " has no \"$1\" for the key, so every key has the same placeholder"});
        return;
    }

    std::string anyKey = pattern;
    ReplaceAll(anyKey, text(Resource::OFFER_TAG_TOKEN), text(Resource::OFFER_TAG));
    CheckUnknownKeys(code, *templateValue, anyKey, faults);

    // The placeholders exactly as the program searches for them.
    std::vector<std::pair<std::string, std::string>> used;  // key, placeholder
    for (const char* key : Resource::kOfferKeys) {
        std::string placeholder = pattern;
        ReplaceAll(placeholder, "$1", key);
        ReplaceAll(placeholder, text(Resource::OFFER_TAG_TOKEN), text(Resource::OFFER_TAG));
        if (templateValue->bytes.find(placeholder) != std::string::npos) {
            used.emplace_back(key, placeholder);
        }
    }
    for (std::size_t first = 0; first < used.size(); ++first) {
        for (std::size_t later = first + 1; later < used.size(); ++later) {
            if (used[later].second.find(used[first].second) != std::string::npos) {
                faults.push_back({code, "the placeholder " + Quoted(used[first].second) + " is part of " +
                                            Quoted(used[later].second) + " and is replaced first"});
            }
        }
    }

    const std::string where = description->Place() + ": " + ResourceLabel(content, Resource::OFFER_DESCRIPTION);
    rapidjson::Document document;
    document.Parse(description->bytes.c_str(), description->bytes.size());
    if (document.HasParseError()) {
        const int line = description->file.empty() ? 0 : LineOfOffset(description->bytes, document.GetErrorOffset());
        faults.push_back({code, description->Place(line) + ": " +
                                    ResourceLabel(content, Resource::OFFER_DESCRIPTION) + ": the offer description is not JSON: " +
                                    rapidjson::GetParseError_En(document.GetParseError())});
        return;
    }
    if (!document.IsObject()) {
        faults.push_back({code, where + ": the offer description is not a JSON object"});
        return;
    }
    const bool pictureAvailable = content.Resolve(code, Resource::PICTURE_OFFER) != nullptr;
    for (const auto& [key, placeholder] : used) {
        auto member = document.FindMember(key.c_str());
        if (member == document.MemberEnd()) {
            faults.push_back({code, where + ": the offer description lacks \"" + key +
                                        "\", which the template uses (" + Quoted(placeholder) + ")"});
        } else if (key == Resource::kOfferPictureKey && pictureAvailable) {
            continue;  // the picture takes its place
        } else if (!member->value.IsString()) {
            faults.push_back({code, where + ": the value of \"" + key + "\" is not a string"});
        } else {
            CheckOfferText(language, key, std::string(member->value.GetString(), member->value.GetStringLength()),
                           where, release, faults);
        }
    }
}

// The languages that read this stored value: its own, or for a neutral
// value every language the user can choose that has no value of its own.
std::vector<std::string> ReadersOf(const Content& content, const std::string& code, std::int32_t id)
{
    if (code != kNeutralLanguage) {
        return {code};
    }
    const Value* neutral = &content.values.at(code).at(id);
    std::vector<std::string> readers;
    for (const Language& language : content.languages) {
        if (language.code != kNeutralLanguage && content.Resolve(language.code, id) == neutral) {
            readers.push_back(language.code);
        }
    }
    return readers;
}

// Warns about an installer address that is plain http:// while a language
// that reads it has no digest: a download altered on its way would run.
void CheckInstallerAddresses(const Content& content, std::vector<Fault>& faults)
{
    for (const Resource::Installer& installer : Resource::kInstallers) {
        for (const auto& [code, values] : content.values) {
            const auto address = values.find(installer.address);
            if (address == values.end() || !IsPlainHttp(address->second.bytes)) {
                continue;
            }
            const std::vector<std::string> readers = ReadersOf(content, code, installer.address);
            const bool unchecked = std::any_of(readers.begin(), readers.end(), [&](const std::string& reader) {
                return !content.Resolve(reader, installer.digest);
            });
            if (unchecked) {
                faults.push_back({code,
                                  address->second.Place() + ": " + ResourceLabel(content, installer.address) +
                                      ": a plain http:// address without a digest (" +
                                      ResourceLabel(content, installer.digest) +
                                      "): an installer altered on its way would be launched",
                                  true});
            }
        }
    }
}

// A release downloads each installer from a server of the publisher over
// https:// and checks it against its digest, in every language.
void CheckReleaseInstallers(const Content& content, const Language& language, std::vector<Fault>& faults)
{
    for (const Resource::Installer& installer : Resource::kInstallers) {
        const Value* address = content.Resolve(language.code, installer.address);
        const std::string label = ResourceLabel(content, installer.address);
        if (address && IsPlainHttp(address->bytes)) {
            faults.push_back({language.code, address->Place() + ": " + label + ": " + Quoted(address->bytes) +
                                                 " is plain http://; a release downloads its installers over https://"});
        } else if (address && IsLoopback(address->bytes)) {
            faults.push_back({language.code, address->Place() + ": " + label + ": " + Quoted(address->bytes) +
                                                 " names the computer that runs the setup, not a server"});
        }
        if (!content.Resolve(language.code, installer.digest)) {
            faults.push_back({language.code, "missing text " + ResourceLabel(content, installer.digest) +
                                                 " (SHA-256 digest of the installer at " + label +
                                                 "): a release checks every installer it launches"});
        }
    }
}

// An empty abbreviation makes $(^LangAbrev) read nothing in the texts that
// use it (the installer's parameters "/LANG=").
void CheckAbbreviation(const Content& content, const Language& language, bool release, std::vector<Fault>& faults)
{
    if (!language.abbreviation.empty()) {
        return;
    }
    for (const auto& [id, def] : content.resources) {
        const Value* value = content.Resolve(language.code, id);
        if (value && value->file.empty() && value->bytes.find("$(^LangAbrev)") != std::string::npos) {
            faults.push_back({language.code,
                              language.origin.Describe() + ": the language's abbreviation is empty, but " +
                                  ResourceLabel(content, id) + " uses $(^LangAbrev), which would read nothing",
                              !release});
            return;
        }
    }
}

void CheckType(const Content& content, std::int32_t id, ResourceType type, const std::string& use,
               std::vector<Fault>& faults)
{
    const ResourceDef* def = content.FindResource(id);
    if (def && def->type != type) {
        faults.push_back({kNeutralLanguage, def->origin.Describe() + ": resource " + ResourceLabel(content, id) +
                                                " must be a " + TypeName(type) + " (" + use + ")"});
    }
}

// The name is what a content author reads: a resource that the program knows
// by another name is most likely a mistyped id, whose value would appear
// where the program shows a different resource.
void CheckName(const Content& content, const Resource::Definition& resource, std::vector<Fault>& faults)
{
    const ResourceDef* def = content.FindResource(resource.id);
    if (def && def->name != resource.name) {
        faults.push_back({kNeutralLanguage, def->origin.Describe() + ": resource " + ResourceLabel(content, def->id) +
                                                " is " + resource.name + " to the program (" + resource.reader +
                                                "); correct the id or the name"});
    }
}

}  // namespace

std::size_t CountErrors(const std::vector<Fault>& faults)
{
    return static_cast<std::size_t>(
        std::count_if(faults.begin(), faults.end(), [](const Fault& fault) { return !fault.warning; }));
}

const ProgramResources& ProgramReads()
{
    static const ProgramResources read(std::begin(Resource::kProgramResources), std::end(Resource::kProgramResources));
    return read;
}

std::vector<Fault> CheckContent(const Content& content, bool release, const ProgramResources& read)
{
    std::vector<Fault> faults;

    for (const Language& language : content.languages) {
        for (const std::string* name : {&language.nativeName, &language.englishName, &language.abbreviation}) {
            if (FindInvalidUtf8(*name)) {
                faults.push_back({language.code, language.origin.Describe() + ": the language's names are not valid UTF-8"});
                break;
            }
        }
    }

    for (const auto& [code, values] : content.values) {
        for (const auto& [id, value] : values) {
            CheckValue(content, read, code, id, value, release, faults);
        }
    }

    for (const Resource::Definition& resource : read) {
        CheckType(content, resource.id, resource.type, resource.reader, faults);
        CheckName(content, resource, faults);
    }

    for (const Language& language : content.languages) {
        if (language.code == kNeutralLanguage) {
            continue;  // never chosen by the user
        }
        for (const Resource::Definition& resource : read) {
            if (resource.need == Resource::Need::Required && !content.Resolve(language.code, resource.id)) {
                faults.push_back({language.code, "missing " + std::string(TypeName(resource.type)) + " " +
                                                     ResourceLabel(content, resource.id) + " (" + resource.reader +
                                                     "), neither in this language nor in the neutral language"});
            }
        }
        CheckOffer(content, language, release, faults);
        CheckAbbreviation(content, language, release, faults);
        if (release) {
            CheckReleaseInstallers(content, language, faults);
        }
    }
    CheckInstallerAddresses(content, faults);
    return faults;
}

void PrintDigests(const Content& content, std::ostream& out)
{
    for (const auto& [code, values] : content.values) {
        for (const auto& [id, value] : values) {
            if (!value.digestOf.empty()) {
                out << "digest " << value.bytes << " of " << value.digestOf << " (" << ResourceLabel(content, id)
                    << ", language " << code << ")\n";
            }
        }
    }
}

void PrintFaults(const Content& content, const std::vector<Fault>& faults, std::ostream& out)
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
    std::size_t userLanguages = content.languages.size() - (content.FindLanguage(kNeutralLanguage) ? 1 : 0);
    const std::size_t errors = CountErrors(faults);
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
