// The system DLLs that the resource bootstrap needs, loaded ahead of it.
//
// The bootstrap's download worker needs WinINet (and what WinINet imports:
// ws2_32, mpr, shlwapi, shell32) for its connectivity check, then urlmon
// (with oleaut32) for the download; the archive's signature check needs
// bcrypt; the dialog's hidden browser needs ieframe. Loaded where they are
// first used, each is mapped, relocated and initialised on the bootstrap's
// critical path, under the process loader's lock, so that the download
// worker and the user-interface thread also wait for each other's loads:
// about 10 ms of the bootstrap under Wine.
#pragma once

// Starts a thread that loads those DLLs from System32 and ends; returns at
// once. Call it once the user-interface thread has loaded what its first
// window needs (the common controls), so that the two do not meet on the
// loader's lock before that window. The DLLs stay loaded for the process's
// life, as the delay-load stubs would keep them anyway; one that cannot be
// loaded here is loaded where it is used, as without this.
void StartLoadingBootstrapDlls() noexcept;
