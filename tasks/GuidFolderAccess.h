// Who may do what in a GUID folder. The program runs elevated, but the
// temporary folder belongs to the user, and any unelevated process of the
// user may change what lies in it: replace resources.db before it is opened,
// an installer before it starts, or a folder by a junction. A GUID folder
// therefore keeps nothing of the temporary folder's access list and passes
// its own on to everything made in it.
#pragma once

#include <string>

#include "framework/LocalMemory.h"

// The folder's descriptor in SDDL, for the user whose SID (as text) is
// `userSid`: owned by Administrators, so that the user cannot rewrite the
// list as its owner; a protected list (nothing inherited) that passes each
// entry on to files and folders (OICI): full control for SYSTEM and for
// Administrators, read and execute (0x1200a9) for the user, and the same for
// whoever owns an object (OWNER RIGHTS, OW): what is made inside takes the
// creator's default owner, which a policy can make the user, and an owner's
// implicit right to rewrite the list gives way to an OW entry. A process of
// the user that is not elevated is none of the first two: it can read the
// files, and neither write, rename, delete, add nor change a permission.
std::wstring GuidFolderSddl(const std::wstring& userSid);

// The descriptor of GuidFolderSddl for the user this process runs as; empty
// when the platform cannot tell the user or build it.
Win32xx::CLocalMemory<void> GuidFolderDescriptor();
