// Highlighting of scene scripts, position by position: each line of a fixture against a
// row of style letters (. default, c comment, k keyword, b block begin, e block end,
// $ unknown "$" word, w word of the list, s string, m macro, q conditional).
#include <gtest/gtest.h>

#include <string>

#include "program/scene/script_lexer.h"

namespace {

using yov::ScriptStyle;

std::string letters(const std::vector<ScriptStyle>& styles) {
    static const char kLetter[] = ".ckbe$wsmq";
    std::string out;
    for (ScriptStyle s : styles) out += kLetter[static_cast<int>(s)];
    return out;
}

struct LineCase {
    const char16_t* line;
    bool continued;
    const char* styles;
};

TEST(ScriptLexer, EveryConstructOfTheLanguage) {
    const LineCase cases[] = {
        {u"; a comment line", false, "cccccccccccccccc"},
        {u"  # indented comment", false, "..cccccccccccccccccc"},
        {u"$SECTION N=2;SEQ=R", false,
         "bbbbbbbb........."
         "."},
        {u"$sect DY=40", false, "bbbbb.ww..."},
        {u"$ES", false, "eee"},
        {u"$ENDPOOL", false, "eeeeeeee"},
        {u"$SPEED 5", false, "kkkkkk.."},
        {u"$FLY high", false, "$$$$....."},
        {u"$INFO a stop at the station", false, "kkkkk......................"},  // plain text
        {u"M=SIMPLE;C=E40;V=9", false, "..wwwwww.w.....w.."},
        {u"TX=\"a;b\" /* note */ X=3", false, "ww.sssss.cccccccccc.w.."},
        {u"%DEF(TRAIN=C=E40) %TRAIN; %T2(1,2)", false, "mmmmmmmmmmmmmmmmm.mmmmmmm.mmmmmmmm"},
        {u"{NIGHT?M=STOP?M=SIMPLE}", false, "qqqqqqq..wwwwq..wwwwwwq"},
        {u"C=E40,6*WAGON;\\", false, "w.............."},
        {u"; continued, not a comment", true, ".................w........"},  // "A" is a word
        {u"", false, ""},
    };
    for (const LineCase& c : cases) {
        const std::u16string line(c.line);
        EXPECT_EQ(letters(yov::StyleScriptLine(line, c.continued)), c.styles) << std::string(line.begin(), line.end());
    }
}

TEST(ScriptLexer, ContinuationsAndLineEndsOverAWholeText) {
    EXPECT_TRUE(yov::ContinuesOnNextLine(u"M=SIMPLE;\\"));
    EXPECT_TRUE(yov::ContinuesOnNextLine(u"M=SIMPLE;\\  \r"));
    EXPECT_FALSE(yov::ContinuesOnNextLine(u"M=SIMPLE;"));
    EXPECT_FALSE(yov::ContinuesOnNextLine(u""));
    const std::u16string text = u"$SECTION\r\nV=9;\\\n; V=3\r\n;x";
    EXPECT_EQ(letters(yov::StyleScript(text)),
              "bbbbbbbb..w....."
              "..w.."
              ".."
              "cc");
}

}  // namespace
