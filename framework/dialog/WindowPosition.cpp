#include "WindowPosition.h"

#include <algorithm>
#include <cstdlib>

namespace {

int ClampCoordinate(int n, int nStart, int nExtent)
{
    if (n < nStart)
        return nStart;
    return n > nStart + nExtent ? nStart + nExtent - 50 : n;
}

int Overlap(int nStart, int nLength, int nOtherStart, int nOtherLength)
{
    return std::max(std::min(nStart + nLength, nOtherStart + nOtherLength) - std::max(nStart, nOtherStart), 0);
}

// How many of the interface's pixels the window would cover.
int CoveredArea(const pfWindowRect& rect, const pfWindowRect& interfaceRect)
{
    return Overlap(rect.x, rect.nWidth, interfaceRect.x, interfaceRect.nWidth) *
           Overlap(rect.y, rect.nHeight, interfaceRect.y, interfaceRect.nHeight);
}

} // namespace

void ClampToWorkArea(int& x, int& y, const pfWindowRect& work)
{
    x = ClampCoordinate(x, work.x, work.nWidth);
    y = ClampCoordinate(y, work.y, work.nHeight);
}

pfWindowRect StoredPlacementInWorkArea(pfWindowRect place, const pfWindowRect& work)
{
    ClampToWorkArea(place.x, place.y, work);
    place.nWidth = std::min(place.nWidth, work.nWidth);
    place.nHeight = std::min(place.nHeight, work.nHeight);
    return place;
}

pfWindowRect DefaultPreviewPlacement(const pfWindowRect& work, const pfWindowRect& interfaceRect)
{
    pfWindowRect centred;
    centred.nWidth = centred.nHeight = std::min(int(2.0 / 3.0 * work.nWidth), work.nHeight);
    centred.x = work.x + (work.nWidth - centred.nWidth) / 2;
    centred.y = work.y + (work.nHeight - centred.nHeight) / 2;
    const int nSide = centred.nWidth;
    const int nLastX = work.x + work.nWidth - nSide, nLastY = work.y + work.nHeight - nSide;
    // Beside the interface on each side, else the area's corners and edges
    // nearest the centre: whichever covers the least of it, then the
    // nearest to the centre.
    const int xs[] = {centred.x, interfaceRect.x + interfaceRect.nWidth, interfaceRect.x - nSide, work.x, nLastX};
    const int ys[] = {centred.y, interfaceRect.y + interfaceRect.nHeight, interfaceRect.y - nSide, work.y, nLastY};
    pfWindowRect best = centred;
    for (const int x : xs)
        for (const int y : ys) {
            const pfWindowRect rect{x, y, nSide, nSide};
            if (x < work.x || x > nLastX || y < work.y || y > nLastY)
                continue;
            const int nCovered = CoveredArea(rect, interfaceRect), nBestCovered = CoveredArea(best, interfaceRect);
            const auto distance = [&](const pfWindowRect& r) {
                return std::abs(r.x - centred.x) + std::abs(r.y - centred.y);
            };
            if (nCovered < nBestCovered || (nCovered == nBestCovered && distance(rect) < distance(best)))
                best = rect;
        }
    return best;
}
