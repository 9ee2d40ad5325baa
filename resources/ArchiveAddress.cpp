#include "ArchiveAddress.h"

#include "BuildSettings.h"

Win32xx::CString UnscrambleAddress(const wchar_t* scrambled)
{
    Win32xx::CString address(scrambled);
    address.Remove(L'*');
    address.MakeLower();
    return address;
}

Win32xx::CString ResourceArchiveAddress()
{
    return UnscrambleAddress(SETUP_SCRAMBLED_ARCHIVE_URL);
}

Win32xx::CString ConnectivityCheckAddress()
{
    const Win32xx::CString configured(SETUP_CONNECTIVITY_CHECK_URL);
    return configured.IsEmpty() ? ResourceArchiveAddress() : configured;
}
