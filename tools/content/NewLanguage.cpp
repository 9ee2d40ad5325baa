#include "NewLanguage.h"

#include "Build.h"
#include "ContentReader.h"

#include <fstream>

namespace fs = std::filesystem;

namespace content {

namespace {

// Appends lines to a table, after a line break that its last line lacks.
void AppendLines(const fs::path& path, const std::string& lines)
{
    const std::string earlier = fs::exists(path) ? ReadAll(path) : std::string();
    std::ofstream file(path, std::ios::binary | std::ios::app);
    file << (earlier.empty() || earlier.back() == '\n' ? "" : "\n") << lines;
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path.u8string());
    }
}

void WriteNewFile(const fs::path& path, const std::string& bytes)
{
    if (fs::exists(path)) {
        throw ContentError(Origin{path.generic_u8string(), 0}, "already exists; the new language would replace it");
    }
    fs::create_directories(path.parent_path());
    AppendLines(path, bytes);
}

std::string TextsToTranslate(const Content& content, const Language& from, const std::string& code)
{
    std::string texts = "# The texts of language " + code + ", translated from " + from.code + " (" +
                        from.englishName + ").\n# Translate each line under its \"#from\" note and remove the '#' "
                        "at its start. The check lists the\n# texts still missing, and warns when a text of " +
                        from.code + " changes after it was translated.\n";
    for (const auto& [id, value] : content.values.at(from.code)) {
        const ResourceDef* def = content.FindResource(id);
        if (def->type == RESOURCE_TEXT && value.file.empty() && value.digestOf.empty()) {
            texts += "\n# " + std::to_string(id) + " " + def->name + "\n#from " + from.code + "\t" + value.bytes +
                     "\n#" + std::to_string(id) + "\t" + value.bytes + "\n";
        }
    }
    return texts;
}

}  // namespace

std::vector<std::string> AddLanguage(const fs::path& folder, const std::string& code, const std::string& from)
{
    const Content content = ReadContent(folder);
    const Origin languages{(folder / "languages.tsv").generic_u8string(), 0};
    const Language* source = content.FindLanguage(from);
    if (!IsLanguageCode(code) || code == kNeutralLanguage) {
        throw ContentError(languages, "\"" + code + "\" is not the code of a language (e.g. 3082)");
    }
    if (content.FindLanguage(code)) {
        throw ContentError(languages, "language " + code + " is already listed");
    }
    if (!source || from == kNeutralLanguage) {
        throw ContentError(languages, "language " + from + " to translate from is not listed");
    }
    std::vector<std::string> toDo;
    WriteNewFile(folder / "texts" / (code + ".txt"), TextsToTranslate(content, *source, code));
    toDo.push_back("translate the texts in texts/" + code + ".txt");
    const auto description = content.values.at(from).find(Resource::OFFER_DESCRIPTION);
    if (description != content.values.at(from).end() && !description->second.file.empty()) {
        WriteNewFile(folder / "offer" / (code + ".json"), description->second.bytes);
        AppendLines(folder / "files.tsv", code + "\t" + std::to_string(Resource::OFFER_DESCRIPTION) + "\toffer/" + code + ".json\n");
        toDo.push_back("translate the offer's texts in offer/" + code + ".json (its \"dir\" is " + from + "'s)");
    }
    AppendLines(folder / "languages.tsv", "# " + code + ": give its native name, English name and abbreviation\n" +
                                              code + "\tLanguage " + code + "\tLanguage " + code + "\t\t" +
                                              (source->rtl ? "1" : "0") + "\n");
    toDo.push_back("give its names, abbreviation and direction in languages.tsv");
    return toDo;
}

}  // namespace content
