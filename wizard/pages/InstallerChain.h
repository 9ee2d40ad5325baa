// An installer as the content describes it: downloaded from its address,
// then launched hidden with its parameters once the download matches its
// digest (a text resource beside the address; without it the installer runs
// unchecked).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/CString.h"
#include "resources/ResourceContract.h"
#include "tasks/AbstractTaskBase.h"

class ResourceManager;

class InstallerChain {
public:
    // No address, no parameters, no digest.
    InstallerChain() = default;
    // Reads the installer's resources in the current language now.
    InstallerChain(ResourceManager& resources, const Resource::Installer& installer);

    // A new download and a new launch of what it downloaded, in that order.
    std::vector<std::shared_ptr<AbstractTaskBase>> Tasks() const;

private:
    Win32xx::CString m_address;
    Win32xx::CString m_parameters;
    // The digest text exactly as stored: an empty or malformed one is kept,
    // so that the launch refuses it.
    std::optional<std::string> m_digest;
};
