#include "pad_description.h"

namespace {

bool bit(const std::vector<uint8_t> &bytes, int n)
{
    if (n < 0 || static_cast<size_t>(n / 8) >= bytes.size())
        return false;
    return (bytes[static_cast<size_t>(n / 8)] >> (n % 8)) & 1;
}

void set_bit(std::vector<uint8_t> &bytes, int n)
{
    if (n < 0)
        return;
    size_t at = static_cast<size_t>(n / 8);
    if (bytes.size() <= at)
        bytes.resize(at + 1, 0);
    bytes[at] = static_cast<uint8_t>(bytes[at] | (1u << (n % 8)));
}

}  // namespace

bool PadDescription::has_prop(int prop) const { return bit(props, prop); }

void PadDescription::set_code(int type, int code)
{
    if (type >= 0 && type < kPadTypeCount)
        set_bit(codes[static_cast<size_t>(type)], code);
}

void PadDescription::set_prop(int prop) { set_bit(props, prop); }
