#include <gtest/gtest.h>

#include <map>

#include "controls/path_shortening.h"

namespace {

// One unit per character, unless the table says otherwise for a whole string (as a real font may
// measure a string differently from the sum of its pieces).
struct Measure {
    std::map<std::wstring, int> exceptions;
    int operator()(const std::wstring& text) const {
        const auto found = exceptions.find(text);
        return found != exceptions.end() ? found->second : static_cast<int>(text.size());
    }
};

struct SplitCase {
    std::wstring path, separator;
    std::vector<std::wstring> parts;
    bool drive;
};

TEST(PathShortening, SplitsAtEverySeparatorKeepingEmptyParts) {
    const SplitCase cases[] = {
        {L"", L"\\", {L""}, false},
        {L"name.txt", L"\\", {L"name.txt"}, false},
        {L"C:\\a\\b.txt", L"\\", {L"C:", L"a", L"b.txt"}, true},
        {L"\\a\\", L"\\", {L"", L"a", L""}, false},
        {L"a\\\\b", L"\\", {L"a", L"", L"b"}, false},
        {L"\\\\srv\\share", L"\\", {L"", L"", L"srv", L"share"}, false},
        {L"C:", L"\\", {L"C:"}, true},
        {L":\\x", L"\\", {L":", L"x"}, false},          // a lone colon is no drive
        {L"AB:\\x", L"\\", {L"AB:", L"x"}, true},
        {L"C\\x", L"\\", {L"C", L"x"}, false},
        {L"a::b::c", L"::", {L"a", L"b", L"c"}, false},
        {L"a:::b", L"::", {L"a", L":b"}, false},         // cut from the left, no overlap
        {L"C:\\a", L"", {L"C:\\a"}, false},              // nothing to cut at
        {L"x/", L"\\", {L"x/"}, false},
    };
    for (const auto& c : cases) {
        const PathParts split = SplitPath(c.path, c.separator);
        EXPECT_EQ(split.parts, c.parts) << c.path;
        EXPECT_EQ(split.drive, c.drive) << c.path;
    }
}

struct ShortenCase {
    const char* what;
    std::wstring path;
    int width;
    ShorteningDirection direction;
    std::wstring expected;
    std::wstring separator = L"\\";
    std::map<std::wstring, int> widths = {};
};

TEST(PathShortening, ShortensToTheWidthKeepingDriveAndName) {
    const std::wstring deep = L"C:\\a1\\b2\\c3\\d4\\f.txt";  // 20 units
    const ShortenCase cases[] = {
        {"empty stays empty", L"", 0, drFromLeft, L""},
        {"fits exactly", L"C:\\a\\b.txt", 10, drFromLeft, L"C:\\a\\b.txt"},
        {"narrower by one: name and ellipsis fill it", L"C:\\a\\b.txt", 9, drFromLeft, L"b.txt"},
        {"a lone name wider than the label stays whole", L"averylongname.txt", 5, drFromRight,
         L"averylongname.txt"},
        {"name and ellipsis leave no room for the drive", L"C:\\dir\\file.txt", 14, drFromLeft,
         L"...\\file.txt"},
        {"name and ellipsis exactly the width", L"C:\\dir\\file.txt", 12, drFromLeft, L"file.txt"},
        {"drive and long name: nothing dropped, yet shortened", L"C:\\longname.txt", 20, drFromLeft,
         L"C:\\...\\longname.txt", L"\\", {{L"C:\\longname.txt", 25}}},
        {"from the left keeps the deepest folders", deep, 15, drFromLeft, L"C:\\...\\d4\\f.txt"},
        {"from the right keeps the top folders", deep, 15, drFromRight, L"C:\\a1\\...\\f.txt"},
        {"from the left, two folders fit", deep, 18, drFromLeft, L"C:\\...\\c3\\d4\\f.txt"},
        {"from the right, two folders fit", deep, 18, drFromRight, L"C:\\a1\\b2\\...\\f.txt"},
        {"one unit short of a folder", deep, 14, drFromLeft, L"C:\\...\\f.txt"},
        {"no drive: empty head, leading empty parts may show", L"\\\\srv\\share\\f.txt", 12, drFromRight,
         L"\\\\...\\f.txt"},
        {"no drive, from the left", L"\\\\srv\\share\\f.txt", 15, drFromLeft, L"...\\share\\f.txt"},
        {"no drive, from the left, too narrow for a folder", L"\\\\srv\\share\\f.txt", 14, drFromLeft,
         L"...\\f.txt"},
        {"a longer separator", L"Start > Programme > Zubehör > Rechner", 30, drFromLeft,
         L"... > Zubehör > Rechner", L" > "},
        {"a longer separator from the right", L"Start > Programme > Zubehör > Rechner", 30, drFromRight,
         L"Start > ... > Rechner", L" > "},
        {"no separator at all never shortens", L"C:\\abc\\def", 4, drFromLeft, L"C:\\abc\\def", L""},
    };
    for (const auto& c : cases) {
        const Measure measure{c.widths};
        const std::wstring shown =
            ShortenPath(c.path, SplitPath(c.path, c.separator), c.separator, c.direction, c.width, measure);
        EXPECT_EQ(shown, c.expected) << c.what;
    }
}

TEST(PathShortening, ShortenedTextFitsForEveryWidth) {
    const std::wstring path = L"D:\\Daten\\Projekte\\Zeigerwerk\\Quellen\\Fenster\\Assistent.cpp";
    const PathParts split = SplitPath(path, L"\\");
    const Measure measure;
    for (ShorteningDirection direction : {drFromLeft, drFromRight}) {
        for (int width = 0; width <= static_cast<int>(path.size()) + 2; ++width) {
            const std::wstring shown = ShortenPath(path, split, L"\\", direction, width, measure);
            // The name alone is the one thing allowed to overflow.
            if (shown != L"Assistent.cpp") {
                EXPECT_LE(static_cast<int>(shown.size()), width) << width;
            }
            EXPECT_EQ(shown.substr(shown.size() - 13), L"Assistent.cpp") << width;
            if (shown.size() > 17 && shown != path) {
                EXPECT_EQ(shown.substr(0, 3), L"D:\\") << width;
            }
        }
    }
}

}  // namespace
