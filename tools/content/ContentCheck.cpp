#include "ContentCheck.h"

#include "Jpeg.h"
#include "ProgramResources.h"
#include "TextRules.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <algorithm>

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

}  // namespace

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
        const ResourceDef* def = content.findResource(resource.id);
        if (def && def->type != resource.type) {
            faults.push_back({kNeutralLanguage, def->origin.describe() + ": resource " + resourceLabel(content, resource.id) +
                                                    " must be a " + typeName(resource.type) + " (" + resource.use + ")"});
        }
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
            out << "  " << fault.message << "\n";
        }
    }
    std::size_t userLanguages = content.languages.size() - (content.findLanguage(kNeutralLanguage) ? 1 : 0);
    if (faults.empty()) {
        out << "content is complete: " << userLanguages << " languages, " << content.resources.size()
            << " resources, every resource the program reads is present\n";
    } else {
        out << faults.size() << " fault" << (faults.size() == 1 ? "" : "s") << " found\n";
    }
}

}  // namespace content
