// What some hosts are known by their signature to do differently.
#pragma once

#include "HostInterface.h"

// Hosts that show the user nothing for an error code the plug-in returns:
// for them a failed run would look as if nothing happened.
bool HostIgnoresErrors(const FilterRecord& record);

// The host asked to play back without any user interface.
bool HostWantsSilence(const FilterRecord& record);
