// How many planes the host's buffers interleave. Input holds every plane the
// record counts; output may hold fewer (a host that protects transparency
// takes colour only back), and a host that leaves the output counts at 0
// means the input's.
#pragma once

#include "HostInterface.h"

int InputPlaneCount(const FilterRecord& record);
int OutputPlaneCount(const FilterRecord& record);
