// A static control that paints a picture (JPEG or any format the platform's
// picture loader reads) stretched over its whole client area. The picture is
// never mirrored, also in a right-to-left window.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include "framework/ComPtr.h"
#include "framework/Wnd.h"

class CJPEGStatic : public Win32xx::CWnd {
public:
    CJPEGStatic();
    ~CJPEGStatic() override;

    // Takes ownership of `picture`, releases the previous one and repaints.
    void SetPicture(IPicture* picture);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();

    Win32xx::CComPtr<IPicture> m_picture;
};
