#include "TextFormatter.h"

#include <cstdio>

#include "../DecimalText.h"

namespace logging {

std::wstring FormatRecord(const Record& record)
{
    const SYSTEMTIME& t = record.GetTime();
    wchar_t prefix[64];
    _snwprintf(prefix, sizeof prefix / sizeof prefix[0], L"%04u-%02u-%02u %02u:%02u:%02u.%03u %-5s [%lu] [",
               t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
               SeverityName(record.GetSeverity()), static_cast<unsigned long>(record.GetThreadId()));

    std::wstring line(prefix);
    for (const char ch : record.FunctionName())
        line += static_cast<wchar_t>(static_cast<unsigned char>(ch));
    line += L'@';
    line += Win32xx::DecimalText(record.GetLine());
    line += L"] ";
    line += record.GetMessage();
    line += L'\n';
    return line;
}

}  // namespace logging
