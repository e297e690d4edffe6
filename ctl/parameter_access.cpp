#include "parameter_access.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "touchpad_block.h"

double parse_parameter_value(const char *text)
{
    double v = strtod(text, nullptr);
    // A NaN would pass the range checks untouched and has no integer
    // rounding; it is taken as no number at all.
    if (std::isnan(v))
        return 0.0;
    return v;
}

double clamp_parameter_value(const ParameterDescriptor &row, double value)
{
    if (value < row.minimum)
        value = row.minimum;
    if (value > row.maximum)
        value = row.maximum;
    return value;
}

void store_parameter_value(void *block, const ParameterDescriptor &row, double value)
{
    if (row.type == kBlockDouble)
        block_set_double(block, row.offset, value);
    else
        block_set_int(block, row.offset, static_cast<int32_t>(lrint(value)));
}

void apply_assignment(void *block, const ParameterDescriptor *table, const char *arg, FILE *out)
{
    const char *eq = strchr(arg, '=');
    if (!eq) {
        fprintf(out, "Invalid command: %s\n", arg);
        return;
    }
    char name[256];
    size_t len = static_cast<size_t>(eq - arg);
    // A name longer than any row's cannot match; it is reported whole.
    const ParameterDescriptor *row = nullptr;
    if (len < sizeof name) {
        memcpy(name, arg, len);
        name[len] = '\0';
        row = find_parameter(table, name);
    }
    if (!row) {
        fprintf(out, "Unknown parameter %.*s\n", static_cast<int>(len), arg);
        return;
    }
    double value = clamp_parameter_value(*row, parse_parameter_value(eq + 1));
    store_parameter_value(block, *row, value);
}

void print_listing(const void *block, const ParameterDescriptor *table, FILE *out)
{
    fputs("Parameter settings:\n", out);
    for (const ParameterDescriptor *p = table; p->name; ++p) {
        if (p->type == kBlockDouble)
            fprintf(out, "    %-23s = %g\n", p->name, block_get_double(block, p->offset));
        else
            fprintf(out, "    %-23s = %d\n", p->name, block_get_int(block, p->offset));
    }
}
