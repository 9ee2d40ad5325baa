// Winsock must come before <windows.h>, which the header includes.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "LoopbackHttpServer.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

namespace {

bool SendAll(SOCKET socket, const char* data, size_t size)
{
    while (size > 0) {
        const int chunk = static_cast<int>(std::min<size_t>(size, 1 << 20));
        const int sent = ::send(socket, data, chunk, 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

// The path of the request line "GET /path HTTP/1.1"; empty when the request's head did not arrive whole.
std::string ReadRequestPath(SOCKET client)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int received = ::recv(client, buffer, sizeof(buffer), 0);
        if (received <= 0)
            return std::string();
        request.append(buffer, static_cast<size_t>(received));
    }
    const size_t begin = request.find(' '), end = request.find(' ', begin + 1);
    return end == std::string::npos ? std::string() : request.substr(begin + 1, end - begin - 1);
}

}  // namespace

LoopbackHttpServer::Reply LoopbackHttpServer::Body(std::string body, int status)
{
    return {status, std::make_shared<const std::string>(std::move(body)), std::string::npos, 0, 0};
}

LoopbackHttpServer::LoopbackHttpServer(unsigned short port) : m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    static WSADATA winsock;  // for the whole process: the servers come and go
    static const bool started = ::WSAStartup(MAKEWORD(2, 2), &winsock) == 0;
    m_listener = started ? ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    // A fixed port is this server's alone: another listener there is an error.
    BOOL exclusive = TRUE;
    ::setsockopt(m_listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                 sizeof(exclusive));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof(address);
    if (m_listener == INVALID_SOCKET || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, SOMAXCONN) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the loopback server cannot listen");
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    ::SetEvent(m_stopEvent.Get());
    ::closesocket(m_listener);
    m_acceptor.join();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const SOCKET client : m_clients)
            ::shutdown(client, SD_BOTH);
    }
    for (std::thread& worker : m_workers)
        worker.join();
}

void LoopbackHttpServer::Serve(const std::string& path, Reply reply)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_replies[path] = std::move(reply);
}

std::wstring LoopbackHttpServer::Url(const std::string& path) const
{
    return L"http://127.0.0.1:" + std::to_wstring(m_port) + std::wstring(path.begin(), path.end());
}

int LoopbackHttpServer::RequestCount(const std::string& path) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_requestCounts.count(path) ? m_requestCounts.at(path) : 0;
}

unsigned short LoopbackHttpServer::UnusedPort()
{
    return LoopbackHttpServer().Port();
}

void LoopbackHttpServer::AcceptLoop()
{
    while (!m_stopping) {
        const SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_clients.push_back(client);
        m_workers.emplace_back([this, client] { HandleConnection(client); });
    }
}

void LoopbackHttpServer::HandleConnection(Socket client)
{
    const std::string path = ReadRequestPath(client);
    if (!path.empty()) {
        Reply reply = Body("no such file", 404);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            ++m_requestCounts[path];
            const auto found = m_replies.find(path);
            if (found != m_replies.end())
                reply = found->second;
        }
        SendReply(client, reply);
    }
    ::shutdown(client, SD_SEND);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
    ::closesocket(client);
}

bool LoopbackHttpServer::SendReply(Socket client, const Reply& reply) const
{
    const std::string& body = *reply.body;
    const std::string head = "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK" : " Failed") +
                             "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n";
    if (!SendAll(client, head.data(), head.size()))
        return false;

    const size_t total = std::min(body.size(), reply.sendOnly);
    const size_t piece = reply.pieceSize ? reply.pieceSize : total;
    for (size_t offset = 0; offset < total; offset += piece) {
        if (!SendAll(client, body.data() + offset, std::min(piece, total - offset)))
            return false;
        // The pause ends early when the server stops.
        if (reply.pauseMs && ::WaitForSingleObject(m_stopEvent.Get(), reply.pauseMs) != WAIT_TIMEOUT)
            return false;
        const HANDLE waits[] = {m_stopEvent.Get(), reply.gate};
        if (offset == 0 && reply.gate && ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return false;
    }
    return true;
}

}  // namespace testing_support
