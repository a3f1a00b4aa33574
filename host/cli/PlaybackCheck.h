// Which entries of a played-back descriptor the plug-in did not take. The
// plug-in may ignore what it cannot use; the host knows what it handed over
// and what the plug-in read and recorded, and tells the user.
#pragma once

#include "host/record/DescriptorSuite.h"

#include <string>
#include <vector>

// One description per entry not taken, such as
//   GAMA integer 2 (the plug-in reads GAMA as a float)
//   BLND integer 9999 (the plug-in kept integer 3)
//   ZZZZ integer 1 (the plug-in does not read ZZZZ)
// reads: the suite's record of the plug-in's reading (GetLastReads);
// pRecorded: what it recorded after the run, or null if nothing.
std::vector<std::string> DescribeUntakenEntries(const pfDescriptor& played, const std::vector<pfEntryRead>& reads,
                                                const pfDescriptor* pRecorded);
