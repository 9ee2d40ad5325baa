#include "ExceptionReport.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "framework/Exception.h"
#include "framework/Utf8.h"
#include "framework/logging/Logger.h"

namespace {

// The source name of a type ("std::bad_alloc"), not the compiler's mangled one.
std::string TypeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return name ? name.get() : type.name();
}

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
        Report(function, Win32xx::Utf8ToWide(e.what()).c_str(), TypeName(typeid(e)));
    } catch (...) {
        Report(function, nullptr, "unknown exception");
    }
    return false;
}
