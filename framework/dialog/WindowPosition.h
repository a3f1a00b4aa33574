// Where the dialog's windows open: stored positions are brought back onto
// the virtual screen, and the preview without any stored placement is a
// centred square two thirds of the screen wide.
#pragma once

struct pfWindowRect {
    int x = 0;
    int y = 0;
    int nWidth = 0;
    int nHeight = 0;
};

// A negative coordinate becomes 0; one beyond the screen's extent comes back
// 50 pixels inside it.
void ClampToScreen(int& x, int& y, int nScreenWidth, int nScreenHeight);

pfWindowRect DefaultPreviewPlacement(int nScreenWidth, int nScreenHeight);
