#include "Content.h"

namespace content {

const char* TypeName(ResourceType type)
{
    return type == RESOURCE_PICTURE ? "picture" : "text";
}

std::string Origin::Describe() const
{
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

std::string Value::Place(int lineInFile) const
{
    return file.empty() ? origin.Describe() : Origin{file, lineInFile}.Describe();
}

const Language* Content::FindLanguage(const std::string& code) const
{
    for (const Language& language : languages) {
        if (language.code == code) {
            return &language;
        }
    }
    return nullptr;
}

const ResourceDef* Content::FindResource(std::int32_t id) const
{
    auto found = resources.find(id);
    return found == resources.end() ? nullptr : &found->second;
}

const Value* Content::Resolve(const std::string& code, std::int32_t id) const
{
    for (const std::string& candidate : {code, kNeutralLanguage}) {
        auto language = values.find(candidate);
        if (language != values.end()) {
            auto value = language->second.find(id);
            if (value != language->second.end()) {
                return &value->second;
            }
        }
    }
    return nullptr;
}

}  // namespace content
