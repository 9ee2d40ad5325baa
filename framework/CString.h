// Win32xx::CString: the framework's wide (UTF-16) string, a thin layer over
// std::wstring with the few text operations that the program needs.
#pragma once

#include <string>

namespace Win32xx {

class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_str(text ? text : L"") {}
    CString(const wchar_t* text, size_t length) : m_str(text, length) {}
    CString(std::wstring text) : m_str(std::move(text)) {}

    const wchar_t* c_str() const noexcept { return m_str.c_str(); }
    operator const wchar_t*() const noexcept { return m_str.c_str(); }
    const std::wstring& str() const noexcept { return m_str; }

    int GetLength() const noexcept { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const noexcept { return m_str.empty(); }
    wchar_t operator[](int index) const { return m_str[static_cast<size_t>(index)]; }

    // Position of the first occurrence of `text` at or after `start`, or -1.
    int Find(const wchar_t* text, int start = 0) const;
    // Position of the last occurrence of `ch`, or -1.
    int ReverseFind(wchar_t ch) const;
    CString Left(int count) const;
    CString Mid(int first) const;

    // Replaces every occurrence of `from`; returns the number of replacements.
    int Replace(const wchar_t* from, const wchar_t* to);
    int Replace(wchar_t from, wchar_t to);
    int Remove(wchar_t ch);
    void MakeLower();

    // printf-style formatting with the platform's wide conventions (%s takes
    // a wide string).
    void Format(const wchar_t* format, ...);

    CString& operator+=(const CString& other) { m_str += other.m_str; return *this; }
    CString& operator+=(const wchar_t* other) { m_str += other; return *this; }
    CString& operator+=(wchar_t ch) { m_str += ch; return *this; }

    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const wchar_t* right) { return left += right; }
    friend CString operator+(const wchar_t* left, const CString& right) { return CString(left) += right; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_str != b.m_str; }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::wstring m_str;
};

}  // namespace Win32xx
