// Dialog scripts: plain-text steps that drive a plug-in's dialog, one step
// per line, '#' to the end of a line is a comment, texts with spaces in
// double quotes (\" and \\ inside them; other backslashes stay). A window is "interface" (the
// plug-in's parameter dialog), "preview" (its preview window) or the quoted
// caption of any other window of the host, such as a message box. The
// steps are listed in UiScriptHelp(); the whole file is checked before the
// first step runs, and a mistake is reported with its line number.
#pragma once

#include <string>
#include <vector>

struct pfUiStep {
    int nLine = 0;
    std::string strVerb;
    std::vector<std::string> args;

    int Int(std::size_t nIndex) const { return std::stoi(args[nIndex]); }
};

// False with "line N: ..." for the first malformed line.
bool ParseUiScript(const std::string& strText, std::vector<pfUiStep>& steps, std::string& strError);
bool LoadUiScript(const std::string& strPath, std::vector<pfUiStep>& steps, std::string& strError);

std::string UiScriptHelp();
