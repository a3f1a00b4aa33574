#include "WindowPosition.h"

namespace {

int ClampCoordinate(int n, int nExtent)
{
    if (n < 0)
        return 0;
    return n > nExtent ? nExtent - 50 : n;
}

} // namespace

void ClampToScreen(int& x, int& y, int nScreenWidth, int nScreenHeight)
{
    x = ClampCoordinate(x, nScreenWidth);
    y = ClampCoordinate(y, nScreenHeight);
}

pfWindowRect DefaultPreviewPlacement(int nScreenWidth, int nScreenHeight)
{
    pfWindowRect rect;
    rect.nWidth = rect.nHeight = int(2.0 / 3.0 * nScreenWidth);
    rect.x = (nScreenWidth - rect.nWidth) / 2;
    rect.y = (nScreenHeight - rect.nHeight) / 2;
    return rect;
}
