#include "ContentFixture.h"

#include "ContentCheck.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sys/wait.h>

namespace content_test {

ToolRun run(const std::vector<std::string>& arguments)
{
    std::string command;
    for (const std::string& argument : arguments)
        command += "'" + std::regex_replace(argument, std::regex("'"), "'\\''") + "' ";
    FILE* pipe = popen((command + "2>&1").c_str(), "r");
    std::string output;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        output += static_cast<char>(c);
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

ToolRun runTool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), CONTENT_TOOL_PATH);
    return run(arguments);
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

Edit replacing(const std::string& file, const std::string& from, const std::string& to)
{
    return [=](const fs::path& content) {
        std::string text = readFile(content / file);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << "\"" << from << "\" is not in " << file;
        writeFile(content / file, text.replace(at, from.size(), to));
    };
}

Edit appending(const std::string& file, const std::string& line)
{
    return [=](const fs::path& c) { std::ofstream(c / file, std::ios::binary | std::ios::app) << line << "\n"; };
}

ContentFixture::ContentFixture()
{
    std::string pattern = (fs::temp_directory_path() / "content-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    const std::string hebrew = "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA";
    writeFile(content() / "languages.tsv", "# languages\ncode\tnative_name\tenglish_name\tabbreviation\trtl\n"
                                           "0\tNeutral\tNeutral\t\t0\n1033\tEnglish\tEnglish\ten\t0\n"
                                           "1037\t" + hebrew + "\tHebrew\the\t1\n");
    // The texts with a value of their own; 9, 10 and the offer's are per language.
    const std::map<int, std::string> special = {
        {56, ""}, {61, ""}, {9, ""}, {10, ""}, {38, ""}, {40, ""}, {157, "demo"}, {166, "%TAG%"}, {168, "{%TAG%:$1}"}, {158, "mailto:a@b"}, {159, "https://b"},
        {65, "$(^Name) ${PRIMARY_SW_NAME} $(^LangAbrev) $(^LangID) $(^NextBtn)$\\r$\\n for $5"}};
    std::string resources = "id\tname\ttype\n5000\tNOTE\ttext\n300\tPRODUCT_INSTALLER_SHA256\ttext\n"
                            "301\tOFFER_INSTALLER_SHA256\ttext\n";
    std::string neutralTexts = "# neutral texts\n56\thttps://127.0.0.1/setup.exe\n61\thttps://127.0.0.1/partner.exe\n";
    std::string files = "language\tid\tfile\n0\t40\toffer/template.html\n1033\t38\toffer/1033.json\n"
                        "1037\t38\toffer/1037.json\n";
    for (const Resource::Definition& resource : content::ProgramReads()) {
        if (resource.need == Resource::Need::Optional)
            continue;
        const std::string id = std::to_string(resource.id);
        const bool picture = resource.type == RESOURCE_PICTURE;
        resources += id + "\t" + resource.name + "\t" + (picture ? "picture" : "text") + "\n";
        const auto value = special.find(resource.id);
        if (picture)
            files += "0\t" + id + "\tpictures/picture.jpg\n";
        else if (value == special.end() || !value->second.empty())
            neutralTexts += id + "\t" + (value == special.end() ? "Text " + id : value->second) + "\n";
    }
    writeFile(content() / "resources.tsv", resources);
    writeFile(content() / "files.tsv", files);
    writeFile(content() / "texts" / "0.txt", neutralTexts + "5000\tnot read by the program\n");
    writeFile(content() / "texts" / "1033.txt", "9\tWelcome\n10\tThis installs $(^Name).$\\nClick $(^NextBtn).\n");
    writeFile(content() / "texts" / "1037.txt", "9\t\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\n10\t" + hebrew + " $(^Name)\n");
    writeFile(content() / "digests.tsv", "language\tid\tfile\n1037\t301\tinstallers/partner.exe\n");
    writeFile(content() / "installers" / "partner.exe", "abc");
    writeFile(content() / "pictures" / "picture.jpg", readFile(fs::path(DEMO_CONTENT_DIR) / "pictures" / "banner.jpg"));
    writeFile(content() / "offer" / "template.html",
              "<html dir=\"{demo:dir}\">\n<body><h1>{demo:h}</h1><p>{demo:i}</p>{demo:i2}</body>\n</html>\n");
    writeFile(content() / "offer" / "1033.json",
              "{\n  \"dir\": \"ltr\",\n  \"h\": \"Heading\",\n  \"i\": \"Intro\",\n  \"i2\": \"Picture\"\n}\n");
    writeFile(content() / "offer" / "1037.json", "{\"dir\": \"rtl\", \"h\": \"H\", \"i\": \"I\", \"i2\": \"\"}");
}

ContentFixture::~ContentFixture()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

}  // namespace content_test
