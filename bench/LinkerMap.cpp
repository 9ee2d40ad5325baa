#include "LinkerMap.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

namespace bench {

namespace {

// "libz.a" for ".../libz.a(inflate.o)", one name for the LTO partitions
// ("/tmp/ccX.ltrans0.ltrans.o"), else the object file's own name.
std::string Contributor(const std::string& file)
{
    if (file.find(".ltrans") != std::string::npos)
        return "link-time optimised code";
    std::string name = file.substr(0, file.find('('));
    return name.substr(name.find_last_of('/') + 1);
}

bool Counted(const std::string& outputSection)
{
    return outputSection.rfind(".bss", 0) != 0 && outputSection.rfind(".debug", 0) != 0;
}

}  // namespace

std::vector<std::pair<std::string, size_t>> LinkerMapContributors(const std::string& mapText)
{
    std::istringstream lines(mapText.substr(std::min(mapText.find("Linker script and memory map"), mapText.size())));
    std::map<std::string, size_t> sizes;
    std::string line;
    std::string outputSection;
    std::string pendingSection;  // an input section whose figures are on the next line
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ') {
            outputSection = line.substr(0, line.find(' '));
            continue;
        }
        std::istringstream fields(line);
        std::string section, address, size, file;
        if (line.size() > 1 && line[1] != ' ') {
            fields >> section;
            if (!(fields >> address)) {
                pendingSection = section;
                continue;
            }
        } else if (!pendingSection.empty()) {
            section = pendingSection;
            fields >> address;
        }
        pendingSection.clear();
        if (section.empty() || section == "*fill*" || !(fields >> size) || !std::getline(fields >> std::ws, file) ||
            size.rfind("0x", 0) != 0 || !Counted(outputSection))
            continue;
        sizes[Contributor(file)] += std::strtoull(size.c_str(), nullptr, 16);
    }
    std::vector<std::pair<std::string, size_t>> contributors(sizes.begin(), sizes.end());
    std::sort(contributors.begin(), contributors.end(),
              [](const auto& left, const auto& right) { return left.second > right.second; });
    return contributors;
}

}  // namespace bench
