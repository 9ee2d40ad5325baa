// Runs the real product against a resource archive that the test serves on
// the build's own archive address (a loopback address), built from a
// resource database that the test writes.
#pragma once

#include <vector>

#include "LoopbackHttpServer.h"
#include "ShellFixture.h"
#include "ZipBuilder.h"
#include "tests/resources/TestDatabase.h"

class ProductFixture : public ShellFixture {
protected:
    static constexpr wchar_t kLanguageDialog[] = L"Kestrafin";
    static constexpr int kLanguageList = 1001;

    ProductFixture();

    // Serves resources.zip holding the test's database (at `databaseName`
    // inside the archive) and the extra items.
    void ServeArchive(const std::vector<testing_support::ZipItem>& extra = {},
                      const std::string& databaseName = "resources.db", size_t pieceSize = 0, DWORD pauseMs = 0);
    testing_support::TempFolder m_source{L"content"};
    TestDatabase m_database{m_source / L"resources.db"};
    testing_support::LoopbackHttpServer m_server;
};
