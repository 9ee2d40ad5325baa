#include "ContentFixture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

namespace content_test {

const std::vector<ProgramId>& programIds()
{
    static const std::vector<ProgramId> ids = {
        {1, false},   {2, false},   {3, false},   {7, false},   {9, false},   {10, false},  {242, false},
        {15, false},  {16, false},  {13, false},  {14, false},  {11, false},  {159, false}, {12, false},
        {158, false}, {240, true},  {25, true},   {26, true},   {27, true},   {28, true},   {239, true},
        {56, false},  {57, false},  {58, false},  {61, false},  {62, false},  {65, false},  {233, false},
        {77, false},  {78, false},  {84, false},  {85, false},  {216, false}, {237, false}, {238, false},
        {157, false}, {166, false}, {167, false}, {168, false}, {241, true},  {38, false},  {40, false},
    };
    return ids;
}

std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

ToolRun runCommand(const std::string& command)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return {-1, ""};
    }
    std::string output;
    std::array<char, 4096> buffer;
    std::size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), count);
    }
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

ToolRun runTool(const std::vector<std::string>& arguments)
{
    std::string command = shellQuote(CONTENT_TOOL_PATH);
    for (const std::string& argument : arguments) {
        command += " " + shellQuote(argument);
    }
    return runCommand(command);
}

std::string readFile(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    EXPECT_TRUE(stream) << "cannot open " << path;
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << bytes;
    ASSERT_TRUE(stream) << "cannot write " << path;
}

void replaceInFile(const fs::path& path, const std::string& from, const std::string& to)
{
    std::string text = readFile(path);
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << "\"" << from << "\" is not in " << path;
    writeFile(path, text.replace(at, from.size(), to));
}

Edit replacing(const std::string& file, const std::string& from, const std::string& to)
{
    return [=](const fs::path& content) { replaceInFile(content / file, from, to); };
}

std::string ContentFixture::Place(const std::string& file, const std::string& linePrefix) const
{
    const fs::path path = content() / file;
    std::istringstream stream(readFile(path));
    std::string line;
    for (int number = 1; std::getline(stream, line); ++number) {
        if (line.compare(0, linePrefix.size(), linePrefix) == 0) {
            return path.lexically_normal().generic_string() + ":" + std::to_string(number);
        }
    }
    ADD_FAILURE() << "no line starting with \"" << linePrefix << "\" in " << path;
    return path.string();
}

void ContentFixture::addText(const std::string& code, const std::string& line) const
{
    const fs::path file = content() / "texts" / (code + ".txt");
    writeFile(file, readFile(file) + line + "\n");
}

std::set<std::string> ContentFixture::outNames() const
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

ContentFixture::ContentFixture()
{
    std::string pattern = (fs::temp_directory_path() / "content-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    root_ = pattern;
    const fs::path folder = content();

    writeFile(folder / "languages.tsv",
              "# languages\n"
              "code\tnative_name\tenglish_name\tabbreviation\trtl\n"
              "0\tNeutral\tNeutral\t\t0\n"
              "1033\tEnglish\tEnglish\ten\t0\n"
              "1037\t\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA\tHebrew\the\t1\n");

    // The installers' digests are declared, without values: they are optional.
    std::string resources =
        "id\tname\ttype\n5000\tEXTRA_NOTE\ttext\n300\tRESOURCE_300\ttext\n301\tRESOURCE_301\ttext\n";
    std::string neutralTexts = "# neutral texts\n5000\tnot read by the program\n";
    std::string files = "language\tid\tfile\n";
    for (const ProgramId& entry : programIds()) {
        const std::string id = std::to_string(entry.id);
        resources += id + "\tRESOURCE_" + id + "\t" + (entry.picture ? "picture" : "text") + "\n";
        if (entry.picture) {
            files += "0\t" + id + "\tpictures/picture.jpg\n";
        } else if (entry.id == 157) {
            neutralTexts += "157\tdemo\n";
        } else if (entry.id == 166) {
            neutralTexts += "166\t%TAG%\n";
        } else if (entry.id == 168) {
            neutralTexts += "168\t{%TAG%:$1}\n";
        } else if (entry.id == 65) {  // every macro the program knows, and a plain dollar
            neutralTexts += "65\t$(^Name) ${PRIMARY_SW_NAME} $(^LangAbrev) $(^LangID) $(^NextBtn)$\\r$\\n for $5\n";
        } else if (entry.id != 9 && entry.id != 10 && entry.id != 38 && entry.id != 40) {
            neutralTexts += id + "\tText " + id + "\n";
        }
    }
    writeFile(folder / "resources.tsv", resources);
    writeFile(folder / "texts" / "0.txt", neutralTexts);
    writeFile(folder / "texts" / "1033.txt", "9\tWelcome\n10\tThis installs $(^Name).$\\nClick $(^NextBtn).\n");
    writeFile(folder / "texts" / "1037.txt",
              "9\t\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\n10\t\xD7\x91\xD7\xA8\xD7\x95\xD7\x9B\xD7\x99\xD7\x9D $(^Name)\n");

    files += "0\t40\toffer/template.html\n1033\t38\toffer/1033.json\n1037\t38\toffer/1037.json\n";
    writeFile(folder / "files.tsv", files);
    writeFile(folder / "pictures" / "picture.jpg", readFile(fs::path(DEMO_CONTENT_DIR) / "pictures" / "banner.jpg"));
    writeFile(folder / "offer" / "template.html",
              "<!DOCTYPE html>\n<html dir=\"{demo:dir}\">\n<body><h1>{demo:h}</h1><p>{demo:i}</p>{demo:i2}</body>\n</html>\n");
    writeFile(folder / "offer" / "1033.json",
              "{\n  \"dir\": \"ltr\",\n  \"h\": \"Heading\",\n  \"i\": \"Intro\",\n  \"i2\": \"Picture\"\n}\n");
    writeFile(folder / "offer" / "1037.json",
              "{\n  \"dir\": \"rtl\",\n  \"h\": \"\xD7\x9B\xD7\x95\xD7\xAA\xD7\xA8\xD7\xAA\",\n  \"i\": \"Intro\",\n"
              "  \"i2\": \"Picture\"\n}\n");
}

ContentFixture::~ContentFixture()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

}  // namespace content_test
