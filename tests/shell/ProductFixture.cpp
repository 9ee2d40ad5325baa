#include "ProductFixture.h"

#include "support/BuildAddress.h"

ProductFixture::ProductFixture() : m_server(testing_support::ArchivePort())
{
    m_database.AddLanguage("0", "Neutral", "", "", 0);
    m_database.AddLanguage("1033", "English", "English", "EN", 0);
    m_database.AddLanguage("1031", "Deutsch", "German", "DE", 0);
    m_database.AddLanguage("1037", "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "Hebrew", "HE", 1);
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
    m_server.Serve(testing_support::ArchivePath(), reply);
}
