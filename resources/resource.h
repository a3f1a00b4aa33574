// Identifiers of the plug-in's resources, shared by the resource script and
// the code that loads them. Plain defines because the resource compiler
// reads this file too.
#pragma once

#define IDR_PIPL 16000
#define IDD_ABOUT 111
#define IDI_CORVANE 114
#define IDC_PICK 102
