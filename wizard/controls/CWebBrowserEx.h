// The embedded browser of the offer page (and the bootstrap's hidden one),
// with a sink for the browser's events when it creates its own window.
#pragma once

#include <array>
#include <functional>

#include "WebBrowserEventSink.h"
#include "framework/WebBrowser.h"

class CWebBrowserEx : public Win32xx::CWebBrowser {
public:
    // The browser events that reach a callback, by their dispatch id.
    enum Event {
        StatusTextChange,   // 102
        DownloadComplete,   // 104
        CommandStateChange, // 105
        DownloadBegin,      // 106
        ProgressChange,     // 108
        PropertyChange,     // 112
        TitleChange,        // 113
        NewWindow2,         // 251
        NavigateComplete2,  // 252
        DocumentComplete,   // 259
        EventCount
    };
    using EventCallback = std::function<void(DISPPARAMS*)>;

    CWebBrowserEx() : m_eventSink(this) {}
    ~CWebBrowserEx() override;

    void SetEventCallback(Event event, EventCallback callback) { m_callbacks[event] = std::move(callback); }
    // Calls the callback of the event with that dispatch id, if one is set.
    // Ids of other events (BeforeNavigate2 among them) are ignored, so no
    // navigation is ever blocked or redirected.
    void DispatchEvent(DISPID id, DISPPARAMS* parameters);

protected:
    // Connects the event sink to the browser; a failing step ends the
    // attempt quietly (the browser works without events).
    void OnBrowserCreated() override;

private:
    std::array<EventCallback, EventCount> m_callbacks;
    WebBrowserEventSink m_eventSink;
    DWORD m_sinkCookie = 0;
};
