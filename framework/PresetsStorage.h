// Whole-file access for the presets file: reading it in one piece and
// replacing it in one step, so a failed write never leaves it cut short.
#pragma once

#include <string>

enum class pfFileRead { Ok, Missing, Failed };

// Reads the file's bytes unchanged. Missing: it does not exist; Failed: it
// exists but cannot be read (no permission, a folder, a read error).
pfFileRead ReadWholeFile(const std::string& strPath, std::string& strText);

// Writes strText completely to strPath + "tmp" and then moves that file over
// strPath. Any failure removes the temporary file, leaves strPath as it was
// and returns false.
bool ReplaceWholeFile(const std::string& strPath, const std::string& strText);

// Text as the platform's text mode writes it: line ends become CR LF on
// Windows. Copied parts of an existing file are not passed through this, so
// they keep their bytes.
std::string TextModeLines(const std::string& strText);
