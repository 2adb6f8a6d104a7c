#!/usr/bin/env python3
"""Checks a region of an 8-bit RGB/RGBA PNG: `white` passes when some pixel there is near white,
`black` when every pixel there is black. Usage: png_region.py FILE X Y W H white|black"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat, width, height, channels = 8, b"", 0, 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "only 8-bit RGB or RGBA"
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def main():
    path, x, y, w, h, want = sys.argv[1], *map(int, sys.argv[2:6]), sys.argv[6]
    width, height, channels, rows = read_png(path)
    pixels = [rows[yy][xx * channels:xx * channels + 3]
              for yy in range(y, min(y + h, height)) for xx in range(x, min(x + w, width))]
    if want == "white":
        ok = any(min(p) > 200 for p in pixels)
    else:
        ok = all(max(p) == 0 for p in pixels)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
