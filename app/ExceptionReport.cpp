#include "ExceptionReport.h"

#include <string>
#include <typeinfo>

#include "framework/ClassName.h"
#include "framework/Exception.h"
#include "framework/Utf8.h"
#include "framework/logging/Logger.h"

namespace {

void Report(const char* function, const wchar_t* text, const std::string& type)
{
    const std::wstring caption = Win32xx::Utf8ToWide(type);
    ::MessageBoxW(nullptr, text, caption.c_str(), MB_OK | MB_ICONERROR);
    LOG_NAMED(logging::fatal, function) << text << type;
    LOG_NAMED(logging::info, function) << "Program treminated upon a fatal exception.";
}

}  // namespace

bool ReportCurrentException(const char* function)
{
    try {
        throw;
    } catch (const Win32xx::CException& e) {
        Report(function, e.GetText(), e.what());
        return true;
    } catch (const std::exception& e) {
        Report(function, Win32xx::Utf8ToWide(e.what()).c_str(), Win32xx::ClassName(typeid(e).name()));
    } catch (...) {
        Report(function, nullptr, "unknown exception");
    }
    return false;
}
