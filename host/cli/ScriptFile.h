// Recorded script values as a text file, one descriptor entry per line:
//
//     # Corvane II, soft dots
//     COL1 float 0.5
//     GAMA float 1.5
//     BLND integer 3
//     ANTI boolean true
//
// KEY is the four-character key (or 0x followed by eight hex digits for keys
// that are not printable or start with '#'), TYPE is integer, float or
// boolean, VALUE a decimal integer, a finite decimal number, or true/false.
// Blank lines and lines starting with '#' are ignored, and so is a '#' word
// after the value. Entries keep their order; a key may appear only once.
//
// The host records with --record FILE: after the start call, the descriptor
// the plug-in stored is saved with SaveScriptFile. It plays back with
// --play FILE --play-option display|dont-display|silent: LoadScriptFile
// reads the file, and pfDescriptorParameters (DescriptorSuite.h) hands the
// entries to the plug-in with that play option.
#pragma once

#include "host/record/DescriptorSuite.h"

#include <string>

// False with a message naming the line and the problem; descriptor is then
// left unchanged.
bool ParseScriptText(const std::string& strText, pfDescriptor& descriptor, std::string& strError);

// The text of a descriptor; floats are written with the fewest digits that
// read back to the same value.
std::string FormatScriptText(const pfDescriptor& descriptor);

bool LoadScriptFile(const std::string& strPath, pfDescriptor& descriptor, std::string& strError);
bool SaveScriptFile(const std::string& strPath, const pfDescriptor& descriptor, std::string& strError);

// "display" (plugInDialogDisplay), "dont-display" (plugInDialogDontDisplay)
// or "silent" (plugInDialogSilent); false for anything else.
bool ParsePlayOption(const std::string& strOption, int16_t& nPlayInfo);
