#include "ContentReader.h"

#include "Sha256.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace content {

ContentError::ContentError(const Origin& origin, const std::string& message)
    : std::runtime_error(origin.describe() + ": " + message)
{
}

namespace {

std::string displayPath(const fs::path& path)
{
    return path.lexically_normal().generic_u8string();
}

std::string readFileBytes(const fs::path& path, const Origin& referencedFrom)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw ContentError(referencedFrom, "file " + displayPath(path) + " does not exist");
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw ContentError(referencedFrom, "cannot open " + displayPath(path));
    }
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad()) {
        throw ContentError(referencedFrom, "cannot read " + displayPath(path));
    }
    return bytes;
}

// One line of a table or text file, without its line break.
struct Line {
    std::string text;
    Origin origin;
};

// The meaningful lines of a file: a UTF-8 byte order mark and CR before LF
// are dropped (files saved on Windows), blank lines and lines starting with
// '#' are skipped.
std::vector<Line> readLines(const fs::path& path)
{
    Origin fileOrigin{displayPath(path), 0};
    std::string bytes = readFileBytes(path, fileOrigin);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    }
    std::vector<Line> lines;
    std::istringstream stream(bytes);
    std::string text;
    int number = 0;
    while (std::getline(stream, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (text.empty() || text[0] == '#') {
            continue;
        }
        lines.push_back(Line{text, Origin{fileOrigin.file, number}});
    }
    return lines;
}

std::vector<std::string> splitTabs(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// A table file: its first meaningful line must be exactly the given header;
// every other line has exactly as many tab-separated fields.
std::vector<Line> readTable(const fs::path& path, const std::vector<std::string>& header)
{
    std::vector<Line> lines = readLines(path);
    std::string expected;
    for (const std::string& column : header) {
        expected += (expected.empty() ? "" : "\\t") + column;
    }
    if (lines.empty() || splitTabs(lines.front().text) != header) {
        Origin origin = lines.empty() ? Origin{displayPath(path), 0} : lines.front().origin;
        throw ContentError(origin, "the first line must be the header \"" + expected + "\" (tab-separated)");
    }
    lines.erase(lines.begin());
    for (const Line& line : lines) {
        std::size_t count = splitTabs(line.text).size();
        if (count != header.size()) {
            throw ContentError(line.origin, "expected " + std::to_string(header.size()) +
                                                " tab-separated fields (" + expected + "), found " +
                                                std::to_string(count));
        }
    }
    return lines;
}

bool isDecimal(const std::string& text)
{
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t parseId(const std::string& text, const Origin& origin)
{
    if (!isDecimal(text) || std::strtoll(text.c_str(), nullptr, 10) > INT32_MAX) {
        throw ContentError(origin, "\"" + text + "\" is not a resource id (a number from 0 to 2147483647)");
    }
    return static_cast<std::int32_t>(std::strtoll(text.c_str(), nullptr, 10));
}

bool isLanguageCode(const std::string& text)
{
    return isDecimal(text) && (text == "0" || text[0] != '0') && text.size() <= 5;
}

bool isSymbolicName(const std::string& text)
{
    auto nameChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    };
    return !text.empty() && !(text[0] >= '0' && text[0] <= '9') && std::all_of(text.begin(), text.end(), nameChar);
}

void readLanguages(const fs::path& folder, Content& content)
{
    for (const Line& line : readTable(folder / "languages.tsv",
                                      {"code", "native_name", "english_name", "abbreviation", "rtl"})) {
        std::vector<std::string> fields = splitTabs(line.text);
        Language language{fields[0], fields[1], fields[2], fields[3], 0, line.origin};
        if (!isLanguageCode(language.code)) {
            throw ContentError(line.origin, "\"" + language.code +
                                                "\" is not a language code (the decimal Windows language "
                                                "identifier, e.g. 1033, or 0 for the neutral language)");
        }
        if (const Language* earlier = content.findLanguage(language.code)) {
            throw ContentError(line.origin, "language " + language.code + " is already listed at " +
                                                earlier->origin.describe());
        }
        if (fields[4] != "0" && fields[4] != "1") {
            throw ContentError(line.origin, "rtl must be 0 (left-to-right) or 1 (right-to-left), not \"" +
                                                fields[4] + "\"");
        }
        language.rtl = fields[4] == "1" ? 1 : 0;
        content.languages.push_back(language);
    }
    if (!content.findLanguage(kNeutralLanguage)) {
        throw ContentError(Origin{displayPath(folder / "languages.tsv"), 0},
                           "the neutral language 0 is missing (its values serve every language)");
    }
}

void readResources(const fs::path& folder, Content& content)
{
    std::map<std::string, const ResourceDef*> byName;
    for (const Line& line : readTable(folder / "resources.tsv", {"id", "name", "type"})) {
        std::vector<std::string> fields = splitTabs(line.text);
        ResourceDef def{parseId(fields[0], line.origin), fields[1], ResourceType::Text, line.origin};
        if (fields[2] == "picture") {
            def.type = ResourceType::Picture;
        } else if (fields[2] != "text") {
            throw ContentError(line.origin, "type must be \"text\" or \"picture\", not \"" + fields[2] + "\"");
        }
        if (!isSymbolicName(def.name)) {
            throw ContentError(line.origin, "\"" + def.name +
                                                "\" is not a symbolic name (letters, digits and '_', "
                                                "not starting with a digit)");
        }
        if (const ResourceDef* earlier = content.findResource(def.id)) {
            throw ContentError(line.origin, "resource " + fields[0] + " is already declared at " +
                                                earlier->origin.describe());
        }
        auto sameName = byName.find(def.name);
        if (sameName != byName.end()) {
            throw ContentError(line.origin, "the name " + def.name + " is already used at " +
                                                sameName->second->origin.describe());
        }
        byName[def.name] = &(content.resources[def.id] = def);
    }
}

// Stores a value after checking that its language and resource are declared
// and that it is the only value of that resource in that language.
void addValue(Content& content, const std::string& code, const std::string& idText, Value value,
              std::optional<ResourceType> requiredType)
{
    std::int32_t id = parseId(idText, value.origin);
    const ResourceDef* def = content.findResource(id);
    if (!def) {
        throw ContentError(value.origin, "resource " + idText + " is not declared in resources.tsv");
    }
    if (requiredType && def->type != *requiredType) {
        throw ContentError(value.origin, "resource " + idText + " (" + def->name + ") is a " +
                                             typeName(def->type) + "; list it in files.tsv");
    }
    auto& language = content.values[code];
    auto earlier = language.find(id);
    if (earlier != language.end()) {
        throw ContentError(value.origin, "resource " + idText + " of language " + code +
                                             " is already given at " + earlier->second.origin.describe());
    }
    language.emplace(id, std::move(value));
}

void readTexts(const fs::path& folder, Content& content)
{
    fs::path textFolder = folder / "texts";
    std::error_code error;
    if (!fs::is_directory(textFolder, error)) {
        throw ContentError(Origin{displayPath(textFolder), 0}, "the folder of texts is missing");
    }
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(textFolder)) {
        std::string name = entry.path().filename().u8string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::string code = entry.path().stem().u8string();
        if (!entry.is_regular_file() || entry.path().extension() != ".txt" || !isLanguageCode(code)) {
            throw ContentError(Origin{displayPath(entry.path()), 0},
                               "not a text file of a language (expected CODE.txt, e.g. 1033.txt)");
        }
        if (!content.findLanguage(code)) {
            throw ContentError(Origin{displayPath(entry.path()), 0},
                               "language " + code + " is not listed in languages.tsv");
        }
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::string code = file.stem().u8string();
        content.values[code];  // a language with an empty file still has its place
        for (const Line& line : readLines(file)) {
            std::size_t tab = line.text.find('\t');
            if (tab == std::string::npos) {
                throw ContentError(line.origin, "expected the resource id, a tab and the text");
            }
            addValue(content, code, line.text.substr(0, tab), Value{line.text.substr(tab + 1), line.origin, {}},
                     ResourceType::Text);
        }
    }
}

void requireLanguage(const Content& content, const std::string& code, const Origin& origin)
{
    if (!content.findLanguage(code)) {
        throw ContentError(origin, "language " + code + " is not listed in languages.tsv");
    }
}

// A file named in a table: a path relative to the content folder.
fs::path fileInFolder(const fs::path& folder, const std::string& name, const Origin& origin)
{
    const fs::path relative = fs::u8path(name);
    if (name.empty() || relative.is_absolute() || relative.has_root_name()) {
        throw ContentError(origin, "\"" + name + "\" is not a path relative to the content folder");
    }
    return folder / relative;
}

void readFiles(const fs::path& folder, Content& content)
{
    if (!fs::exists(folder / "files.tsv")) {
        return;
    }
    for (const Line& line : readTable(folder / "files.tsv", {"language", "id", "file"})) {
        std::vector<std::string> fields = splitTabs(line.text);
        requireLanguage(content, fields[0], line.origin);
        const fs::path file = fileInFolder(folder, fields[2], line.origin);
        addValue(content, fields[0], fields[1], Value{readFileBytes(file, line.origin), line.origin, displayPath(file)},
                 std::nullopt);
    }
}

// Digests of files, for the installers' digest resources: the value is the
// file's SHA-256 as 64 lower-case hexadecimal digits, a text like any other.
void readDigests(const fs::path& folder, Content& content)
{
    if (!fs::exists(folder / "digests.tsv")) {
        return;
    }
    for (const Line& line : readTable(folder / "digests.tsv", {"language", "id", "file"})) {
        std::vector<std::string> fields = splitTabs(line.text);
        requireLanguage(content, fields[0], line.origin);
        const fs::path file = fileInFolder(folder, fields[2], line.origin);
        const std::string digest = Sha256Text(sha256(readFileBytes(file, line.origin)));
        addValue(content, fields[0], fields[1], Value{digest, line.origin, {}}, ResourceType::Text);
    }
}

}  // namespace

Content readContent(const fs::path& folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw ContentError(Origin{displayPath(folder), 0}, "not a content folder");
    }
    Content content;
    readLanguages(folder, content);
    readResources(folder, content);
    readTexts(folder, content);
    readFiles(folder, content);
    readDigests(folder, content);
    return content;
}

}  // namespace content
