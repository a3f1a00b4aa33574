#include "SwatchGrey.h"

bool ToSwatchGrey(double& fRed, double& fGreen, double& fBlue)
{
    if (fRed == fGreen && fGreen == fBlue)
        return false;
    fRed = fGreen = fBlue = 0.292687786 * fRed + 0.552149646 * fGreen + 0.155162568 * fBlue;
    return true;
}
