// The bundled demo scene (data/demo, written by tools/make_demo.py) read with the
// engine's own readers: the stock through LoadStockAscii, the scene script through the
// timetable reader and every picture through the GIF decoder. Beyond reading without
// error, what the files name must exist and fit: a door or pantograph outside its
// vehicle, a vehicle name the stock lacks or a misspelt keyword would only show up as
// a broken show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"
#include "stock_fixture.h"
#include "tt_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Demo(const std::string& name) { return std::string(YOV_DEMO_DATA) + "/" + name; }

std::string Narrow(std::u16string_view u) {
    std::string s;
    for (char16_t c : u) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// Splits at the delimiter where no bracket or parenthesis is open.
std::vector<std::string> SplitTop(const std::string& s, char delimiter) {
    std::vector<std::string> parts;
    std::string part;
    int depth = 0;
    for (char c : s) {
        if (c == '(' || c == '[') ++depth;
        if (c == ')' || c == ']') --depth;
        if (c == delimiter && depth == 0) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// "NAME=value" items of a ";" list, names upper-cased; a name alone has the value "".
std::map<std::string, std::string> Params(const std::string& text) {
    std::map<std::string, std::string> p;
    for (const std::string& item : SplitTop(text, ';')) {
        const size_t eq = item.find('=');
        const std::string name = Upper(Trim(item.substr(0, eq)));
        if (!name.empty()) p.emplace(name, eq == std::string::npos ? "" : Trim(item.substr(eq + 1)));
    }
    return p;
}

struct Picture {
    int32_t result = 0;
    int width = 0, height = 0;
    bool transparent = false;
    uint8_t transparentIndex = 0;
    uint8_t flags = 0;
    std::vector<uint32_t> palette;   // 0xRRGGBB
    std::vector<uint8_t> bottomRow;  // palette indices of the last row
};

Picture Decode(const std::string& path) {
    Picture p;
    p.result = lvk::LoadGifPicture(path.c_str());
    if (p.result != 0) return p;
    const lvk::CurrentPicture& cur = lvk::CurPic();
    p.width = cur.Header.Width;
    p.height = cur.Header.Height;
    p.flags = cur.Header.Flags;
    p.transparent = (cur.Header.Flags & lvk::kPicTransparent) != 0;
    p.transparentIndex = cur.Header.TransparentIndex;
    for (int i = 0; i < cur.Palette.Count; ++i) {
        const lvk::PaletteEntry& e = cur.Palette.Entries[i];
        p.palette.push_back(static_cast<uint32_t>(e.Red) << 16 | static_cast<uint32_t>(e.Green) << 8 | e.Blue);
    }
    const uint8_t* bottom = cur.Row(p.height - 1);
    p.bottomRow.assign(bottom, bottom + p.width);
    return p;
}

// One bracketed item of a picture description: the key, and its value either as named
// parameters (when it holds "=") or as a comma list.
struct Item {
    std::string key;
    std::map<std::string, std::string> named;
    std::vector<std::string> positional;
    int Number(const std::string& name, size_t position) const {
        if (!named.empty()) return named.count(name) ? std::stoi(named.at(name)) : -99999;
        return position < positional.size() ? std::stoi(positional[position]) : -99999;
    }
};

std::vector<Item> Items(const std::string& description) {
    std::vector<Item> items;
    size_t at = 0;
    while ((at = description.find('[', at)) != std::string::npos) {
        const size_t end = description.find(']', at);
        if (end == std::string::npos) break;
        const std::string text = description.substr(at + 1, end - at - 1);
        const size_t colon = text.find(':');
        Item item;
        item.key = Upper(Trim(text.substr(0, colon)));
        const std::string value = colon == std::string::npos ? "" : text.substr(colon + 1);
        if (value.find('=') != std::string::npos)
            item.named = Params(value);
        else
            for (const std::string& v : SplitTop(value, ',')) item.positional.push_back(Trim(v));
        items.push_back(item);
        at = end + 1;
    }
    return items;
}

// The stock and the script read together, as the show reads them.
class DemoData : public stock_test::StockFixture {
protected:
    void SetUp() override {
        StockFixture::SetUp();
        ASSERT_EQ(LoadText(Demo("demo.stk")), 1);
        for (int32_t i = 1; i <= shared_.StockCount; ++i) entries_[Narrow(a_.Stock[i].Name)] = i;
    }
    void TearDown() override {
        FinishTtRead();
        StockFixture::TearDown();
    }

    // The script's logical lines, with the reader options given.
    tt_test::ReadResult ReadScript(const std::map<std::string, int32_t>& options = {}) {
        InitTtRead();
        for (const auto& [name, value] : options) {
            tt_test::LvText n(tt_test::U(name));
            EXPECT_EQ(SetTtOption(n.get(), value), 0);
        }
        EXPECT_EQ(OpenTtFile(Demo("demo.ttt").c_str(), 0, nullptr), 0);
        return tt_test::ReadAll(10000);
    }

    const StockEntry* Entry(const std::string& name) const {
        auto it = entries_.find(name);
        return it == entries_.end() ? nullptr : &a_.Stock[it->second];
    }
    std::string PicturePath(const StockEntry& e) const {
        std::string folder = Narrow(a_.StockFiles[e.FileIndex].Path);
        std::replace(folder.begin(), folder.end(), '\\', '/');
        return folder + "/" + Narrow(e.Text2);
    }
    Picture EntryPicture(const std::string& name) const {
        const StockEntry* e = Entry(name);
        if (e != nullptr) return Decode(PicturePath(*e));
        Picture none;
        none.result = -1;
        return none;
    }
    bool IsVehicle(int32_t index) const {
        // The categories of rolling stock come first; the moving parts last.
        for (int32_t c = 1; c <= shared_.CategoryCount; ++c)
            if (a_.Categories[c].Key == u"PARTS") return index < a_.Categories[c].FirstEntry;
        return true;
    }

    std::map<std::string, int32_t> entries_;
};

TEST_F(DemoData, StockLoadsWithEveryEntryDrawnAndDescribed) {
    EXPECT_EQ(shared_.PictureHeight, 60);
    ASSERT_EQ(shared_.AuthorCount, 1);
    EXPECT_EQ(a_.Authors[1].Key, u"YOV");
    EXPECT_EQ(shared_.CategoryCount, 5);
    EXPECT_GE(shared_.StockCount, 14);
    EXPECT_GE(shared_.DescKeyCount, 7 + 5);
    for (int32_t i = 1; i <= shared_.StockCount; ++i) {
        const StockEntry& e = a_.Stock[i];
        SCOPED_TRACE(Narrow(e.Name));
        EXPECT_EQ(e.Author, 1);
        EXPECT_NE(std::u16string(u" RYBGKWLOCN").find(e.TypeLetter), std::u16string::npos);
        EXPECT_NE(std::u16string(u" RESATFOPMHB1").find(e.WayLetter), std::u16string::npos);
        ASSERT_GE(e.DescNumber, 1);
        EXPECT_NE(a_.DescTexts[e.DescNumber].find(u"%%\r"), std::u16string::npos);
        ASSERT_GE(e.FileIndex, 1);
        ASSERT_LE(e.FileIndex, shared_.StockFileCount);
        EXPECT_EQ(a_.StockFiles[e.FileIndex].Kind, 1);  // GIF pictures beside the stock file
        const Picture p = Decode(PicturePath(e));
        ASSERT_EQ(p.result, 0) << PicturePath(e);
        EXPECT_LE(p.height, shared_.PictureHeight);
        if (IsVehicle(i)) {
            // Drawn through its transparent colour, standing on the rail with its wheels.
            EXPECT_TRUE(p.transparent);
            EXPECT_TRUE(std::any_of(p.bottomRow.begin(), p.bottomRow.end(),
                                    [&](uint8_t c) { return c != p.transparentIndex; }));
        }
    }
}

TEST_F(DemoData, MovingPartsLieInsideTheirVehicles) {
    int pantographs = 0, doors = 0, plates = 0;
    for (int32_t i = 1; i <= shared_.StockCount; ++i) {
        const StockEntry& e = a_.Stock[i];
        SCOPED_TRACE(Narrow(e.Name));
        const Picture v = Decode(PicturePath(e));
        ASSERT_EQ(v.result, 0);
        auto inside = [&](int x, int y, int w, int h) {
            EXPECT_TRUE(x >= 0 && y >= 0 && w > 0 && h > 0 && x + w <= v.width && y + h <= v.height)
                << x << "," << y << " " << w << "x" << h << " in " << v.width << "x" << v.height;
        };
        for (const Item& item : Items(Narrow(e.Text3))) {
            SCOPED_TRACE(item.key);
            if (item.key == "ET") {
                ASSERT_EQ(item.positional.size(), 3u);
                const StockEntry* panto = Entry(item.positional[0]);
                ASSERT_NE(panto, nullptr);
                const std::vector<Item> sections = Items(Narrow(panto->Text3));
                auto layout =
                    std::find_if(sections.begin(), sections.end(), [](const Item& s) { return s.key == "PAN"; });
                ASSERT_NE(layout, sections.end());
                const int w = layout->Number("W", 0), h = layout->Number("H", 1);
                const int n = layout->Number("N", 5), step = layout->Number("SX", 6);
                const Picture sheet = Decode(PicturePath(*panto));
                EXPECT_TRUE(sheet.transparent);
                EXPECT_GE(sheet.width, (n - 1) * step + w);
                EXPECT_GE(sheet.height, h);
                inside(item.Number("X", 1), item.Number("Y", 2), w, h);
                ++pantographs;
            } else if (item.key == "DID" || item.key == "DOD") {
                const Picture door = EntryPicture(item.named.at("C"));
                ASSERT_EQ(door.result, 0);
                inside(item.Number("X", 0), item.Number("Y", 0), door.width, door.height);
                EXPECT_GT(item.Number("N", 0), 1);
                ++doors;
            } else if (item.key == "FL") {
                inside(item.Number("X", 0), item.Number("Y", 0), item.Number("W", 0), item.Number("H", 0));
            } else if (item.key == "BC") {
                ASSERT_EQ(item.positional.size(), 6u);
                inside(item.Number("X", 2), item.Number("Y", 3), item.Number("W", 4), item.Number("H", 5));
            } else if (item.key == "C") {
                // The old colour is in the picture, the new one is not: the change shows.
                ASSERT_EQ(item.positional.size(), 2u);
                const uint32_t from = std::stoul(item.positional[0].substr(1), nullptr, 16);
                const uint32_t to = std::stoul(item.positional[1].substr(1), nullptr, 16);
                EXPECT_NE(std::find(v.palette.begin(), v.palette.end(), from), v.palette.end());
                EXPECT_EQ(std::find(v.palette.begin(), v.palette.end(), to), v.palette.end());
            } else if (item.key == "T") {
                // A running number in a stock font: the font's glyph rows fit the picture.
                const StockEntry* font = Entry(item.named.at("A"));
                ASSERT_NE(font, nullptr);
                EXPECT_EQ(Narrow(font->Text3).rfind("[FONT:", 0), 0u);
                const Picture glyphs = Decode(PicturePath(*font));
                ASSERT_EQ(glyphs.result, 0);
                inside(item.Number("X", 0), item.Number("Y", 1), 1, glyphs.height);
                ++plates;
            } else {
                // Sections that the items above read from the part's own entry.
                EXPECT_TRUE(item.key == "PAN" || item.key == "ANIM" || item.key == "FONT");
            }
        }
    }
    EXPECT_EQ(pantographs, 3);
    EXPECT_EQ(doors, 8);
    EXPECT_EQ(plates, 1);
}

TEST_F(DemoData, ScriptReadsToItsEnd) {
    const tt_test::ReadResult all = ReadScript();
    EXPECT_EQ(all.code, -1);
    auto has = [](const tt_test::ReadResult& r, const std::string& line) {
        return std::find(r.lines.begin(), r.lines.end(), line) != r.lines.end();
    };
    // The reader's macro gives the waits at the platform.
    EXPECT_TRUE(has(all, "M=STOP;C=RAILCAR;TB=PU;P=62;V=6;TX=Local train;T=OPEN,W,5,CLOSE,W,1"));
    // The long freight train runs unless the script's option is switched off.
    const std::string longFreight = "M=SIMPLE;C=E40,10*WAGON;TB=PBU;V=8;TX=Long freight ";
    EXPECT_TRUE(has(all, longFreight));
    FinishTtRead();
    const tt_test::ReadResult without = ReadScript({{"MOREFREIGHT", 0}});
    EXPECT_EQ(without.code, -1);
    EXPECT_FALSE(has(without, longFreight));
    EXPECT_EQ(without.lines.size(), all.lines.size());
}

// The keywords the script interpreter acts on; any other "$" word would do nothing.
const std::set<std::string> kKeywords = {"SCENE",
                                         "SECT",
                                         "SECTION",
                                         "GRP",
                                         "GROUP",
                                         "LINE",
                                         "SLINE",
                                         "SCENELINE",
                                         "PATH",
                                         "POOL",
                                         "ES",
                                         "ENDS",
                                         "ESECT",
                                         "ESECTION",
                                         "ENDSECTION",
                                         "EO",
                                         "EPOOL",
                                         "ENDPOOL",
                                         "EP",
                                         "ENDP",
                                         "EPATH",
                                         "ESLINE",
                                         "ENDSCENELINE",
                                         "ENDPATH",
                                         "EL",
                                         "ENDL",
                                         "ELINE",
                                         "ENDLINE",
                                         "EG",
                                         "ENDG",
                                         "EGRP",
                                         "EGROUP",
                                         "ENDGROUP",
                                         "EC",
                                         "ENDC",
                                         "ESCENE",
                                         "ENDSCENE",
                                         "AB",
                                         "ABOVE",
                                         "A",
                                         "AC",
                                         "ACCELERATION",
                                         "ACCEL",
                                         "BACKGROUND",
                                         "BGCOLOR",
                                         "BL",
                                         "BELOW",
                                         "B",
                                         "BR",
                                         "DECELERATION",
                                         "BRAKE",
                                         "CD",
                                         "COPDIST",
                                         "COUPLE_DISTANCE",
                                         "CV",
                                         "COPSPEED",
                                         "COUPLE_SPEED",
                                         "ENV",
                                         "ENVIRONEMENT",
                                         "IV",
                                         "INITIAL_SPEED",
                                         "STARTSPEED",
                                         "VH",
                                         "IMGY",
                                         "VEHICLE_HEIGHT",
                                         "ML",
                                         "MAXLINE",
                                         "MS",
                                         "MINSPACE",
                                         "PH",
                                         "PHSTEP",
                                         "PHASESTEP",
                                         "RANDOM",
                                         "SEQ",
                                         "SEQUENCE",
                                         "RANDOMIZE",
                                         "SKIPERR",
                                         "SPEED",
                                         "TX",
                                         "TEXT",
                                         "TXB",
                                         "TEXTBACKGROUNDCOLOR",
                                         "TXC",
                                         "TEXTCOLOR",
                                         "TXX",
                                         "TXHPOS",
                                         "TEXTPOSITION",
                                         "TXY",
                                         "TXVPOS",
                                         "TEXTVERTICALPOSITION",
                                         "UD",
                                         "USEDEFDIR",
                                         "USE_DEFAULT_DIRECTION",
                                         "USECACHE",
                                         "WAY",
                                         "WA",
                                         "WE",
                                         "WM",
                                         "WR",
                                         "WT",
                                         "WL",
                                         "NOSTOPONCLICK",
                                         "NOSTOPONKEY",
                                         "NOSTOPONMOVE",
                                         "NORAIL",
                                         "NOCAT",
                                         "NOCATENARY",
                                         "NOAUTH",
                                         "NOAUTHORS",
                                         "DEF",
                                         "DEFINE",
                                         "DEFINE_MACRO",
                                         "SET",
                                         "CSET",
                                         "INC",
                                         "INCLUDE",
                                         "REQ",
                                         "REQUIRE",
                                         "END",
                                         "EXIT",
                                         "STOCK",
                                         "SPLASH",
                                         "ERR",
                                         "ERROR",
                                         "INFO",
                                         "VERSION",
                                         "HLPWEB",
                                         "URL",
                                         "MINVER",
                                         "OPT",
                                         "OPTION",
                                         "OPTCMD",
                                         "OPTION_COMMAND",
                                         "OPTSUB",
                                         "OPTION_SUBMENU",
                                         "OPTEND",
                                         "OPTION_SUBMENU_END",
                                         "OPTGDEF",
                                         "OPTION_GENERAL_DEFAULT"};

// Movement modes a train line may choose.
const std::set<std::string> kModes = {"M0",
                                      "NONE",
                                      "",
                                      "M1",
                                      "SIMPLE",
                                      "THROUGH",
                                      "M2",
                                      "FOLLOW",
                                      "M3",
                                      "STOP",
                                      "M4",
                                      "BACK",
                                      "M5",
                                      "CUT",
                                      "M14",
                                      "CUT2",
                                      "M6",
                                      "CHANGE",
                                      "M7",
                                      "OPEN",
                                      "M8",
                                      "UNIT",
                                      "M9",
                                      "PUT",
                                      "M10",
                                      "GET",
                                      "M11",
                                      "ECHG",
                                      "ECHANGE",
                                      "SYSTEM_CHANGE",
                                      "M12",
                                      "HEAD",
                                      "XBACK",
                                      "TERMINUS_ARRIVE",
                                      "M13",
                                      "PUSH",
                                      "TERMINUS_DEPART",
                                      "M15",
                                      "TURN",
                                      "M16",
                                      "RCUT"};

// An action of a wait text: a wait, seconds, doors, a pantograph word or the lamp's label.
bool KnownAction(const std::string& token) {
    if (token == "W" || token == "WAIT" || token == "OPEN" || token == "CLOSE" || token == "ON" || token == "OFF")
        return true;
    if (!token.empty() && std::all_of(token.begin(), token.end(), [](char c) { return std::isdigit(c) || c == '.'; }))
        return true;
    if (token == "PDO" || token == "PNO" || token == "PN") return true;
    if (token.size() < 2 || token[0] != 'P' || (token.back() != 'U' && token.back() != 'D')) return false;
    const std::string middle = token.substr(1, token.size() - 2);
    return middle.empty() || middle == "L" || middle == "R" || middle == "M" || middle == "F" || middle == "B" ||
           middle == "H" || middle == "T" || middle == "FI" || middle == "BI" || middle == "D" || middle == "12" ||
           (middle.size() == 1 && middle[0] >= '1' && middle[0] <= '4');
}

TEST_F(DemoData, ScriptBlocksKeywordsAndTrainLinesAreSound) {
    const tt_test::ReadResult r = ReadScript();
    ASSERT_EQ(r.code, -1);
    std::vector<std::string> blocks;  // innermost last: "C" scene, "P" path
    std::map<std::string, std::string> macros;
    std::vector<int> rails;
    int trainLines = 0;
    std::set<std::string> modes;

    // Every name of a composition is a vehicle of the stock or a macro made of such names.
    std::function<void(const std::string&, int)> checkComposition = [&](const std::string& text, int depth) {
        ASSERT_LT(depth, 5) << text;
        std::string name;
        auto flush = [&] {
            const std::string n = Upper(Trim(name));
            name.clear();
            if (n.empty() || std::all_of(n.begin(), n.end(), [](char c) { return std::isdigit(c); })) return;
            if (macros.count(n))
                checkComposition(macros[n], depth + 1);
            else
                EXPECT_NE(Entry(n), nullptr) << "no vehicle " << n << " in " << text;
        };
        for (char c : text) {
            if (std::string(",()|*@<>").find(c) != std::string::npos)
                flush();
            else
                name += c;
        }
        flush();
    };

    for (const std::string& raw : r.lines) {
        const std::string line = Trim(raw);
        if (line.empty() || std::string(";#/*").find(line[0]) != std::string::npos) continue;
        SCOPED_TRACE(line);
        if (line[0] == '$') {
            const size_t blank = line.find(' ');
            const std::string keyword =
                Upper(line.substr(1, blank == std::string::npos ? std::string::npos : blank - 1));
            const std::string arg = blank == std::string::npos ? "" : Trim(line.substr(blank + 1));
            EXPECT_TRUE(kKeywords.count(keyword)) << keyword;
            if (keyword == "SCENE") {
                EXPECT_TRUE(blocks.empty());
                blocks.push_back("C");
                const std::string bg = Params(arg)["BG"];
                ASSERT_FALSE(bg.empty());
                for (const std::string& element : SplitTop(bg.substr(1, bg.size() - 2), ';')) {
                    const std::string file = Trim(element.substr(0, element.find(':')));
                    EXPECT_EQ(Decode(Demo(file)).result, 0) << file;
                }
            } else if (keyword == "PATH") {
                ASSERT_EQ(blocks, std::vector<std::string>{"C"});
                blocks.push_back("P");
                rails.push_back(std::stoi(Params(arg)["Y"]));
            } else if (keyword == "ENDPATH") {
                ASSERT_FALSE(blocks.empty());
                EXPECT_EQ(blocks.back(), "P");
                blocks.pop_back();
            } else if (keyword == "ENDSCENE") {
                EXPECT_EQ(blocks, std::vector<std::string>{"C"});
                blocks.clear();
            } else if (keyword == "DEFINE") {
                const size_t eq = arg.find('=');
                ASSERT_NE(eq, std::string::npos);
                macros[Upper(Trim(arg.substr(0, eq)))] = Trim(arg.substr(eq + 1));
            } else if (keyword == "STOCK") {
                EXPECT_TRUE(fs::exists(Demo(arg)));
            }
            continue;
        }
        // A train line: only inside a path of the scene.
        ASSERT_EQ(blocks, (std::vector<std::string>{"C", "P"}));
        ++trainLines;
        const auto p = Params(line);
        ASSERT_TRUE(p.count("M"));
        EXPECT_TRUE(kModes.count(Upper(p.at("M")))) << p.at("M");
        modes.insert(Upper(p.at("M")));
        for (const auto& [name, value] : p) {
            if (name == "C" || name == "C1" || name == "C2" || name == "C3") {
                checkComposition(value, 0);
            } else if (name == "TB" || name == "TE" || name == "T" ||
                       (name.size() == 2 && name[0] == 'T' && std::isdigit(static_cast<unsigned char>(name[1])))) {
                for (const std::string& token : SplitTop(value, ','))
                    EXPECT_TRUE(KnownAction(Upper(Trim(token)))) << name << ": " << token;
            }
        }
    }
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(trainLines, 9);
    // A station stop with doors, a coupling, a split, a reversal and trains passing through.
    for (const char* mode : {"OPEN", "STOP", "UNIT", "CUT", "BACK", "SIMPLE"}) EXPECT_TRUE(modes.count(mode)) << mode;
    // The two tracks lie apart by more than a vehicle and its wire.
    ASSERT_EQ(rails.size(), 2u);
    EXPECT_GT(std::abs(rails[0] - rails[1]), shared_.PictureHeight + 2);
}

TEST_F(DemoData, EveryPictureDecodesWithoutTheColourKeyAndIsUsed) {
    std::set<std::string> used;
    for (int32_t i = 1; i <= shared_.StockCount; ++i) used.insert(Narrow(a_.Stock[i].Text2));
    const tt_test::ReadResult r = ReadScript();
    for (const std::string& line : r.lines)
        if (line.rfind("$SCENE ", 0) == 0) {
            const std::string value = Params(line.substr(7))["BG"];
            for (const std::string& element : SplitTop(value.substr(1, value.size() - 2), ';'))
                used.insert(Trim(element.substr(0, element.find(':'))));
        }
    std::set<std::string> found;
    for (const auto& file : fs::directory_iterator(YOV_DEMO_DATA)) {
        if (file.path().extension() != ".gif") continue;
        const std::string name = file.path().filename().string();
        SCOPED_TRACE(name);
        found.insert(name);
        const Picture p = Decode(file.path().string());
        ASSERT_EQ(p.result, 0);
        EXPECT_EQ(p.flags & lvk::kPicMarkerZero, 0);
        for (size_t k = 0; k < p.palette.size(); ++k) {
            if (p.transparent && k == p.transparentIndex) continue;
            EXPECT_NE(p.palette[k], 0x100010u) << "colour key at index " << k;
        }
    }
    EXPECT_EQ(found, used);
}

}  // namespace
