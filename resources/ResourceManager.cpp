#include "ResourceManager.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include <sqlite3.h>

#include "Macros.h"
#include "Resloader.h"
#include "app/Die.h"
#include "framework/Base64.h"
#include "framework/ComPtr.h"
#include "framework/DecimalText.h"
#include "framework/MemoryStream.h"
#include "framework/Utf8.h"
#include "framework/logging/Logger.h"
#include "wizard/controls/CJPEGStatic.h"

const wchar_t NEUTRAL_LANGUAGE[] = L"0";

namespace {

constexpr int kStatementLengthLimit = 1024;

// The length to hand SQLite for a statement: SQLite reads that many bytes, so
// the limit must not run past the end of a shorter text.
template <size_t N>
constexpr int StatementLength(const char (&)[N])
{
    return static_cast<int>(N < kStatementLengthLimit ? N : kStatementLengthLimit);
}

// Stands for the id of a text given to expandMacros without one.
constexpr int kUnnamedText = -1;

LangDefinition NeutralLanguage()
{
    return LangDefinition{NEUTRAL_LANGUAGE, L"", L"Neutral", L"", false};
}

// A text column as a wide string; NULL reads as empty.
std::wstring TextColumn(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? Win32xx::Utf8ToWide(text, std::strlen(text)) : std::wstring();
}

// The text up to its first NUL character.
Win32xx::CString UpToNul(const std::wstring& text)
{
    return Win32xx::CString(text.c_str());
}

bool IsExpanded(Resource::Id id)
{
    const Resource::Definition* definition = Resource::Find(id);
    return definition && definition->macros == Resource::Macros::Expanded;
}

}  // namespace

ResourceManager::ResourceManager() : m_currentLanguage(NeutralLanguage())
{
    auto loader = std::make_unique<Resloader>();
    loader->DoModal(nullptr);
    m_databasePath = loader->GetResourceFilePath();
    LOG_INFO << "Resources aquired";
    Open();
    // The bootstrap dialog and its tasks go only now, after the database is open.
}

ResourceManager::ResourceManager(const Win32xx::CString& databasePath)
    : m_databasePath(databasePath), m_currentLanguage(NeutralLanguage())
{
    LOG_INFO << "Resources aquired";
    Open();
}

ResourceManager::~ResourceManager()
{
    for (sqlite3_stmt* statement : {m_byNameStatement, m_byIdStatement, m_languageStatement, m_blobStatement})
        sqlite3_finalize(statement);
    sqlite3_close(m_connection);
}

void ResourceManager::Open()
{
    initDatabase();
    ::CoInitialize(nullptr);
}

void ResourceManager::initDatabase()
{
    const std::string path = Win32xx::WideToUtf8(m_databasePath.str());
    const int openResult =
        sqlite3_open_v2(path.c_str(), &m_connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    ::OutputDebugStringW(m_databasePath.c_str());
    if (openResult != SQLITE_OK) {
        // The platform's formatter, cut to the buffer as snprintf would: the
        // C library's standard one links its whole printf into the program.
        char message[512] = {};
        _snprintf(message, sizeof message - 1, "ERROR: sqlite error %d - %s\n", openResult,
                  sqlite3_errmsg(m_connection));
        LOG_FATAL << message;
        Die();
    }

    for (const char* pragma : {"PRAGMA locking_mode = NORMAL", "PRAGMA quick_check", "PRAGMA synchronous = FULL;",
                               "PRAGMA checkpoint_fullfsync = true;"})
        sqlite3_exec(m_connection, pragma, nullptr, nullptr, nullptr);

    Prepare(Resource::kByNameStatement, m_byNameStatement);
    Prepare(Resource::kByIdStatement, m_byIdStatement);
    Prepare(Resource::kBlobStatement, m_blobStatement);
    Prepare(Resource::kLanguagesStatement, m_languageStatement);
    fetchLangsDefinition();
}

template <size_t N>
void ResourceManager::Prepare(const char (&sql)[N], sqlite3_stmt*& statement)
{
    checkPrepareError(sqlite3_prepare_v2(m_connection, sql, StatementLength(sql), &statement, nullptr));
}

void ResourceManager::checkPrepareError(int code)
{
    if (code == SQLITE_OK)
        return;
    LOG_FATAL << "sql prepare error :" << sqlite3_errstr(code);
    Die();
}

int ResourceManager::stepStatement(sqlite3* connection, sqlite3_stmt* statement, const char* label)
{
    const int result = sqlite3_step(statement);
    if (result == SQLITE_OK || result == SQLITE_ROW || result == SQLITE_DONE)
        return result;
    char message[512] = {};  // formatted as in initDatabase
    _snprintf(message, sizeof message - 1, "SQLite error on '%s' result=%d error='%s'\n", label, result,
              sqlite3_errmsg(connection));
    LOG_FATAL << message;
    Die();
    return result;
}

bool ResourceManager::fetchLangsDefinition()
{
    if (!m_languageStatement)
        return false;
    bool any = false;
    while (stepStatement(m_connection, m_languageStatement, "fetchLangsDefinition") == SQLITE_ROW) {
        LangDefinition language;
        language.code = TextColumn(m_languageStatement, 0);
        language.nativeName = TextColumn(m_languageStatement, 1);
        language.abbreviation = TextColumn(m_languageStatement, 2);
        language.englishName = TextColumn(m_languageStatement, 3);
        language.rightToLeft = sqlite3_column_int(m_languageStatement, 4) == 1;
        // The first row of a code wins.
        m_languages.emplace(language.code, language);
        any = true;
    }
    sqlite3_reset(m_languageStatement);
    return any;
}

bool ResourceManager::fetchBlobId(const std::wstring& code, int id, int type, int& blobId)
{
    if (!m_byIdStatement)
        return false;
    const std::string utf8Code = Win32xx::WideToUtf8(code);
    sqlite3_bind_text(m_byIdStatement, 1, utf8Code.c_str(), static_cast<int>(utf8Code.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(m_byIdStatement, 2, id);
    sqlite3_bind_int(m_byIdStatement, 3, type);
    const bool found = stepStatement(m_connection, m_byIdStatement, "fetchBlobId") == SQLITE_ROW;
    if (found)
        blobId = sqlite3_column_int(m_byIdStatement, 0);
    sqlite3_reset(m_byIdStatement);
    return found;
}

bool ResourceManager::fetchBlobData(int blobId, std::vector<unsigned char>& data)
{
    if (!m_blobStatement)
        return false;
    sqlite3_bind_int(m_blobStatement, 1, blobId);
    const bool found = stepStatement(m_connection, m_blobStatement, "fetchBlobData") == SQLITE_ROW;
    if (found) {
        const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(m_blobStatement, 0));
        const int count = sqlite3_column_bytes(m_blobStatement, 0);
        data.assign(bytes, bytes + (bytes ? count : 0));
    }
    sqlite3_reset(m_blobStatement);
    return found;
}

bool ResourceManager::fetchBlob(const std::wstring& code, int id, int type, std::vector<unsigned char>& data)
{
    // A value whose blob row is missing counts as not found in that language.
    int blobId = 0;
    if (fetchBlobId(code, id, type, blobId) && fetchBlobData(blobId, data))
        return true;
    if (code == NEUTRAL_LANGUAGE)
        return false;
    return fetchBlob(NEUTRAL_LANGUAGE, id, type, data);
}

std::wstring ResourceManager::getString(const std::wstring& code, int id)
{
    std::vector<unsigned char> data;
    if (!fetchBlob(code, id, RESOURCE_TEXT, data))
        return std::wstring();
    return Win32xx::Utf8ToWide(reinterpret_cast<const char*>(data.data()), data.size());
}

std::optional<std::string> ResourceManager::getRawText(Resource::Id id)
{
    if (IsExpanded(id))
        throw std::logic_error("resource " + std::to_string(id) + " is read with its macros replaced");
    std::vector<unsigned char> data;
    if (!fetchBlob(m_currentLanguage.code, id, RESOURCE_TEXT, data))
        return std::nullopt;
    return std::string(data.begin(), data.end());
}

Win32xx::CString ResourceManager::getText(Resource::Id id)
{
    std::wstring stored = getString(m_currentLanguage.code, id);
    if (!IsExpanded(id))
        return Win32xx::CString(std::move(stored));
    Win32xx::CString text = UpToNul(stored);
    return expandMacros(text, id);
}

Win32xx::CString& ResourceManager::expandMacros(Win32xx::CString& text)
{
    return expandMacros(text, kUnnamedText);
}

Win32xx::CString& ResourceManager::expandMacros(Win32xx::CString& text, int id)
{
    // The product name and the Next caption are read only when a macro will
    // take them: most texts hold neither, and each read is a query.
    MacroValues values;
    values.languageAbbreviation = m_currentLanguage.abbreviation;
    values.languageCode = m_currentLanguage.code;
    if (text.Find(L"$(^Name)") >= 0 || text.Find(L"${PRIMARY_SW_NAME}") >= 0)
        values.productName = UpToNul(getString(m_currentLanguage.code, Resource::PRODUCT_NAME)).str();
    bool complete = ExpandNameAndLanguageMacros(text, values, kMaxExpandedLength);
    // Looked for in the text as the macros before left it: a value that they
    // inserted may hold the macro, or join the pieces of one.
    if (complete && text.Find(L"$(^NextBtn)") >= 0)
        values.nextButton = UpToNul(getString(m_currentLanguage.code, Resource::BUTTON_NEXT)).str();
    complete = complete && ExpandNextButtonAndEscapes(text, values, kMaxExpandedLength);
    if (!complete) {
        LOG_ERROR << "Macros of "
                  << (id == kUnnamedText ? std::wstring(L"a text") : L"resource " + Win32xx::DecimalText(id))
                  << " not all expanded: the text would exceed " << kMaxExpandedLength << " characters";
    }
    return text;
}

bool ResourceManager::loadPicture(int id, CJPEGStatic& control)
{
    std::vector<unsigned char> data;
    if (!fetchBlob(m_currentLanguage.code, id, RESOURCE_PICTURE, data))
        return false;
    Win32xx::CComPtr<IStream> stream = Win32xx::StreamOverCopy(data.data(), data.size());
    if (!stream)
        return false;
    Win32xx::CComPtr<IPicture> picture;
    const HRESULT result = ::OleLoadPicture(stream.Get(), static_cast<LONG>(data.size()), FALSE, IID_IPicture,
                                            picture.ReceiveVoid());
    stream.Reset();
    if (SUCCEEDED(result) && picture)
        control.SetPicture(picture.Detach());
    return result == S_OK;
}

bool ResourceManager::getPictureBase64(int id, Win32xx::CString& out)
{
    std::vector<unsigned char> data;
    if (!fetchBlob(m_currentLanguage.code, id, RESOURCE_PICTURE, data) || data.empty())
        return false;
    const std::string encoded = Win32xx::Base64Encode(data.data(), data.size());
    out = Win32xx::CString(std::wstring(encoded.begin(), encoded.end()));
    return true;
}

void ResourceManager::setCurrentLanguage(const std::wstring& code)
{
    m_currentLanguage = m_languages.at(code);
}
