// The resource database: every text, picture and offer description that the
// user sees, by numeric resource id, resource type and language, with the
// fallback to the neutral language "0". A process-wide singleton, reached
// through GenericSingleton<ResourceManager>::instance(); all calls come from
// the user-interface thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "GenericSingleton.h"
#include "LangDefinition.h"
#include "ResourceContract.h"
#include "framework/CString.h"

struct sqlite3;
struct sqlite3_stmt;
class CJPEGStatic;

extern const wchar_t NEUTRAL_LANGUAGE[];  // "0"

class ResourceManager : public GenericSingleton<ResourceManager> {
public:
    // The operations keep their established lower-case names (getString, loadPicture...).
    // Obtains the database through the resource bootstrap dialog, then opens it.
    ResourceManager();
    // Opens the database at `databasePath` (no bootstrap).
    explicit ResourceManager(const Win32xx::CString& databasePath);
    ~ResourceManager() override;
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // The bytes of resource `id` of `type` in `code`, else in the neutral
    // language. False when neither has it.
    bool fetchBlob(const std::wstring& code, int id, int type, std::vector<unsigned char>& data);
    // Text resource `id` in `code` (with the fallback), as stored, no macros
    // replaced; empty when missing. Pages read getText instead.
    std::wstring getString(const std::wstring& code, int id);
    // How a page reads a text: resource `id` in the current language (with
    // the fallback), its macros replaced when the contract marks it Expanded
    // (it then ends at its first NUL, as a window shows it), else as stored;
    // empty when missing.
    Win32xx::CString getText(Resource::Id id);
    // Text resource `id` in the current language (with the fallback) as
    // stored, UTF-8 bytes, for the documents that the contract keeps Plain
    // (the offer's template and description, the digests); nothing when
    // missing. Raises std::logic_error for a text whose macros the contract
    // replaces: its bytes are not what the user is meant to get.
    std::optional<std::string> getRawText(Resource::Id id);
    // Stops, with an error record, before the text would grow beyond
    // kMaxExpandedLength characters; the text keeps what was replaced.
    Win32xx::CString& expandMacros(Win32xx::CString& text);
    // Loads picture `id` of the current language into `control`; true when
    // the picture was loaded (else the control keeps its picture).
    bool loadPicture(int id, CJPEGStatic& control);
    // Picture `id` of the current language as Base64 without line breaks;
    // false (and `out` unchanged) when missing, empty or not encodable.
    bool getPictureBase64(int id, Win32xx::CString& out);

    // Makes the language `code`, a key of languages(), current. Raises
    // std::out_of_range for an unknown code.
    void setCurrentLanguage(const std::wstring& code);
    LangDefinition currentLanguage() const { return m_currentLanguage; }
    const std::map<std::wstring, LangDefinition>& languages() const noexcept { return m_languages; }

private:
    void Open();
    void initDatabase();
    template <size_t N>
    void Prepare(const char (&sql)[N], sqlite3_stmt*& statement);
    void checkPrepareError(int code);
    int stepStatement(sqlite3* connection, sqlite3_stmt* statement, const char* label);
    bool fetchLangsDefinition();
    // expandMacros for the text of resource `id`, which an error record names.
    Win32xx::CString& expandMacros(Win32xx::CString& text, int id);
    bool fetchBlobId(const std::wstring& code, int id, int type, int& blobId);
    bool fetchBlobData(int blobId, std::vector<unsigned char>& data);

    Win32xx::CString m_databasePath;
    sqlite3* m_connection = nullptr;
    sqlite3_stmt* m_byNameStatement = nullptr;
    sqlite3_stmt* m_byIdStatement = nullptr;
    sqlite3_stmt* m_languageStatement = nullptr;
    sqlite3_stmt* m_blobStatement = nullptr;
    std::map<std::wstring, LangDefinition> m_languages;
    LangDefinition m_currentLanguage;
};
