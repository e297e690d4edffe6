// The parameter clients' "Name=value" assignments and value parsing. The
// first byte picks the client's table, the rest is one assignment per line,
// applied in turn to a private block whose parameters start at their
// minimum. After each one every parameter of the table must still lie
// within its range (a double never NaN), and the listing must print.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "parameter_access.h"
#include "parameter_table.h"
#include "touchpad_block.h"

namespace {

FILE *g_null;

[[noreturn]] void fail(const ParameterDescriptor &row, double v, const std::string &arg)
{
    fprintf(stderr, "parameter %s out of range after \"%s\": %g\n", row.name, arg.c_str(), v);
    abort();
}

void check_ranges(const TouchpadSharedBlock &b, const ParameterDescriptor *table, const std::string &arg)
{
    for (const ParameterDescriptor *p = table; p->name; ++p) {
        double v = p->type == kBlockDouble ? block_get_double(&b, p->offset) : block_get_int(&b, p->offset);
        if (!(v >= p->minimum && v <= p->maximum)) {
            // An integer row's range may have a fractional end: the stored
            // value is the clamped one rounded.
            bool rounded_end =
                p->type != kBlockDouble && (v == std::lrint(p->minimum) || v == std::lrint(p->maximum));
            if (!rounded_end)
                fail(*p, v, arg);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!g_null)
        g_null = fopen("/dev/null", "w");
    if (size == 0)
        return 0;
    const ParameterDescriptor *table = data[0] & 1 ? kCtl2Parameters : kCtlParameters;
    static TouchpadSharedBlock block;
    memset(&block, 0, sizeof block);
    for (const ParameterDescriptor *p = table; p->name; ++p)
        store_parameter_value(&block, *p, p->minimum);

    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        // argv strings end at their first NUL.
        std::string arg = text.substr(start, end - start).c_str();
        double parsed = parse_parameter_value(arg.c_str());
        if (std::isnan(parsed))
            abort();
        apply_assignment(&block, table, arg.c_str(), g_null);
        check_ranges(block, table, arg);
        start = end + 1;
    }
    print_listing(&block, table, g_null);
    return 0;
}
