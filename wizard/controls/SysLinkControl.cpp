#include "SysLinkControl.h"

#include <commctrl.h>
#include <shellapi.h>

#include "LinkAddress.h"
#include "framework/VisibleText.h"
#include "framework/logging/Logger.h"

LRESULT SysLinkControl::OnNotifyReflect(WPARAM, LPARAM lParam)
{
    const auto* link = reinterpret_cast<const NMLINK*>(lParam);
    if (link->hdr.code != NM_CLICK && link->hdr.code != NM_RETURN)
        return 0;
    if (IsOpenableLinkAddress(link->item.szUrl))
        ::ShellExecuteW(nullptr, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
    else
        LOG_WARNING << "Link not opened, not a web or mail address: " << Win32xx::VisibleText(link->item.szUrl);
    return 0;
}
