// The real hosts this host can play: what each fills in differently and how
// it calls the plug-in, as their public sources (or the workarounds other
// plug-ins carry for them) show. docs/hosts.md gives the source of each
// point.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class pfColorPicker { Answers, Refuses, KeepsColor };
enum class pfDescriptorShape { Full, Missing, NullTables };
enum class pfFlatLayout { LayerPlanes, NonLayerPlanes };
enum class pfOutputCounts { AsInput, Zero };

struct pfHostProfile {
    std::string strName;
    std::string strHost;       // the application, for the list
    OSType nSignature = 0;
    int nBits = 0;             // 32 or 64 for a host built in one bitness only
    std::size_t nRecordBytes32 = 0; // where the host's record ends; 0: the whole record
    std::size_t nRecordBytes64 = 0;
    bool bSampling = true;     // samplingSupport 1, else 0 and every rate served 1:1
    pfColorPicker colorPicker = pfColorPicker::Answers;
    pfDescriptorShape descriptor = pfDescriptorShape::Full;
    bool bSuiteVersionsZero = false; // handle procedures present, version and count 0
    bool bHostWindow = true;   // platformData names the host's window
    bool bDeliversMask = true; // else haveMask 0 and the host clips to the selection itself
    pfFlatLayout flatLayout = pfFlatLayout::LayerPlanes;
    pfOutputCounts outputCounts = pfOutputCounts::AsInput;
    int32_t nMaxSpace = 0;     // 0: our own budget
    bool bParametersEveryRun = true;
    bool bFinish = true;
    bool bAdvanceAfterFinish = false;
    bool bUnloadBetweenRuns = false; // (Windows) the library is freed after every run
    bool bWorkerThread = false;      // the selectors run on a thread of the host's, not the window's
    bool bWindowTakesInput = true;   // the host's window is shown and takes clicks unless disabled

    std::size_t RecordBytes() const
    {
        const std::size_t nBytes = sizeof(void*) == 4 ? nRecordBytes32 : nRecordBytes64;
        return nBytes ? nBytes : sizeof(FilterRecord);
    }
    bool RunsInThisBitness() const { return nBits == 0 || nBits == int(sizeof(void*) * 8); }
};

const std::vector<pfHostProfile>& HostProfiles();

// Null for a name no profile has.
const pfHostProfile* FindHostProfile(const std::string& strName);

// One line per profile: name, bitness and application.
std::string HostProfileList();
