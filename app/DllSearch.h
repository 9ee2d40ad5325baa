// Where the process looks for the DLLs that it loads by name.
#pragma once

// Makes every later load of a DLL by name search System32 only, never the
// program's own folder (usually Downloads, where anyone's files may lie
// beside the program) nor the current folder. Uses only kernel32, which
// the loader has mapped before any of the program's code runs.
// Returns false when the system cannot restrict the search (Windows Vista,
// or Windows 7 without its loader update); then at least the current folder
// is taken out of the search.
bool RestrictDllSearchToSystem32() noexcept;
