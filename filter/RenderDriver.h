// Turns one Render call into pixels: reads the pixel format the host
// describes, builds views on its buffers and runs the matching variant.
#pragma once

#include "RenderSnapshot.h"

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>

class pfFilterCorvane;

struct pfRenderFormat {
    int32_t nDepth = 0;
    int32_t nColorChannels = 0;
    bool bAlpha = false;
    int32_t nTotalPlanes = 0;
    // The planes the host takes back: colour first, the transparency only
    // when it is among them.
    int32_t nOutputPlanes = 0;
    int32_t nAlphaIndex = 0;
    // Grey, RGB and multichannel images are rendered; other modes are left
    // as they are.
    bool bSupportedMode = false;
};

pfRenderFormat DecideRenderFormat(const FilterRecord& record);

int16_t SelectRenderTemplate(pfFilterCorvane& filter, FilterRecord* pFilterRecord);
int16_t SelectRenderTemplate(const pfRenderSnapshot& snapshot, FilterRecord* pFilterRecord);
