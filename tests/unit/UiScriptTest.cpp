// Dialog scripts: steps, quoting and line-numbered mistakes.
#include "host/dialogdriver/UiScript.h"

#include <gtest/gtest.h>

TEST(UiScript, StepsKeepTheirLineAndArguments)
{
    std::vector<pfUiStep> steps;
    std::string strError;
    ASSERT_TRUE(ParseUiScript("# a comment\n\nset interface 1013 \"0.5 \\\"x\\\"\"\n"
                              "capture preview \"Z:\\tmp\\p.png\"  # trailing comment\n"
                              "slide interface 1011 10 20 30\ndrag preview right 1 2 3 4\n"
                              "key interface shift+TAB\nok\n",
                              steps, strError))
        << strError;
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[0].nLine, 3);
    EXPECT_EQ(steps[0].args, (std::vector<std::string>{"interface", "1013", "0.5 \"x\""}));
    EXPECT_EQ(steps[1].args[1], "Z:\\tmp\\p.png") << "backslashes of a path stay";
    EXPECT_EQ(steps[2].args.size(), 5u);
    EXPECT_EQ(steps[4].args[1], "shift+TAB");
    EXPECT_EQ(steps[5].strVerb, "ok");
}

TEST(UiScript, MistakesNameTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"wait\nclik interface 1", "line 2: unknown step 'clik'"},
        {"set interface abc \"x\"", "line 1: set: argument 2 should be a whole number"},
        {"click window 1", "line 1: click: argument 1 should be a window"},
        {"slide interface 1011", "line 1: slide: missing argument 3"},
        {"ok now", "line 1: ok: too many arguments"},
        {"read interface 1 \"open", "line 1: a quoted text is not closed"},
        {"drag preview up 1 2 3 4", "line 1: drag: argument 2 should be left or right"},
        {"key interface Shift+Tabs", "line 1: key: argument 2 should be a key"},
    };
    for (const auto& [strScript, strMessage] : cases) {
        std::vector<pfUiStep> steps;
        std::string strError;
        EXPECT_FALSE(ParseUiScript(strScript, steps, strError)) << strScript;
        EXPECT_EQ(strError.rfind(strMessage, 0), 0u) << strError;
    }
}
