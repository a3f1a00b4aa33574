// text/ holds text in and out: console lines, UTF-8 and UTF-16, untrusted text in messages.
// Whole lines on standard output and standard error; the dialog watcher
// thread prints while the host's thread does.
#pragma once

#include <string>

void PrintLine(const std::string& strLine);
void PrintErrorLine(const std::string& strLine);

// A line on standard error that is redrawn in place, for a terminal: every
// whole line printed meanwhile goes above it. Empty text removes it.
void ShowStatusLine(const std::string& strText);

// Whether standard error is a terminal (and not a file or a pipe).
bool IsErrorTerminal();
