// The framework's exception family. what() names the exception's type (for
// example "Win32xx::CFileException"); the human-readable text is GetText().
#pragma once

#include <windows.h>

#include <exception>

#include "CString.h"

namespace Win32xx {

class CException : public std::exception {
public:
    explicit CException(const CString& text, DWORD error = 0) : m_text(text), m_error(error) {}
    // The exception's own text; null when it carries none.
    const wchar_t* GetText() const noexcept { return m_text.IsEmpty() ? nullptr : m_text.c_str(); }
    // The platform error code that came with the failure, 0 if none.
    DWORD GetError() const noexcept { return m_error; }
    const char* what() const noexcept override { return "Win32xx::CException"; }

private:
    CString m_text;
    DWORD m_error;
};

// A failed platform call.
class CWinException : public CException {
public:
    explicit CWinException(const CString& text, DWORD error = ::GetLastError()) : CException(text, error) {}
    const char* what() const noexcept override { return "Win32xx::CWinException"; }
};

// A resource (GDI object, template, picture) that could not be created.
class CResourceException : public CException {
public:
    using CException::CException;
    const char* what() const noexcept override { return "Win32xx::CResourceException"; }
};

// A file that could not be created, written, flushed or closed.
class CFileException : public CException {
public:
    CFileException(const CString& filePath, const CString& text, DWORD error = ::GetLastError())
        : CException(text, error), m_filePath(filePath) {}
    const CString& GetFilePath() const noexcept { return m_filePath; }
    const char* what() const noexcept override { return "Win32xx::CFileException"; }

private:
    CString m_filePath;
};

// An operation that the framework refuses.
class CNotSupportedException : public CException {
public:
    using CException::CException;
    const char* what() const noexcept override { return "Win32xx::CNotSupportedException"; }
};

// A failure that the program raises for its own reasons.
class CUserException : public CException {
public:
    using CException::CException;
    const char* what() const noexcept override { return "Win32xx::CUserException"; }
};

}  // namespace Win32xx
