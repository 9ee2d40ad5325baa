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
    : std::runtime_error(origin.Describe() + ": " + message)
{
}

namespace {

std::string DisplayPath(const fs::path& path)
{
    return path.lexically_normal().generic_u8string();
}

std::string ReadFileBytes(const fs::path& path, const Origin& referencedFrom)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw ContentError(referencedFrom, "file " + DisplayPath(path) + " does not exist");
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw ContentError(referencedFrom, "cannot open " + DisplayPath(path));
    }
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad()) {
        throw ContentError(referencedFrom, "cannot read " + DisplayPath(path));
    }
    return bytes;
}

// One line of a table or text file, without its line break.
struct Line {
    std::string text;
    Origin origin;
    std::optional<TranslationSource> translates;  // from a note on the line just before
};

// "#from CODE<TAB>TEXT" directly before a text line: the text of language
// CODE that the line translates (content-tool new-language writes them).
std::optional<TranslationSource> ReadSourceNote(const std::string& text)
{
    const std::string mark = "#from ";
    const std::size_t tab = text.find('\t');
    if (text.compare(0, mark.size(), mark) != 0 || tab == std::string::npos) {
        return std::nullopt;
    }
    return TranslationSource{text.substr(mark.size(), tab - mark.size()), text.substr(tab + 1)};
}

// The meaningful lines of a file: a UTF-8 byte order mark and CR before LF
// are dropped (files saved on Windows), blank lines and lines starting with
// '#' are skipped.
std::vector<Line> ReadLines(const fs::path& path)
{
    Origin fileOrigin{DisplayPath(path), 0};
    std::string bytes = ReadFileBytes(path, fileOrigin);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    }
    std::vector<Line> lines;
    std::istringstream stream(bytes);
    std::string text;
    int number = 0;
    std::optional<TranslationSource> note;
    while (std::getline(stream, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        std::optional<TranslationSource> before = std::move(note);
        note = ReadSourceNote(text);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        lines.push_back(Line{text, Origin{fileOrigin.file, number}, std::move(before)});
    }
    return lines;
}

std::vector<std::string> SplitTabs(const std::string& text)
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
std::vector<Line> ReadTable(const fs::path& path, const std::vector<std::string>& header)
{
    std::vector<Line> lines = ReadLines(path);
    std::string expected;
    for (const std::string& column : header) {
        expected += (expected.empty() ? "" : "\\t") + column;
    }
    if (lines.empty() || SplitTabs(lines.front().text) != header) {
        Origin origin = lines.empty() ? Origin{DisplayPath(path), 0} : lines.front().origin;
        throw ContentError(origin, "the first line must be the header \"" + expected + "\" (tab-separated)");
    }
    lines.erase(lines.begin());
    for (const Line& line : lines) {
        std::size_t count = SplitTabs(line.text).size();
        if (count != header.size()) {
            throw ContentError(line.origin, "expected " + std::to_string(header.size()) +
                                                " tab-separated fields (" + expected + "), found " +
                                                std::to_string(count));
        }
    }
    return lines;
}

bool IsDecimal(const std::string& text)
{
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t parseId(const std::string& text, const Origin& origin)
{
    if (!IsDecimal(text) || std::strtoll(text.c_str(), nullptr, 10) > INT32_MAX) {
        throw ContentError(origin, "\"" + text + "\" is not a resource id (a number from 0 to 2147483647)");
    }
    return static_cast<std::int32_t>(std::strtoll(text.c_str(), nullptr, 10));
}

bool IsSymbolicName(const std::string& text)
{
    auto nameChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    };
    return !text.empty() && !(text[0] >= '0' && text[0] <= '9') && std::all_of(text.begin(), text.end(), nameChar);
}

// Notes a file or folder that the content is read from.
void AddInput(Content& content, const fs::path& path)
{
    content.inputs.push_back(fs::absolute(path).lexically_normal().u8string());
}

void ReadLanguages(const fs::path& folder, Content& content)
{
    AddInput(content, folder);
    AddInput(content, folder / "languages.tsv");
    for (const Line& line : ReadTable(folder / "languages.tsv",
                                      {"code", "native_name", "english_name", "abbreviation", "rtl"})) {
        std::vector<std::string> fields = SplitTabs(line.text);
        Language language{fields[0], fields[1], fields[2], fields[3], 0, line.origin};
        if (!IsLanguageCode(language.code)) {
            throw ContentError(line.origin, "\"" + language.code +
                                                "\" is not a language code (the decimal Windows language "
                                                "identifier, e.g. 1033, or 0 for the neutral language)");
        }
        if (const Language* earlier = content.FindLanguage(language.code)) {
            throw ContentError(line.origin, "language " + language.code + " is already listed at " +
                                                earlier->origin.Describe());
        }
        if (fields[4] != "0" && fields[4] != "1") {
            throw ContentError(line.origin, "rtl must be 0 (left-to-right) or 1 (right-to-left), not \"" +
                                                fields[4] + "\"");
        }
        language.rtl = fields[4] == "1";
        content.languages.push_back(language);
    }
    if (!content.FindLanguage(kNeutralLanguage)) {
        throw ContentError(Origin{DisplayPath(folder / "languages.tsv"), 0},
                           "the neutral language 0 is missing (its values serve every language)");
    }
}

void ReadResources(const fs::path& folder, Content& content)
{
    std::map<std::string, const ResourceDef*> byName;
    AddInput(content, folder / "resources.tsv");
    for (const Line& line : ReadTable(folder / "resources.tsv", {"id", "name", "type"})) {
        std::vector<std::string> fields = SplitTabs(line.text);
        ResourceDef def{parseId(fields[0], line.origin), fields[1], RESOURCE_TEXT, line.origin};
        if (fields[2] == "picture") {
            def.type = RESOURCE_PICTURE;
        } else if (fields[2] != "text") {
            throw ContentError(line.origin, "type must be \"text\" or \"picture\", not \"" + fields[2] + "\"");
        }
        if (!IsSymbolicName(def.name)) {
            throw ContentError(line.origin, "\"" + def.name +
                                                "\" is not a symbolic name (letters, digits and '_', "
                                                "not starting with a digit)");
        }
        if (const ResourceDef* earlier = content.FindResource(def.id)) {
            throw ContentError(line.origin, "resource " + fields[0] + " is already declared at " +
                                                earlier->origin.Describe());
        }
        auto sameName = byName.find(def.name);
        if (sameName != byName.end()) {
            throw ContentError(line.origin, "the name " + def.name + " is already used at " +
                                                sameName->second->origin.Describe());
        }
        byName[def.name] = &(content.resources[def.id] = def);
    }
}

// Stores a value after checking that its language and resource are declared
// and that it is the only value of that resource in that language.
void AddValue(Content& content, const std::string& code, const std::string& idText, Value value,
              std::optional<ResourceType> requiredType)
{
    std::int32_t id = parseId(idText, value.origin);
    const ResourceDef* def = content.FindResource(id);
    if (!def) {
        throw ContentError(value.origin, "resource " + idText + " is not declared in resources.tsv");
    }
    if (requiredType && def->type != *requiredType) {
        throw ContentError(value.origin, "resource " + idText + " (" + def->name + ") is a " +
                                             TypeName(def->type) + "; list it in files.tsv");
    }
    auto& language = content.values[code];
    auto earlier = language.find(id);
    if (earlier != language.end()) {
        throw ContentError(value.origin, "resource " + idText + " of language " + code +
                                             " is already given at " + earlier->second.origin.Describe());
    }
    language.emplace(id, std::move(value));
}

void ReadTexts(const fs::path& folder, Content& content)
{
    fs::path textFolder = folder / "texts";
    std::error_code error;
    if (!fs::is_directory(textFolder, error)) {
        throw ContentError(Origin{DisplayPath(textFolder), 0}, "the folder of texts is missing");
    }
    std::vector<fs::path> files;
    AddInput(content, textFolder);
    for (const fs::directory_entry& entry : fs::directory_iterator(textFolder)) {
        std::string name = entry.path().filename().u8string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::string code = entry.path().stem().u8string();
        if (!entry.is_regular_file() || entry.path().extension() != ".txt" || !IsLanguageCode(code)) {
            throw ContentError(Origin{DisplayPath(entry.path()), 0},
                               "not a text file of a language (expected CODE.txt, e.g. 1033.txt)");
        }
        if (!content.FindLanguage(code)) {
            throw ContentError(Origin{DisplayPath(entry.path()), 0},
                               "language " + code + " is not listed in languages.tsv");
        }
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::string code = file.stem().u8string();
        AddInput(content, file);
        content.values[code];  // a language with an empty file still has its place
        for (const Line& line : ReadLines(file)) {
            std::size_t tab = line.text.find('\t');
            if (tab == std::string::npos) {
                throw ContentError(line.origin, "expected the resource id, a tab and the text");
            }
            Value value{line.text.substr(tab + 1), line.origin, {}, {}, line.translates};
            AddValue(content, code, line.text.substr(0, tab), std::move(value), RESOURCE_TEXT);
        }
    }
}

void RequireLanguage(const Content& content, const std::string& code, const Origin& origin)
{
    if (!content.FindLanguage(code)) {
        throw ContentError(origin, "language " + code + " is not listed in languages.tsv");
    }
}

// A file named in a table: a path relative to the content folder.
fs::path FileInFolder(const fs::path& folder, const std::string& name, const Origin& origin)
{
    const fs::path relative = fs::u8path(name);
    if (name.empty() || relative.is_absolute() || relative.has_root_name()) {
        throw ContentError(origin, "\"" + name + "\" is not a path relative to the content folder");
    }
    return folder / relative;
}

void ReadFiles(const fs::path& folder, Content& content)
{
    if (!fs::exists(folder / "files.tsv")) {
        return;
    }
    AddInput(content, folder / "files.tsv");
    for (const Line& line : ReadTable(folder / "files.tsv", {"language", "id", "file"})) {
        std::vector<std::string> fields = SplitTabs(line.text);
        RequireLanguage(content, fields[0], line.origin);
        const fs::path file = FileInFolder(folder, fields[2], line.origin);
        AddInput(content, file);
        AddValue(content, fields[0], fields[1], Value{ReadFileBytes(file, line.origin), line.origin, DisplayPath(file), {}, {}},
                 std::nullopt);
    }
}

// Digests of files, for the installers' digest resources: the value is the
// file's SHA-256 as 64 lower-case hexadecimal digits, a text like any other.
void ReadDigests(const fs::path& folder, Content& content)
{
    if (!fs::exists(folder / "digests.tsv")) {
        return;
    }
    AddInput(content, folder / "digests.tsv");
    for (const Line& line : ReadTable(folder / "digests.tsv", {"language", "id", "file"})) {
        std::vector<std::string> fields = SplitTabs(line.text);
        RequireLanguage(content, fields[0], line.origin);
        const fs::path file = FileInFolder(folder, fields[2], line.origin);
        AddInput(content, file);
        const std::string digest = Sha256Text(sha256(ReadFileBytes(file, line.origin)));
        AddValue(content, fields[0], fields[1], Value{digest, line.origin, {}, DisplayPath(file), {}},
                 RESOURCE_TEXT);
    }
}

}  // namespace

bool IsLanguageCode(const std::string& text)
{
    return IsDecimal(text) && (text == "0" || text[0] != '0') && text.size() <= 5;
}

Content ReadContent(const fs::path& folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        throw ContentError(Origin{DisplayPath(folder), 0}, "not a content folder");
    }
    Content content;
    ReadLanguages(folder, content);
    ReadResources(folder, content);
    ReadTexts(folder, content);
    ReadFiles(folder, content);
    ReadDigests(folder, content);
    return content;
}

}  // namespace content
