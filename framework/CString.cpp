#include "CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwctype>
#include <vector>

#include "ReplaceAll.h"

namespace Win32xx {

int CString::Find(const wchar_t* text, int start) const
{
    const size_t position = m_str.find(text, static_cast<size_t>(std::max(start, 0)));
    return position == std::wstring::npos ? -1 : static_cast<int>(position);
}

int CString::ReverseFind(wchar_t ch) const
{
    const size_t position = m_str.rfind(ch);
    return position == std::wstring::npos ? -1 : static_cast<int>(position);
}

CString CString::Left(int count) const
{
    return CString(m_str.substr(0, static_cast<size_t>(std::max(count, 0))));
}

CString CString::Mid(int first) const
{
    const size_t start = std::min(static_cast<size_t>(std::max(first, 0)), m_str.size());
    return CString(m_str.substr(start));
}

int CString::Replace(const wchar_t* from, const wchar_t* to)
{
    return ReplaceAll(m_str, std::wstring(from), std::wstring(to));
}

int CString::Replace(wchar_t from, wchar_t to)
{
    int count = 0;
    for (wchar_t& ch : m_str) {
        if (ch == from) {
            ch = to;
            ++count;
        }
    }
    return count;
}

int CString::Remove(wchar_t ch)
{
    const size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

void CString::MakeLower()
{
    for (wchar_t& ch : m_str)
        ch = static_cast<wchar_t>(std::towlower(ch));
}

void CString::Format(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        // _vsnwprintf is the platform's own formatter: %s means a wide string
        // there, whatever the C library's standard-conforming mode says.
        const int written = _vsnwprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            m_str.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace Win32xx
