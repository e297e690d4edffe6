// One row of a parameter table: a block field by name, with its type and the
// range that assignments are clamped to. The parameter clients keep their
// tables of these rows; each key-activity watcher describes its one flag
// with a row of the same form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "touchpad_block.h"

struct ParameterDescriptor {
    const char *name;
    int32_t offset;
    BlockFieldKind type;
    double minimum;
    double maximum;
};

// The row of block field `field`: its name, offset and type as the block's
// field list gives them, with the range the table clamps assignments to.
// (Fenced: the formatter takes the braced row for a block and breaks it.)
// clang-format off
#define PARAMETER_ROW(field, minimum, maximum)                                                   \
    {#field, static_cast<int32_t>(offsetof(TouchpadSharedBlock, field)), block_field_kind::field, \
     minimum, maximum}
// clang-format on

// Case-insensitive lookup in table order, up to the row whose name is null;
// nullptr when no row matches.
const ParameterDescriptor *find_parameter(const ParameterDescriptor *table, const char *name);
