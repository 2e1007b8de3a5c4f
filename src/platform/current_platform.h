// The one platform of the process, which the runtime talks to. Kept apart
// from the interface so that the headless platform, which implements the
// interface, can be this module's default without a circle.
#pragma once

#include <memory>

#include "platform/platform.h"

// Until one is installed a headless platform is created on first use.
Platform& CurrentPlatform();
void InstallPlatform(std::unique_ptr<Platform> platform);
