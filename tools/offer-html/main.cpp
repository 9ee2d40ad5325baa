// offer-html: writes the offer page's HTML document, as the program builds it
// from a resource database, to a file, so that it can be looked at in any
// browser.
//
//   offer-html DATABASE LANGUAGE_CODE OUTPUT.html
//
// DATABASE is a resources.db, LANGUAGE_CODE one of its languages (1033, ...).
// The output holds the document's bytes (UTF-8) exactly. Exit code 0 when the
// file was written, 1 when it could not be, 2 on bad arguments.

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Utf8.h"
#include "resources/ResourceManager.h"
#include "wizard/pages/OfferTutorial.h"

namespace {

void PrintError(const std::wstring& text)
{
    const std::string bytes = Win32xx::WideToUtf8(L"offer-html: " + text + L"\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* file = ::_wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fputs("usage: offer-html DATABASE LANGUAGE_CODE OUTPUT.html\n", stderr);
        return 2;
    }
    const std::wstring database = argv[1], language = argv[2], output = argv[3];

    // The database is opened read-write and created when missing; a missing
    // or unreadable file would end in the program's fatal-error box.
    const DWORD attributes = ::GetFileAttributesW(database.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        PrintError(L"no database file " + database);
        return 2;
    }

    ResourceManager resources{Win32xx::CString(database.c_str())};
    try {
        resources.setCurrentLanguage(language);
    } catch (const std::out_of_range&) {
        PrintError(L"the database has no language " + language);
        return 2;
    }

    // The offer page's sequence: its constructor lets the tutorial load the
    // placeholders; OnInitPage sets the offer tag and the three resource ids,
    // then builds the document.
    OfferTutorial tutorial(&resources);
    tutorial.LoadPlaceholders();
    tutorial.BuildOfferHtml();
    const std::string& html = tutorial.html;

    if (!WriteFileBytes(output, html)) {
        PrintError(L"cannot write " + output);
        return 1;
    }
    std::printf("wrote %s bytes\n", std::to_string(html.size()).c_str());
    return 0;
}
