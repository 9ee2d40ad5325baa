// Asks another process's window, from a thread of its own, how long its
// thread takes to answer: every period, a WM_NULL through SendMessageTimeout,
// timed. A user-interface thread that answers at once is ready for input; a
// reply that takes long is a stall the user would see as a frozen window.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace bench {

class ReplyProbe {
public:
    struct Reply {
        int phase;       // as given to Probe
        double at;       // seconds since the phase began, when the message was sent
        double seconds;  // until the reply, or until the timeout
        bool answered;   // false: no reply within the timeout
    };

    // Starts the probing thread, idle until Probe names a window.
    ReplyProbe(DWORD periodMs, DWORD timeoutMs);
    ~ReplyProbe();
    ReplyProbe(const ReplyProbe&) = delete;
    ReplyProbe& operator=(const ReplyProbe&) = delete;

    // From now on probes `window`, filing the replies under `phase`; a null
    // window stops probing. Messages to a window that has gone are not
    // counted.
    void Probe(HWND window, int phase);
    // The replies so far, which the probe then forgets.
    std::vector<Reply> Take();

private:
    void Run();

    const DWORD m_periodMs;
    const DWORD m_timeoutMs;
    std::mutex m_mutex;
    HWND m_window = nullptr;
    int m_phase = -1;
    double m_phaseStart = 0;
    std::vector<Reply> m_replies;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace bench
