// An HTTP/1.1 server on 127.0.0.1 that a test starts: a scripted reply per path, 404 for others, one a connection.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/ScopedHandle.h"

namespace testing_support {

class LoopbackHttpServer {
public:
    using Socket = UINT_PTR;  // Winsock's SOCKET, whose header must come before <windows.h>

    struct Reply {
        int status = 200;
        std::shared_ptr<const std::string> body = std::make_shared<std::string>();
        size_t sendOnly = std::string::npos;  // close after this many body bytes
        size_t pieceSize = 0;                 // 0: the body in one go
        DWORD pauseMs = 0;                    // pause after each piece
        HANDLE gate = nullptr;                // when given, the rest waits after the first piece until it is set
    };
    static Reply Body(std::string body, int status = 200);

    // Listens on `port`, or on a free port when it is 0.
    explicit LoopbackHttpServer(unsigned short port = 0);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Serve(const std::string& path, Reply reply);  // path: "/file.bin"
    unsigned short Port() const noexcept { return m_port; }
    std::wstring Url(const std::string& path) const;  // "http://127.0.0.1:PORT" + path
    int RequestCount(const std::string& path) const;
    // A loopback port on which nothing listens (bound once, then released).
    static unsigned short UnusedPort();

private:
    void AcceptLoop();
    void HandleConnection(Socket client);
    bool SendReply(Socket client, const Reply& reply) const;

    Socket m_listener = ~Socket(0);
    unsigned short m_port = 0;
    Win32xx::CScopedHandle m_stopEvent;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::map<std::string, Reply> m_replies;
    std::map<std::string, int> m_requestCounts;
    std::vector<Socket> m_clients;
    std::vector<std::thread> m_workers;
    std::thread m_acceptor;
};

}  // namespace testing_support
