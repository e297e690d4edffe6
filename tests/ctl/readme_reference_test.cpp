// The README's parameter reference must list every row of both tables, in
// table order, with the range the client clamps to, and name every action of
// the three catalogues as the code does.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "action_names.h"
#include "parameter_table.h"
#include "support.h"

namespace {

std::string format_range(const ParameterDescriptor &p)
{
    char buf[64];
    snprintf(buf, sizeof buf, "%g to %g", p.minimum, p.maximum);
    return buf;
}

// Rows "| `Name` | type | range | meaning |" under the heading, up to the next heading.
void check_section(const std::string &readme, const std::string &heading, const ParameterDescriptor *table)
{
    size_t at = readme.find("\n" + heading + "\n");
    ASSERT_NE(at, std::string::npos) << heading;
    std::istringstream in(readme.substr(at + heading.size() + 2));
    std::string line;
    const ParameterDescriptor *row = table;
    while (std::getline(in, line) && line.rfind('#', 0) != 0) {
        if (line.rfind("| `", 0) != 0)
            continue;
        ASSERT_NE(row->name, nullptr) << heading << ": extra row " << line;
        std::string want_start = std::string("| `") + row->name + "` | ";
        EXPECT_EQ(line.rfind(want_start, 0), 0u) << heading << ": expected " << row->name << ", got " << line;
        const char *type = row->type == kBlockDouble ? "real"
                           : row->type == kBlockFlag ? "on/off"
                                                     : "integer";
        std::string want_cells = want_start + type + " | " + format_range(*row) + " | ";
        EXPECT_EQ(line.rfind(want_cells, 0), 0u) << line;
        ++row;
    }
    EXPECT_EQ(row->name, nullptr) << heading << ": missing row " << (row->name ? row->name : "");
}

// "0 left button, 1 right button, ... 17 Alt+Control+D." after intro: the
// names in code order, or the item that does not carry its code.
std::vector<std::string> listed_names(const std::string &readme, const std::string &intro)
{
    std::vector<std::string> names;
    size_t at = readme.find(intro);
    if (at == std::string::npos)
        return names;
    size_t start = readme.find(": ", at) + 2;
    std::string text = readme.substr(start, readme.find('.', start) - start);
    for (char &c : text)
        if (c == '\n')
            c = ' ';
    size_t from = 0;
    for (int code = 0; from <= text.size(); ++code) {
        size_t comma = text.find(", ", from);
        std::string item = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        std::string number = std::to_string(code) + " ";
        names.push_back(item.rfind(number, 0) == 0 ? item.substr(number.size()) : "(no code " + item + ")");
        if (comma == std::string::npos)
            break;
        from = comma + 2;
    }
    return names;
}

void check_catalogue(const std::string &readme, const std::string &intro, ActionCatalogue catalogue)
{
    std::vector<std::string> listed = listed_names(readme, intro);
    ASSERT_EQ(static_cast<int>(listed.size()), action_count(catalogue)) << intro;
    for (int code = 0; code < action_count(catalogue); ++code)
        EXPECT_EQ(listed[static_cast<size_t>(code)], action_name(catalogue, code))
            << intro << " code " << code;
}

}  // namespace

TEST(Readme, ActionNamesMatchTheCatalogues)
{
    std::string readme = read_file(source_dir() + "/README.md");
    check_catalogue(readme, "The common actions (", ActionCatalogue::kCommon);
    check_catalogue(readme, "The zoom catalogue", ActionCatalogue::kZoom);
    check_catalogue(readme, "The rotation catalogue", ActionCatalogue::kRotation);
}

TEST(Readme, ParameterReferenceMatchesBothTables)
{
    std::string readme = read_file(source_dir() + "/README.md");
    check_section(readme, "### vorellctl (driver tuning)", kCtlParameters);
    check_section(readme, "### vorellctl2 (settings panel)", kCtl2Parameters);
}
