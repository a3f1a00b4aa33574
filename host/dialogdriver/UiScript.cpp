#include "UiScript.h"

#include "UiKeys.h"

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Argument kinds: W a window, I an integer, T a text, B left or right,
// M a mouse action, S a window state, K a key (UiKeys.h); '*' repeats the kind before it
// (at least once), '?' makes a trailing integer optional.
const std::map<std::string, std::string>& Grammar()
{
    static const std::map<std::string, std::string> grammar = {
        {"wait", ""},        {"set", "WIT"},      {"type", "WIT"},   {"focus", "WI"},   {"click", "WI"},   {"key", "WK"},
        {"select", "WIT"},   {"slide", "WII*"},   {"mouse", "WMII"}, {"drag", "WBIIII?"}, {"move", "WII"},
        {"resize", "WII"},   {"show", "WS"},      {"close", "W"},    {"read", "WI"},    {"state", "WI"},
        {"items", "WI"},     {"caption", "W"},    {"place", "W"},      {"rect", "WI"},     {"texts", "W"},    {"capture", "WT"}, {"capture-client", "WT"},
        {"answer", "WT"},    {"ok", ""},          {"cancel", ""},    {"sleep", "I"},    {"timeout", "I"},
        {"delivery", ""},    {"click-host", ""},
    };
    return grammar;
}

bool IsInteger(const std::string& strToken)
{
    std::size_t i = strToken[0] == '-' ? 1 : 0;
    if (i >= strToken.size() || strToken.size() - i > 9)
        return false;
    for (; i < strToken.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(strToken[i])))
            return false;
    return true;
}

bool Fits(char cKind, const std::string& strToken, bool bQuoted, std::string& strExpected)
{
    switch (cKind) {
    case 'W':
        strExpected = "a window (interface, preview or a \"caption\")";
        return bQuoted || strToken == "interface" || strToken == "preview";
    case 'I':
        strExpected = "a whole number";
        return !bQuoted && IsInteger(strToken);
    case 'B':
        strExpected = "left or right";
        return strToken == "left" || strToken == "right";
    case 'M':
        strExpected = "move, ldown, lup, rdown or rup";
        return strToken == "move" || strToken == "ldown" || strToken == "lup" || strToken == "rdown" ||
               strToken == "rup";
    case 'K': {
        pfUiKey key;
        strExpected = "a key such as Tab, Shift+Tab, Enter, Escape, Space or PageDown";
        return !bQuoted && ParseUiKey(strToken, key);
    }
    case 'S':
        strExpected = "normal, maximized or minimized";
        return strToken == "normal" || strToken == "maximized" || strToken == "minimized";
    default:
        strExpected = "a text";
        return true;
    }
}

struct Token {
    std::string strText;
    bool bQuoted = false;
};

bool Tokenize(const std::string& strLine, std::vector<Token>& tokens, std::string& strError)
{
    std::size_t i = 0;
    while (i < strLine.size()) {
        const char c = strLine[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token token{"", true};
            for (++i; i < strLine.size() && strLine[i] != '"'; ++i) {
                // Only \" and \\ are escapes: Windows paths keep their backslashes.
                if (strLine[i] == '\\' && i + 1 < strLine.size() && (strLine[i + 1] == '"' || strLine[i + 1] == '\\'))
                    ++i;
                token.strText += strLine[i];
            }
            if (i >= strLine.size()) {
                strError = "a quoted text is not closed";
                return false;
            }
            ++i;
            tokens.push_back(token);
        } else {
            Token token;
            while (i < strLine.size() && !std::isspace(static_cast<unsigned char>(strLine[i])) && strLine[i] != '#')
                token.strText += strLine[i++];
            tokens.push_back(token);
        }
    }
    return true;
}

bool CheckArguments(const std::string& strPattern, const std::vector<Token>& tokens, std::string& strError)
{
    std::size_t nArg = 1;
    for (std::size_t k = 0; k < strPattern.size(); ++k) {
        const char cKind = strPattern[k];
        if (cKind == '*') {
            for (std::string strExpected; nArg < tokens.size(); ++nArg)
                if (!Fits(strPattern[k - 1], tokens[nArg].strText, tokens[nArg].bQuoted, strExpected)) {
                    strError = "argument " + std::to_string(nArg) + " should be " + strExpected;
                    return false;
                }
            continue;
        }
        if (cKind == '?') {
            std::string strExpected;
            if (nArg < tokens.size() && !Fits('I', tokens[nArg].strText, tokens[nArg].bQuoted, strExpected)) {
                strError = "argument " + std::to_string(nArg) + " should be " + strExpected;
                return false;
            }
            nArg += nArg < tokens.size() ? 1 : 0;
            continue;
        }
        std::string strExpected;
        if (nArg >= tokens.size()) {
            strError = "missing argument " + std::to_string(nArg);
            return false;
        }
        if (!Fits(cKind, tokens[nArg].strText, tokens[nArg].bQuoted, strExpected)) {
            strError = "argument " + std::to_string(nArg) + " should be " + strExpected;
            return false;
        }
        ++nArg;
    }
    if (nArg < tokens.size()) {
        strError = "too many arguments";
        return false;
    }
    return true;
}

} // namespace

bool ParseUiScript(const std::string& strText, std::vector<pfUiStep>& steps, std::string& strError)
{
    std::istringstream lines(strText);
    std::string strLine;
    for (int nLine = 1; std::getline(lines, strLine); ++nLine) {
        std::vector<Token> tokens;
        std::string strProblem;
        if (!Tokenize(strLine, tokens, strProblem)) {
            strError = "line " + std::to_string(nLine) + ": " + strProblem;
            return false;
        }
        if (tokens.empty())
            continue;
        const auto itVerb = Grammar().find(tokens[0].strText);
        if (tokens[0].bQuoted || itVerb == Grammar().end()) {
            strError = "line " + std::to_string(nLine) + ": unknown step '" + tokens[0].strText.substr(0, 40) +
                       "' (see --help)";
            return false;
        }
        if (!CheckArguments(itVerb->second, tokens, strProblem)) {
            strError = "line " + std::to_string(nLine) + ": " + itVerb->first + ": " + strProblem;
            return false;
        }
        pfUiStep step;
        step.nLine = nLine;
        step.strVerb = itVerb->first;
        for (std::size_t i = 1; i < tokens.size(); ++i)
            step.args.push_back(tokens[i].strText);
        steps.push_back(step);
    }
    return true;
}

bool LoadUiScript(const std::string& strPath, std::vector<pfUiStep>& steps, std::string& strError)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        strError = "cannot read the dialog script " + strPath;
        return false;
    }
    if (!ParseUiScript(text.str(), steps, strError)) {
        strError = strPath + ", " + strError;
        return false;
    }
    return true;
}

std::string UiScriptHelp()
{
    return R"(Dialog scripts (--ui-script FILE, Windows host): one step per line, '#'
starts a comment, texts with spaces in double quotes. WINDOW is interface,
preview or the "caption" of another window (a message box, "save as", ...);
ID is a control id; X Y are client coordinates. Every step waits up to the
step timeout for its window and fails with its line number otherwise.
  wait                   until the preview is painted and no render is pending;
                         prints "wait MS" (milliseconds since the last action,
                         before any: since the plug-in was asked to start);
                         the next step comes once both windows have painted
  delivery               prints "delivery MS": the milliseconds our host spent
                         delivering image data since the plug-in started
  set WINDOW ID TEXT     focus an edit and replace its text (one change)
  type WINDOW ID TEXT    focus an edit, select its text and type TEXT key by key
  focus WINDOW ID        give a control the keyboard focus
  click WINDOW ID        press a button or check box
  click-host             click the host's window (host profiles that take
                         input): prints "click-host delivered", or
                         "click-host refused: ..." while it is disabled
  key WINDOW KEY         press and release a key through the input queue, the
                         window brought to the front first: Tab, Enter,
                         Escape, Space, PageUp, PageDown, Home, End, Up, Down,
                         Left, Right, a letter or digit, each optionally
                         after Shift+ or Ctrl+ (Shift+Tab); waits until the
                         dialog has handled it
  select WINDOW ID ITEM  choose a list entry by position (1 = first) or "text"
  slide WINDOW ID POS... drag a trackbar's thumb through the positions, release
  mouse WINDOW ACTION X Y  move, ldown, lup, rdown or rup at X Y
  drag WINDOW left|right X0 Y0 X1 Y1 [STEPS]  press, move, release
  move WINDOW X Y        move a window (screen coordinates)
  resize WINDOW W H      give a window a new outer size
  show WINDOW normal|maximized|minimized
  close WINDOW           the close box (system menu Close)
  read WINDOW ID         prints: read WINDOW ID "TEXT" (a trackbar: its position)
  state WINDOW ID        prints: state WINDOW ID enabled|disabled visible|hidden
                         checked|unchecked|-
  items WINDOW ID        prints: items WINDOW ID "ENTRY" ... (a list's entries)
  caption WINDOW         prints: caption WINDOW "TEXT"
  texts WINDOW           prints: texts WINDOW "TEXT" ... (its visible static
                         texts, such as a message box's message)
  place WINDOW           prints: place WINDOW X Y W H (screen rectangle)
  rect WINDOW ID         prints: rect WINDOW ID X Y W H (a control's rectangle in
                         the window's client coordinates)
  capture WINDOW FILE.png         the window as seen on the screen
  capture-client WINDOW FILE.png  its client area only
  answer WINDOW BUTTON   press a button of a (modal) window by id or its text
  ok | cancel            press OK or Cancel of the interface and wait until its
                         windows close; later steps wait for the next dialog
                         (--runs). After a failed step every dialog is cancelled
  sleep MS | timeout SECONDS (per step; default 30)
)";
}
