#!/bin/sh
# Renders the compiled-in artwork from src/resources/svg/*.svg into
# src/resources/images/*.png at the exact pixel sizes the program expects, and
# writes the application icon quendra.ico from quendra.png.
#
# The rendered files are kept in the repository, so building the program never
# needs this script; run it only after changing an SVG source.
# Needs rsvg-convert (Debian package librsvg2-bin) and python3.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
svg="$here/src/resources/svg"
out="$here/src/resources/images"
mkdir -p "$out"

command -v rsvg-convert >/dev/null 2>&1 || {
    echo "render-artwork.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
    exit 1
}

# name width height
while read -r name w h; do
    [ -n "$name" ] || continue
    rsvg-convert --width "$w" --height "$h" --output "$out/$name.png" "$svg/$name.svg"
    echo "rendered $name.png (${w}x$h)"
done <<LIST
splashscr 500 374
logosmall 422 356
fileopen 32 32
filesaveas 32 32
fileprint 32 32
configure 32 32
gohome 32 32
KorvelLogoSmall 120 82
PelvorLogoSmall 120 55
quendra 32 32
LIST

# quendra.ico: one 32 x 32 entry stored as a classic 32-bit BMP with an AND
# mask, which every icon reader understands. The PNG is decoded here with
# zlib only, so no imaging library is needed.
python3 - "$out/quendra.png" "$out/quendra.ico" <<'PY'
import struct, sys, zlib

def read_png_rgba(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit('not a PNG file: ' + path)
    pos, idat, width, height = 8, b'', 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, ctype, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or ctype not in (2, 6) or interlace:
                sys.exit('expected an 8-bit RGB/RGBA non-interlaced PNG: ' + path)
            bpp = 4 if ctype == 6 else 3
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        ftype, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if ftype == 1:
                line[x] = (line[x] + a) & 255
            elif ftype == 2:
                line[x] = (line[x] + b) & 255
            elif ftype == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 255
        rows.append(bytes(line) if bpp == 4 else
                    b''.join(line[k:k + 3] + b'\xff' for k in range(0, stride, 3)))
        prev = line
    return width, height, rows

src, dst = sys.argv[1], sys.argv[2]
w, h, rows = read_png_rgba(src)
pixels = bytearray()
mask = bytearray()
mask_stride = ((w + 31) // 32) * 4
for row in reversed(rows):                      # BMP rows run bottom-up
    bits = bytearray(mask_stride)
    for x in range(w):
        r, g, b, a = row[4 * x:4 * x + 4]
        pixels += bytes((b, g, r, a))
        if a == 0:
            bits[x // 8] |= 0x80 >> (x % 8)
    mask += bits
header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0,
                     len(pixels) + len(mask), 0, 0, 0, 0)
image = header + pixels + mask
icondir = struct.pack('<HHH', 0, 1, 1)
entry = struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
with open(dst, 'wb') as f:
    f.write(icondir + entry + image)
print('wrote %s (%dx%d)' % (dst.rsplit('/', 1)[-1], w, h))
PY
