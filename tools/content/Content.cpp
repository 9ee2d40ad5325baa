#include "Content.h"

namespace content {

const char* typeName(ResourceType type)
{
    return type == ResourceType::Picture ? "picture" : "text";
}

std::string Origin::describe() const
{
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

std::string Value::place(int lineInFile) const
{
    return file.empty() ? origin.describe() : Origin{file, lineInFile}.describe();
}

const Language* Content::findLanguage(const std::string& code) const
{
    for (const Language& language : languages) {
        if (language.code == code) {
            return &language;
        }
    }
    return nullptr;
}

const ResourceDef* Content::findResource(std::int32_t id) const
{
    auto found = resources.find(id);
    return found == resources.end() ? nullptr : &found->second;
}

const Value* Content::resolve(const std::string& code, std::int32_t id) const
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
