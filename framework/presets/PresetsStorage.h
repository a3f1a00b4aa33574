// presets/ holds the presets file: its tokens, its records and its safe replacement.
// Whole-file access for the presets file: reading it in one piece and
// replacing it in one step, so a failed write never leaves it cut short.
#pragma once

#include <string>

enum class pfFileRead { Ok, Missing, Failed };

// Reads the file's bytes unchanged. Missing: it does not exist; Failed: it
// exists but cannot be read (no permission, a folder, a read error).
pfFileRead ReadWholeFile(const std::string& strPath, std::string& strText);

// Writes strText completely to a new file beside strPath (its name with
// "tmp" appended), forces it onto the disk, gives it the old file's mode and
// moves it over strPath, so that whatever fails or however the machine
// stops, strPath holds the old text or the new one. Where strPath is a
// symbolic link, the file it leads to is replaced. Any failure removes the
// temporary file, leaves strPath as it was and returns false; so does a
// read-only presets file.
bool ReplaceWholeFile(const std::string& strPath, const std::string& strText);

// Text as the platform's text mode writes it: line ends become CR LF on
// Windows. Copied parts of an existing file are not passed through this, so
// they keep their bytes.
std::string TextModeLines(const std::string& strText);
