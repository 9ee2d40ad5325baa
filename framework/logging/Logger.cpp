#include "Logger.h"

#include <atomic>

#include "FileAppender.h"

namespace logging {

namespace {
std::atomic<Logger*> g_logger{nullptr};
}

Logger& Logger::AddAppender(Appender* appender)
{
    m_appenders.push_back(appender);
    return *this;
}

void Logger::operator+=(const Record& record)
{
    if (!CheckSeverity(record.GetSeverity()))
        return;
    for (Appender* appender : m_appenders)
        appender->Write(record);
}

Logger& InitFileLogger(Severity maxSeverity, const std::wstring& filePath)
{
    // Built once and deliberately never destroyed: worker threads may still
    // write while the process ends.
    static Logger* const logger = [&] {
        auto* created = new Logger(maxSeverity);
        created->AddAppender(new FileAppender(filePath));
        return created;
    }();
    g_logger.store(logger);
    return *logger;
}

Logger* GetLogger() noexcept
{
    return g_logger.load(std::memory_order_acquire);
}

}  // namespace logging
