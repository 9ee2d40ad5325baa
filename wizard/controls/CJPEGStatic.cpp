#include "CJPEGStatic.h"

CJPEGStatic::CJPEGStatic()
{
    ::CoInitialize(nullptr);
}

CJPEGStatic::~CJPEGStatic()
{
    m_picture.Reset();
    ::CoUninitialize();
}

void CJPEGStatic::SetPicture(IPicture* picture)
{
    m_picture.Reset(picture);
    if (IsWindow())
        ::InvalidateRect(GetHwnd(), nullptr, TRUE);
}

LRESULT CJPEGStatic::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        OnPaint();
        return 0;
    }
    return WndProcDefault(message, wParam, lParam);
}

void CJPEGStatic::OnPaint()
{
    PAINTSTRUCT paint;
    ::BeginPaint(GetHwnd(), &paint);
    if (m_picture) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_picture->get_Width(&width);
        m_picture->get_Height(&height);
        m_picture->put_KeepOriginalFormat(TRUE);

        const HDC dc = ::GetDC(GetHwnd());
        // Left-to-right, so that a mirrored window does not flip the picture.
        ::SetLayout(dc, 0);
        RECT client;
        ::GetClientRect(GetHwnd(), &client);
        // HIMETRIC sources run bottom-up: start at the height, go up by it.
        m_picture->Render(dc, 0, 0, client.right, client.bottom, 0, height, width, -height, nullptr);
        ::ReleaseDC(GetHwnd(), dc);
    }
    ::EndPaint(GetHwnd(), &paint);
}
