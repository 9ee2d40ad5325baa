// Win32xx::CComApartment: COM initialised on the calling thread for the
// object's life. The URL download and the shell launch both need it on the
// worker thread.
#pragma once

#include <objbase.h>

namespace Win32xx {

class CComApartment {
public:
    CComApartment() noexcept : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~CComApartment()
    {
        // Only a successful initialisation (S_OK or S_FALSE) is balanced.
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT m_result;
};

}  // namespace Win32xx
