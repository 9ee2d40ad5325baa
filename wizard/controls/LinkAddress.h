// Which link addresses the program hands to the shell.
#pragma once

// True for an address with the scheme "http://", "https://" or "mailto:" (in
// any letter case). The process runs elevated and the shell's "open" starts
// whatever it is given: a "file:" address or a program path would run as
// administrator on a click.
bool IsOpenableLinkAddress(const wchar_t* address);
