#include "ExceptionReport.h"

#include "framework/Utf8.h"

void ShowExceptionBox(const Win32xx::CException& e)
{
    const std::string type(e.what());
    const std::wstring caption = Win32xx::Utf8ToWide(type);
    ::MessageBoxW(nullptr, e.GetText(), caption.c_str(), MB_OK | MB_ICONERROR);
}
