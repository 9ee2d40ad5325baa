// The expected SHA-256 digest of an installer: a text resource beside the
// installer's address, in the current language or else the neutral one.
#pragma once

#include <optional>
#include <string>

class ResourceManager;

// The resource's text exactly as stored; nothing when the content gives no
// digest, and the installer then runs unchecked. An empty or malformed text
// is returned as it is, so that the launch refuses it.
std::optional<std::string> InstallerDigest(ResourceManager& resources, int id);
