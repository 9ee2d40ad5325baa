#include "DemoContent.h"

#include <sqlite3.h>

#include <cstdio>
#include <utility>

#include "resources/ResourceContract.h"
#include "support/BuildAddress.h"
#include "support/Files.h"

namespace bench {

namespace {

std::string DatabaseForServer(const std::wstring& folder)
{
    const std::wstring path = folder + L"\\resources.db";
    testing_support::WriteFileBytes(
        path, testing_support::ReadFileBytes(testing_support::BuildPath(L"content\\resources.db")));
    sqlite3* database = nullptr;
    bool ok = sqlite3_open(testing_support::Narrow(path).c_str(), &database) == SQLITE_OK;
    const char* const update =
        "UPDATE BLOB SET DATA = CAST(?1 AS BLOB) WHERE BLOB_ID IN "
        "(SELECT BLOB_ID FROM RESOURCE_VALUE WHERE RES_DEF_ID = ?2)";
    for (const auto& [id, name] : {std::pair{Resource::PRODUCT_INSTALLER_URL, "/KestrafinInstaller.exe"},
                                  std::pair{Resource::OFFER_INSTALLER_URL, "/PartnerInstaller.exe"}}) {
        sqlite3_stmt* statement = nullptr;
        const std::string url = testing_support::ArchiveServerUrl(name);
        ok = ok && sqlite3_prepare_v2(database, update, -1, &statement, nullptr) == SQLITE_OK &&
             sqlite3_bind_text(statement, 1, url.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
             sqlite3_bind_int(statement, 2, id) == SQLITE_OK && sqlite3_step(statement) == SQLITE_DONE &&
             sqlite3_changes(database) > 0;
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return ok ? testing_support::ReadFileBytes(path) : std::string();
}

}  // namespace

DemoFiles ReadDemoFiles(const std::wstring& folder, const char* benchmark)
{
    DemoFiles files{DatabaseForServer(folder),
                    testing_support::ReadFileBytes(testing_support::BuildPath(L"recorder.exe"))};
    if (!files.database.empty() && !files.installer.empty())
        return files;
    std::printf("%s: content\\resources.db or recorder.exe missing or unusable\n", benchmark);
    return DemoFiles{};
}

}  // namespace bench
