// Where the dialog's windows open, within the work area of the monitor the
// host's window is on (the screen less its task bars): stored positions are
// brought back into it, and the preview without any stored placement is the
// largest square the rule allows there, beside the interface.
#pragma once

struct pfWindowRect {
    int x = 0;
    int y = 0;
    int nWidth = 0;
    int nHeight = 0;
};

// A coordinate before the area's start comes to the start; one beyond its
// end comes back 50 pixels inside it.
void ClampToWorkArea(int& x, int& y, const pfWindowRect& work);

// A stored placement brought back into the work area, its size no larger
// than the area: a window larger than the screen cannot be handled.
pfWindowRect StoredPlacementInWorkArea(pfWindowRect place, const pfWindowRect& work);

// A square two thirds of the work area's width, or the area's height when
// that is less (caption and frame included), centred vertically. It is
// centred horizontally unless that covers the interface; then it goes
// beside the interface, or where it covers it least when there is no room.
pfWindowRect DefaultPreviewPlacement(const pfWindowRect& work, const pfWindowRect& interfaceRect);
