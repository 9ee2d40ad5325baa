// ComApartment: COM initialised on the calling thread for the object's life.
// The URL download and the shell launch both need it on the worker thread.
#pragma once

#include <objbase.h>

class ComApartment {
public:
    ComApartment() noexcept : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment()
    {
        // Only a successful initialisation (S_OK or S_FALSE) is balanced.
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};
