// The angle dials: an angle in degrees (unbounded) shown as whole turns and
// the degrees within the turn, the needle's tip, and the angle a mouse
// position gives while dragging. 0 degrees points up; angles grow clockwise.
#pragma once

// Truncation toward zero by conversion: the runtime's trunc may use the x87
// unit on 32-bit builds.
double Truncated(double f);

struct pfAngleSplit {
    double fTurns = 0.0;   // whole turns, negative below 0 degrees
    double fDegrees = 0.0; // 0 <= degrees < 360
};

// -30 is turns -1 and 330 degrees; 725 is 2 turns and 5 degrees.
pfAngleSplit SplitAngle(double fAngle);

struct pfDialPoint {
    int x = 0;
    int y = 0;
};

// The needle's tip on a dial of radius nRadius centred at (cx, cy).
pfDialPoint DialTip(double fAngle, int cx, int cy, int nRadius);

// The angle the pointer at (dx, dy) from the dial's centre (y grows down)
// gives when the dial showed fCurrent: the turn is kept, and crossing the
// top moves into the next or the previous turn, so 350 dragged clockwise
// past the top gives 370. False at the centre.
bool AngleFromPoint(double fCurrent, double dx, double dy, double& fAngle);
