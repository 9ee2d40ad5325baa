// Win32xx::CComPtr: owns one reference to a COM interface.
#pragma once

#include <unknwn.h>

#include <utility>

namespace Win32xx {

template <typename T>
class CComPtr {
public:
    CComPtr() = default;
    // Takes over a reference that the caller already holds.
    explicit CComPtr(T* adopted) noexcept : m_ptr(adopted) {}
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        Reset(std::exchange(other.m_ptr, nullptr));
        return *this;
    }
    ~CComPtr() { Reset(); }

    T* Get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    // The address to receive a new reference (the old one is released).
    T** Receive() noexcept
    {
        Reset();
        return &m_ptr;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

    // Gives up ownership without releasing.
    T* Detach() noexcept { return std::exchange(m_ptr, nullptr); }
    void Reset(T* adopted = nullptr) noexcept
    {
        if (m_ptr)
            m_ptr->Release();
        m_ptr = adopted;
    }

private:
    T* m_ptr = nullptr;
};

}  // namespace Win32xx
