// Numbers as the dialog's edits and trackbars show them: the default stream
// format (six significant digits, "0.5", "12.3457"), strict parsing of what
// the user typed, and trackbar positions in hundredths.
#pragma once

#include <string>

std::string FormatNumber(double fValue);

// Degrees within a turn, two decimals: "45.00".
std::string FormatDegrees(double fDegrees);

// Whole turns as a signed integer.
std::string FormatTurns(double fTurns);

// A decimal number and nothing else (leading blanks allowed): digits with an
// optional sign, point and exponent. Infinite results, "nan", "inf" and hex
// forms are refused, so no typed text ever stores a non-finite value.
bool ParseNumber(const std::string& strText, double& fValue);

// The trackbar position of a value, in hundredths, truncated and kept
// within the int range (0 for NaN).
int TrackbarPosition(double fValue);
