// Setting parameters by "Name=value" and listing them, on a block given by
// its base address (the live shared block, or a private copy in tests).
#pragma once

#include <cstdint>
#include <cstdio>

#include "parameter_table.h"

// The number a value text stands for: strtod's reading, with a text that
// holds no number, or reads as "not a number", giving 0.
double parse_parameter_value(const char *text);

// Clamps to the row's range (minimum first, then maximum).
double clamp_parameter_value(const ParameterDescriptor &row, double value);

// Stores a clamped value: integer and boolean rows as an int32 rounded by
// lrint (halfway cases to even), double rows as the 8-byte double.
void store_parameter_value(void *block, const ParameterDescriptor &row, double value);

// Applies one command-line argument. Unknown names and arguments without
// "=" print their message on out and change nothing.
void apply_assignment(void *block, const ParameterDescriptor *table, const char *arg, FILE *out);

// "Parameter settings:" and one line a row, in table order.
void print_listing(const void *block, const ParameterDescriptor *table, FILE *out);
