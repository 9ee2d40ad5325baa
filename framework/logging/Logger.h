// The process-wide logger and the logging macros.
//
//   LOG_INFO << "Resource File is " << path;
//
// When no logger exists, or the record's severity is filtered out, the
// message is not even built.
#pragma once

#include <vector>

#include "Record.h"

namespace logging {

class Appender {
public:
    virtual ~Appender() = default;
    virtual void Write(const Record& record) = 0;
};

class Logger {
public:
    explicit Logger(Severity maxSeverity) : m_maxSeverity(maxSeverity) {}
    Logger& AddAppender(Appender* appender);
    bool CheckSeverity(Severity severity) const noexcept { return severity <= m_maxSeverity; }
    void operator+=(const Record& record);

private:
    Severity m_maxSeverity;
    std::vector<Appender*> m_appenders;
};

// Creates the process-wide logger with one file appender that appends to
// `filePath`; later calls return the existing logger. The logger lives until
// the process ends.
Logger& InitFileLogger(Severity maxSeverity, const std::wstring& filePath);

// The process-wide logger, or null before InitFileLogger.
Logger* GetLogger() noexcept;

inline bool IsLogged(Severity severity) noexcept
{
    const Logger* logger = GetLogger();
    return logger && logger->CheckSeverity(severity);
}

}  // namespace logging

#define LOG_(severity)                  \
    if (!::logging::IsLogged(severity)) \
        ;                               \
    else                                \
        (*::logging::GetLogger()) += ::logging::Record(severity, __PRETTY_FUNCTION__, __LINE__).ref()

// A record that names `function` (a qualified name such as
// "Resloader::DialogProc") instead of the function that writes it: for
// handlers that a message procedure delegates to and that speak for it.
#define LOG_NAMED(severity, function)   \
    if (!::logging::IsLogged(severity)) \
        ;                               \
    else                                \
        (*::logging::GetLogger()) += ::logging::Record(severity, function, __LINE__).ref()

#define LOG_FATAL LOG_(::logging::fatal)
#define LOG_ERROR LOG_(::logging::error)
#define LOG_WARNING LOG_(::logging::warning)
#define LOG_INFO LOG_(::logging::info)
