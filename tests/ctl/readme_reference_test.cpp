// The README's parameter reference must list every row of both tables, in
// table order, with the range the client clamps to.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

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

}  // namespace

TEST(Readme, ParameterReferenceMatchesBothTables)
{
    std::string readme = read_file(source_dir() + "/README.md");
    check_section(readme, "### vorellctl (driver tuning)", kCtlParameters);
    check_section(readme, "### vorellctl2 (settings panel)", kCtl2Parameters);
}
