// The embedded browser of the offer page (and the bootstrap's hidden one),
// with a sink for the browser's events when it creates its own window.
#pragma once

#include "WebBrowserEventSink.h"
#include "framework/WebBrowser.h"

class CWebBrowserEx : public Win32xx::CWebBrowser {
protected:
    // Connects the event sink to the browser; a failing step ends the
    // attempt quietly (the browser works without events).
    void OnBrowserCreated() override;

private:
    WebBrowserEventSink m_eventSink;
    DWORD m_sinkCookie = 0;
};
