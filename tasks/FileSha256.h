// The SHA-256 digest of an open file, computed with the platform's CNG.
#pragma once

#include "Sha256Text.h"
#include "framework/File.h"

// Reads `file` from its current position to its end. Raises CFileException
// when reading fails and CWinException when the platform cannot hash.
Sha256Digest Sha256OfFile(Win32xx::CFile& file);
