#include "InstallerChain.h"

#include "resources/ArchiveAddress.h"
#include "resources/ResourceManager.h"
#include "tasks/DownloadTask.h"
#include "tasks/ExecProgramTask.h"

InstallerChain::InstallerChain(ResourceManager& resources, const Resource::Installer& installer)
    : m_address(resources.getText(installer.address).c_str()),  // up to a NUL, as the download reads it
      m_parameters(resources.getText(installer.parameters)),
      m_digest(resources.getRawText(installer.digest))
{
}

std::vector<std::shared_ptr<AbstractTaskBase>> InstallerChain::Tasks() const
{
    auto download = std::make_shared<DownloadTask>(m_address, ConnectivityCheckAddress());
    auto launch = std::make_shared<ExecProgramTask>(download);
    launch->SetParameters(m_parameters);
    launch->SetExpectedDigest(m_digest);
    return {download, launch};
}
