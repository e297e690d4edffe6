"""Screenshots of a private X server: `xwd -root` read into RGB rows, and
written out as PNG (for the README's picture).

Only what a 24-bit Xvfb gives is read: a ZPixmap of 24 or 32 bits a pixel,
with the colour masks the header names.
"""

import struct
import subprocess
import zlib


class Image:
    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # rows of (r, g, b)

    def crop(self, x, y, width, height):
        rows = [row[x:x + width] for row in self.pixels[y:y + height]]
        return Image(len(rows[0]) if rows else 0, len(rows), rows)


def _shift(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def read_xwd(data):
    header = struct.unpack(">25I", data[:100])
    header_size, _version, pixmap_format, _depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    red_mask, green_mask, blue_mask = header[14:17]
    ncolors = header[19]
    size = bits_per_pixel // 8
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("only 24- and 32-bit ZPixmap screenshots are read")
    start = header_size + 12 * ncolors
    order = "little" if byte_order == 0 else "big"
    shifts = [_shift(m) for m in (red_mask, green_mask, blue_mask)]
    pixels = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + size * width]
        words = [int.from_bytes(line[i:i + size], order) for i in range(0, size * width, size)]
        pixels.append([((w & red_mask) >> shifts[0], (w & green_mask) >> shifts[1],
                        (w & blue_mask) >> shifts[2]) for w in words])
    return Image(width, height, pixels)


def screenshot(env):
    """The whole screen of the display in env."""
    data = subprocess.run(["xwd", "-root", "-silent"], env=env, check=True,
                          capture_output=True, timeout=60).stdout
    return read_xwd(data)


def write_png(image, path):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in image.pixels)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))
