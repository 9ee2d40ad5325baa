// Win32xx::CBrush: owns one solid GDI brush.
#pragma once

#include <windows.h>

#include "Exception.h"

namespace Win32xx {

class CBrush {
public:
    // Raises CResourceException "CreateSolidBrush failed".
    explicit CBrush(COLORREF colour) : m_brush(::CreateSolidBrush(colour))
    {
        if (!m_brush)
            throw CResourceException(L"CreateSolidBrush failed");
    }
    ~CBrush() { ::DeleteObject(m_brush); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    HBRUSH Get() const noexcept { return m_brush; }

private:
    HBRUSH m_brush;
};

}  // namespace Win32xx
