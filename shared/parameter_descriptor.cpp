#include "parameter_descriptor.h"

#include <strings.h>

const ParameterDescriptor *find_parameter(const ParameterDescriptor *table, const char *name)
{
    for (const ParameterDescriptor *p = table; p->name; ++p)
        if (strcasecmp(p->name, name) == 0)
            return p;
    return nullptr;
}
