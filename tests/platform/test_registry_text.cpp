// The registry file's REGEDIT4 text: what the reader accepts, where it
// reports damage, and that whatever the writer makes reads back the same.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_text.h"

using namespace plat;

namespace {

std::vector<std::uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }

const RegValue* valueAt(const RegKeyNode& root, std::vector<std::string_view> path, std::string_view name) {
    const RegKeyNode* key = root.find(path);
    return key ? key->value(name) : nullptr;
}

struct AcceptCase {
    const char* name;
    std::string text;
    std::vector<std::string_view> key;
    std::string value;
    RegValue expected;
};

TEST(RegistryText, AcceptsWhatEditorsAndOlderFilesContain) {
    const std::vector<AcceptCase> cases = {
        {"crlf line ends",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n",
         {"A"},
         "x",
         RegValue::string("1")},
        {"byte order mark",
         "\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n",
         {"A"},
         "x",
         RegValue::string("1")},
        {"comments and blank lines",
         "REGEDIT4\n; note\n\n[HKEY_CURRENT_USER\\A]\n  ; more\n\"x\"=\"1\"\n",
         {"A"},
         "x",
         RegValue::string("1")},
        {"blanks around =", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\" = dword:7\n", {"A"}, "x", RegValue::dword(7)},
        {"hive in lower case", "REGEDIT4\n[hkey_current_user\\A]\n@=\"d\"\n", {"A"}, "", RegValue::string("d")},
        {"upper-case hex",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=HEX:0A,FF\n",
         {"A"},
         "x",
         RegValue{kRegBinary, {0x0A, 0xFF}}},
        {"continued hex list",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex(1):61,\\\n    62,\\\n  00\n",
         {"A"},
         "x",
         RegValue{kRegSz, {'a', 'b', 0}}},
        {"empty hex list", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:\n", {"A"}, "x", RegValue{kRegBinary, {}}},
        {"sections merge",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\a]\n\"y\"=\"2\"\n",
         {"A"},
         "x",
         RegValue::string("1")},
        {"last data wins",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"X\"=\"2\"\n",
         {"A"},
         "x",
         RegValue::string("2")},
        {"escaped name",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\\\\b\\\"c\"=\"1\"\n",
         {"A"},
         "a\\b\"c",
         RegValue::string("1")},
        {"bracket in key name",
         "REGEDIT4\n[HKEY_CURRENT_USER\\A]B]\n\"x\"=\"1\"\n",
         {"A]B"},
         "x",
         RegValue::string("1")},
        {"root values", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"x\"=\"1\"\n", {}, "x", RegValue::string("1")},
    };
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegTextParse p = parseRegText(c.text);
        EXPECT_TRUE(p.ok()) << (p.errors.empty() ? "" : p.errors.front().reason);
        const RegValue* v = valueAt(p.root, c.key, c.value);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(*v, c.expected);
    }
}

struct RejectCase {
    const char* name;
    std::string text;
    std::size_t line;
};

TEST(RegistryText, ReportsTheLineOfEachDamage) {
    const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n";  // the damage is on line 4
    std::string deepPath;
    for (std::size_t i = 0; i <= kRegMaxKeyDepth; ++i) deepPath += "\\k";
    const std::vector<RejectCase> cases = {
        {"wrong header", "REGEDIT5\n[HKEY_CURRENT_USER\\A]\n", 1},
        {"empty file", "", 1},
        {"unicode export header", "Windows Registry Editor Version 5.00\n", 1},
        {"missing closing quote", head + "\"x\"=\"abc\n", 4},
        {"unknown escape", head + "\"x\"=\"C:\\temp\"\n", 4},
        {"text after the string", head + "\"x\"=\"a\" b\n", 4},
        {"missing =", head + "\"x\" \"a\"\n", 4},
        {"dword too long", head + "\"x\"=dword:123456789\n", 4},
        {"dword not hex", head + "\"x\"=dword:12g4\n", 4},
        {"hex byte too wide", head + "\"x\"=hex:100\n", 4},
        {"hex empty item", head + "\"x\"=hex:01,,02\n", 4},
        {"hex trailing comma", head + "\"x\"=hex:01,\n", 4},
        {"hex continues past end", head + "\"x\"=hex:01,\\\n", 4},
        {"hex type unclosed", head + "\"x\"=hex(2:00\n", 4},
        {"unknown data", head + "\"x\"=qword:1\n", 4},
        {"deletion", head + "\"x\"=-\n", 4},
        {"stray text", head + "garbage\n", 4},
        {"control character in name", head + "\"a\tb\"=\"1\"\n", 4},
        {"key deletion", head + "[-HKEY_CURRENT_USER\\A]\n", 4},
        {"other hive", head + "[HKEY_LOCAL_MACHINE\\A]\n", 4},
        {"empty key component", head + "[HKEY_CURRENT_USER\\A\\\\B]\n", 4},
        {"unclosed key line", head + "[HKEY_CURRENT_USER\\B\n", 4},
        {"value before any key", "REGEDIT4\n\n\n\"x\"=\"1\"\n", 4},
        {"key too deep", head + "[HKEY_CURRENT_USER" + deepPath + "]\n", 4},
    };
    for (const RejectCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegTextParse p = parseRegText(c.text);
        ASSERT_FALSE(p.ok());
        ASSERT_FALSE(p.errors.empty());
        EXPECT_EQ(p.errors.front().line, c.line);
        EXPECT_FALSE(p.errors.front().reason.empty());
    }
}

TEST(RegistryText, KeepsTheLinesAroundDamageAndCountsEveryError) {
    RegTextParse p = parseRegText(
        "REGEDIT4\n"
        "[HKEY_CURRENT_USER\\A]\n"
        "\"good\"=\"1\"\n"
        "\"bad\"=dword:zz\n"
        "[HKEY_LOCAL_MACHINE\\B]\n"
        "\"orphan\"=\"2\"\n"
        "[HKEY_CURRENT_USER\\C]\n"
        "\"after\"=\"3\"\n");
    EXPECT_EQ(p.errorCount, 3u);
    ASSERT_EQ(p.errors.size(), 3u);
    EXPECT_EQ(p.errors[0].line, 4u);
    EXPECT_EQ(p.errors[1].line, 5u);
    EXPECT_EQ(p.errors[2].line, 6u);  // a value whose section was refused has no home
    EXPECT_NE(valueAt(p.root, {"A"}, "good"), nullptr);
    EXPECT_EQ(valueAt(p.root, {"A"}, "bad"), nullptr);
    EXPECT_NE(valueAt(p.root, {"C"}, "after"), nullptr);
}

TEST(RegistryText, ReportsOnlySoManyErrorsOfAHugeMess) {
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < 1000; ++i) text += "junk\n";
    RegTextParse p = parseRegText(text);
    EXPECT_EQ(p.errorCount, 1000u);
    EXPECT_EQ(p.errors.size(), RegTextParse::kMaxReported);
}

TEST(RegistryText, WritesTheExpectedText) {
    RegKeyNode root;
    RegKeyNode& yov = root.findOrAdd(std::vector<std::string_view>{"Software", "Vantrel", "Yov"});
    yov.setValue("", RegValue::string("default"));
    yov.setValue("Path", RegValue::string("C:\\Yov \"demo\""));
    yov.setValue("Count", RegValue::dword(0x1234abcd));
    yov.setValue("Lines", RegValue::string("a\nb"));
    std::vector<std::uint8_t> many(30);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<std::uint8_t>(i);
    yov.setValue("Bin", RegValue::binary(many));
    yov.setValue("Odd", RegValue{11, {1, 2}});
    root.findOrAdd(std::vector<std::string_view>{"Software", "Vantrel", "YovB"});
    EXPECT_EQ(formatRegText(root),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Vantrel]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\n"
              "@=\"default\"\n"
              "\"Path\"=\"C:\\\\Yov \\\"demo\\\"\"\n"
              "\"Count\"=dword:1234abcd\n"
              "\"Lines\"=hex(1):61,0a,62,00\n"
              "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
              "  17,18,19,1a,1b,1c,1d\n"
              "\"Odd\"=hex(b):01,02\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Vantrel\\YovB]\n"
              "\n");
}

TEST(RegistryText, WhatIsWrittenReadsBackTheSame) {
    RegKeyNode root;
    root.setValue("at root", RegValue::string("r"));
    RegKeyNode& k = root.findOrAdd(std::vector<std::string_view>{"Software", "K\xC3\xA4se ]["});
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"", RegValue::string("")},
        {"@", RegValue::string("not the default")},
        {"quote\"and\\back=slash", RegValue::string("\"=\\;[x]")},
        {"Z\xC3\xBCrich", RegValue::string("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x9A\x82")},
        {"newline", RegValue::string("a\r\nb\tc\x7F")},
        {"inner zero", RegValue{kRegSz, bytes(std::string_view("a\0b\0", 4))}},
        {"no terminator", RegValue{kRegSz, bytes("ab")}},
        {"empty sz data", RegValue{kRegSz, {}}},
        {"invalid utf8", RegValue::string("\xFF\xC3")},
        {"dword", RegValue::dword(0xFFFFFFFF)},
        {"short dword", RegValue{kRegDword, {1, 2}}},
        {"empty binary", RegValue::binary({})},
        {"none type", RegValue{kRegNone, {9}}},
        {"high type", RegValue{0xFFFFFFFF, {7}}},
    };
    for (const auto& [name, v] : values) k.setValue(name, v);
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    k.setValue("all bytes", RegValue::binary(all));
    k.addChild("empty subkey");

    std::string text = formatRegText(root);
    RegTextParse back = parseRegText(text);
    ASSERT_TRUE(back.ok()) << back.errors.front().line << ": " << back.errors.front().reason;
    EXPECT_EQ(back.root, root);
    EXPECT_EQ(formatRegText(back.root), text);
}

}  // namespace
