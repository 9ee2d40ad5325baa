#include "ProductFixture.h"

#include "BuildSettings.h"

namespace {

// The port of the build's archive address ("http://127.0.0.1:PORT/...").
unsigned short ArchivePort()
{
    const std::wstring address(SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
    const size_t colon = address.find(L':', address.find(L"//"));
    return static_cast<unsigned short>(colon == std::wstring::npos ? 80 : std::stoi(address.substr(colon + 1)));
}

}  // namespace

ProductFixture::ProductFixture() : m_server(ArchivePort())
{
    m_database.AddLanguage("0", "Neutral", "", "", 0);
    m_database.AddLanguage("1033", "English", "English", "EN", 0);
    m_database.AddLanguage("1031", "Deutsch", "German", "DE", 0);
    m_database.AddLanguage("1037", "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "Hebrew", "HE", 1);
}

std::string ProductFixture::ArchivePath()
{
    const std::wstring address(SETUP_RESOURCE_ARCHIVE_URL_AS_CONFIGURED);
    const size_t slash = address.find(L'/', address.find(L"//") + 2);
    return testing_support::Narrow(address.substr(slash));
}

void ProductFixture::ServeArchive(const std::vector<testing_support::ZipItem>& extra, const std::string& databaseName,
                                  size_t pieceSize, DWORD pauseMs)
{
    std::vector<testing_support::ZipItem> items = extra;
    items.push_back(testing_support::ZipItem::File(databaseName,
                                                   testing_support::ReadFileBytes(m_source / L"resources.db")));
    testing_support::LoopbackHttpServer::Reply reply = testing_support::LoopbackHttpServer::Body(
        testing_support::BuildZip(items));
    reply.pieceSize = pieceSize;
    reply.pauseMs = pauseMs;
    m_server.Serve(ArchivePath(), reply);
}
