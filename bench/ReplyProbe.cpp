#include "ReplyProbe.h"

#include <algorithm>

#include "BenchSupport.h"

namespace bench {

ReplyProbe::ReplyProbe(DWORD periodMs, DWORD timeoutMs)
    : m_periodMs(periodMs), m_timeoutMs(timeoutMs), m_thread([this] { Run(); })
{
}

ReplyProbe::~ReplyProbe()
{
    m_stop = true;
    m_thread.join();
}

void ReplyProbe::Probe(HWND window, int phase)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    m_phase = phase;
    m_phaseStart = Now();
}

std::vector<ReplyProbe::Reply> ReplyProbe::Take()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::move(m_replies);
}

void ReplyProbe::Run()
{
    const double period = m_periodMs / 1000.0;
    double next = Now();
    while (!m_stop) {
        HWND window;
        int phase;
        double phaseStart;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            window = m_window;
            phase = m_phase;
            phaseStart = m_phaseStart;
        }
        if (window) {
            const double sent = Now();
            DWORD_PTR result = 0;
            // SMTO_ABORTIFHUNG: a thread that has not looked at its messages
            // for five seconds counts as hung and gets no message; its
            // missing reply is a stall all the same.
            const bool answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, m_timeoutMs,
                                                        &result) != 0;
            const double seconds = Now() - sent;
            if (answered || ::IsWindow(window)) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_replies.push_back({phase, sent - phaseStart, seconds, answered});
            }
        }
        // Every period from start to start; a slow reply delays only the next
        // message, not the rhythm after it.
        next = std::max(next + period, Now());
        const double wait = next - Now();
        if (wait > 0)
            ::Sleep(static_cast<DWORD>(wait * 1000.0));
    }
}

}  // namespace bench
