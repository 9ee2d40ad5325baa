#include "Record.h"

#include <cstring>

#include "../Utf8.h"

namespace logging {

const wchar_t* SeverityName(Severity severity)
{
    switch (severity) {
    case fatal: return L"FATAL";
    case error: return L"ERROR";
    case warning: return L"WARN";
    case info: return L"INFO";
    case debug: return L"DEBUG";
    case verbose: return L"VERB";
    default: return L"NONE";
    }
}

Record::Record(Severity severity, const char* function, int line)
    : m_severity(severity), m_threadId(::GetCurrentThreadId()), m_function(function), m_line(line)
{
    ::GetLocalTime(&m_time);
}

Record& Record::operator<<(const wchar_t* text)
{
    m_message += text ? text : L"(null)";
    return *this;
}

Record& Record::operator<<(const char* text)
{
    if (!text)
        return *this << static_cast<const wchar_t*>(nullptr);
    m_message += Win32xx::Utf8ToWide(text, std::strlen(text));
    return *this;
}

Record& Record::operator<<(const std::string& text)
{
    m_message += Win32xx::Utf8ToWide(text);
    return *this;
}

std::string Record::FunctionName() const
{
    return QualifiedFunctionName(m_function);
}

std::string QualifiedFunctionName(const char* signature)
{
    const std::string text(signature ? signature : "");
    // The parameter list starts at the first '(' outside template arguments.
    size_t end = 0;
    int depth = 0;
    for (; end < text.size(); ++end) {
        if (text[end] == '<')
            ++depth;
        else if (text[end] == '>')
            --depth;
        else if (text[end] == '(' && depth == 0)
            break;
    }
    // The name starts after the last blank outside template arguments (the
    // blank that ends the return type, if there is one).
    size_t begin = end;
    depth = 0;
    while (begin > 0) {
        const char ch = text[begin - 1];
        if (ch == '>')
            ++depth;
        else if (ch == '<')
            --depth;
        else if ((ch == ' ' || ch == '*' || ch == '&') && depth == 0)
            break;
        --begin;
    }
    return text.substr(begin, end - begin);
}

}  // namespace logging
