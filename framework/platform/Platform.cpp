#include "Platform.h"

namespace {
pfPlatform* g_pPlatform = nullptr;
}

pfPlatform& GetPlatform()
{
    return g_pPlatform ? *g_pPlatform : DefaultPlatform();
}

pfPlatform* SetPlatform(pfPlatform* pPlatform)
{
    pfPlatform* pPrevious = g_pPlatform;
    g_pPlatform = pPlatform;
    return pPrevious;
}
