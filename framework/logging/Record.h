// One log record: severity, time, thread, the writing function and line, and
// the message that the stream insertions compose.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

#include "../CString.h"
#include "../DecimalText.h"
#include "Severity.h"

namespace logging {

class Record {
public:
    // `function` is the compiler's full signature of the writing function;
    // FunctionName() reduces it to the qualified name.
    Record(Severity severity, const char* function, int line);

    // Lets the insertions below apply to a temporary record.
    Record& ref() { return *this; }

    Record& operator<<(const wchar_t* text);  // null: "(null)"
    Record& operator<<(const char* text);     // UTF-8, widened
    Record& operator<<(const std::wstring& text) { m_message += text; return *this; }
    Record& operator<<(const std::string& text);
    Record& operator<<(const Win32xx::CString& text) { m_message += text.str(); return *this; }
    Record& operator<<(wchar_t ch) { m_message += ch; return *this; }
    Record& operator<<(char ch) { m_message += static_cast<wchar_t>(static_cast<unsigned char>(ch)); return *this; }

    template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
    Record& operator<<(T value)
    {
        m_message += Win32xx::DecimalText(value);
        return *this;
    }

    Severity GetSeverity() const noexcept { return m_severity; }
    const SYSTEMTIME& GetTime() const noexcept { return m_time; }
    DWORD GetThreadId() const noexcept { return m_threadId; }
    int GetLine() const noexcept { return m_line; }
    const std::wstring& GetMessage() const noexcept { return m_message; }
    // The writing function's qualified name, e.g. "Resloader::DialogProc".
    std::string FunctionName() const;

private:
    Severity m_severity;
    SYSTEMTIME m_time;
    DWORD m_threadId;
    const char* m_function;
    int m_line;
    std::wstring m_message;
};

// Reduces a compiler signature such as "BOOL AbstractTaskBase::Start()" to
// the qualified name "AbstractTaskBase::Start".
std::string QualifiedFunctionName(const char* signature);

}  // namespace logging
