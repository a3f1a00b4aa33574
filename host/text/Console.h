// text/ holds text in and out: console lines, UTF-8 and UTF-16, untrusted text in messages.
// Whole lines on standard output and standard error; the dialog watcher
// thread prints while the host's thread does.
#pragma once

#include <string>

void PrintLine(const std::string& strLine);
void PrintErrorLine(const std::string& strLine);
