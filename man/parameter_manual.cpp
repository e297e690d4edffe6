// Writes the scdoc source of vorell-parameters(7): one entry per row of the
// two parameter tables, in table order, with the type and range the clients
// clamp to. The one-line meanings come from the README's reference tables,
// keyed by name, so the manual and the README say the same; a table row
// without a README line is an error, and the build stops.
//
// Usage: parameter_manual README.md > vorell-parameters.7.scd
//        parameter_manual --names ctl|ctl2   (the names, for bash completion)
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "parameter_table.h"

namespace {

using Meanings = std::map<std::string, std::string>;

// Rows "| `Name` | type | range | meaning |" from the heading to the next
// heading; the rest of the section's prose goes to *notes.
Meanings read_section(const std::string &readme, const std::string &heading, std::string *notes)
{
    Meanings meanings;
    size_t at = readme.find("\n" + heading + "\n");
    if (at == std::string::npos)
        return meanings;
    std::istringstream in(readme.substr(at + heading.size() + 2));
    std::string line;
    while (std::getline(in, line) && line.rfind('#', 0) != 0) {
        if (line.rfind("| `", 0) == 0) {
            size_t name_end = line.find('`', 3);
            size_t last_bar = line.rfind(" |");
            size_t meaning_bar = line.rfind(" | ", last_bar - 1);
            if (name_end == std::string::npos || meaning_bar == std::string::npos)
                continue;
            meanings[line.substr(3, name_end - 3)] = line.substr(meaning_bar + 3, last_bar - meaning_bar - 3);
        } else if (notes && line.rfind('|', 0) != 0) {
            for (char c : line)
                if (c != '`')
                    *notes += c;
            *notes += '\n';
        }
    }
    return meanings;
}

const char *type_word(const ParameterDescriptor &p)
{
    switch (p.type) {
    case kBlockDouble: return "real";
    case kBlockFlag: return "on/off";
    case kBlockInt: break;
    }
    return "integer";
}

// scdoc gives *, _ and \ a meaning; the README's text has no markup of its own.
std::string escape(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '*' || c == '_' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

bool write_table(const char *client, const ParameterDescriptor *table, const Meanings &meanings)
{
    bool complete = true;
    for (const ParameterDescriptor *p = table; p->name; ++p) {
        auto m = meanings.find(p->name);
        if (m == meanings.end()) {
            fprintf(stderr, "parameter_manual: %s: no README line for %s\n", client, p->name);
            complete = false;
            continue;
        }
        printf("*%s* (%s, %g to %g)\n\t%s\n\n", escape(p->name).c_str(), type_word(*p), p->minimum,
               p->maximum, escape(m->second).c_str());
    }
    return complete;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--names") {
        std::string client = argv[2];
        if (client != "ctl" && client != "ctl2")
            return 1;
        const ParameterDescriptor *table = client == "ctl" ? kCtlParameters : kCtl2Parameters;
        for (const ParameterDescriptor *p = table; p->name; ++p)
            printf("%s%s", p == table ? "" : " ", p->name);
        printf("\n");
        return 0;
    }
    if (argc != 2) {
        fputs("Usage: parameter_manual README.md | --names ctl|ctl2\n", stderr);
        return 1;
    }
    std::ifstream file(argv[1]);
    std::stringstream buffer;
    buffer << file.rdbuf();
    if (!file) {
        perror(argv[1]);
        return 1;
    }
    const std::string readme = buffer.str();
    std::string notes;
    Meanings driver = read_section(readme, "### vorellctl (driver tuning)", nullptr);
    Meanings panel = read_section(readme, "### vorellctl2 (settings panel)", &notes);

    printf(
        "vorell-parameters(7)\n\n"
        "# NAME\n\n"
        "vorell-parameters - the touchpad block's parameters\n\n"
        "# DESCRIPTION\n\n"
        "The touchpad block holds the finger state and every setting of the "
        "gesture suite. *vorellctl*(1) sets the driver-tuning parameters, "
        "*vorellctl2*(1) the settings-panel parameters; names are matched "
        "without regard to case, and a value is clamped to the range given "
        "here. Integer and on/off values are rounded to the nearest integer.\n\n"
        "# DRIVER TUNING (vorellctl)\n\n");
    bool ok = write_table("vorellctl", kCtlParameters, driver);
    printf("# SETTINGS PANEL (vorellctl2)\n\n");
    ok = write_table("vorellctl2", kCtl2Parameters, panel) && ok;

    // The catalogues of the combo-box actions follow the second table.
    size_t start = notes.find_first_not_of('\n');
    if (start != std::string::npos) {
        printf("# ACTION CATALOGUES\n\n%s\n", escape(notes.substr(start)).c_str());
    }
    printf("# SEE ALSO\n\n*vorellctl*(1), *gestured*(1), *vorell-session*(1)\n");
    return ok ? 0 : 1;
}
