#!/usr/bin/python3
"""Writes the DICOM, 16-bit and multi-page files the loading tests read, with pydicom,
DCMTK's own tools and PIL.

    /usr/bin/python3 scripts/make-loading-fixtures.py OUTPUT_DIR

Needs Debian's python3-pydicom, python3-numpy, python3-pil and dcmtk (img2dcm, dcmcrle,
dcmcjpeg, dcmcjpls). Every pixel value follows a formula the tests repeat, so the files
need not be stored:

  frames12.dcm     3 frames 16 x 12, 12 bits stored, MONOCHROME2, Pixel Spacing 0.25 mm;
                   frame f, pixel (x, y): (x * 257 + y * 31 + f * 1000) % 4096
  frames12-rle.dcm, frames12-jpeg.dcm, frames12-jpegls.dcm: the same, losslessly compressed
  mono16.dcm       1 frame 20 x 10, 16 bits, Imager Pixel Spacing 0.15 mm only;
                   (x * 4099 + y * 13) % 65536
  signed12.dcm     12 bits signed, Rescale Intercept -1024; (x * 97 + y * 41) % 4096 - 2048
  mono1.dcm        8 bits MONOCHROME1; x * 16 + y
  window12.dcm     frames12.dcm's first frame alone, Window Center 2048, Window Width 1024
  palette.dcm      8-bit PALETTE COLOR 8 x 6, index x * 16 + y; 16-bit tables
                   red i * 257, green (255 - i) * 257, blue 30000
  rgb8.dcm         8-bit RGB, interleaved; (x * 16, y * 20, 100)
  rgb8-planar.dcm  the same, one colour plane after the other
  rgb8-bmp.bmp, rgb8-img2dcm.dcm: a colour BMP and img2dcm's DICOM of it
  no-suffix        frames12.dcm under a name without suffix (found by its preamble)
  gray16.png       16-bit gray 20 x 10, pHYs 10000 pixels per metre; (x * 4099 + y * 13) % 65536
  gray16.tif       the same as TIFF, 508 dots per inch
  rgb16.png        16-bit RGB 8 x 6; (x * 8000, y * 12000, 30000)
  pages.tif        3 pages of 8-bit gray 8 x 6; page p: (x * 8 + y + p * 50) % 256
Hostile files:
  huge-size.dcm    65535 x 65535 pixels in 60000 frames declared, 64 bytes of pixel data
  short-data.dcm   64 x 64 pixels declared, 100 bytes of pixel data
  jpeg2000.dcm     a JPEG 2000 transfer syntax (no decoder registered for it)
  bits32.dcm       32 bits allocated
  frames-abc.dcm   frames12.dcm with Number of Frames "abc"
  frames-11-digits.dcm  frames12.dcm with Number of Frames 99999999999
  frames20000.dcm  20000 frames of 1 x 1 pixel
"""
import os
import shutil
import struct
import subprocess
import sys
import zlib

import numpy as np
from PIL import Image
from pydicom.dataset import FileDataset, FileMetaDataset
from pydicom.encaps import encapsulate
from pydicom.uid import (ExplicitVRLittleEndian, JPEG2000Lossless, SecondaryCaptureImageStorage,
                         generate_uid)


def dataset(rows, cols, frames=1, bits=8, stored=None, signed=False, samples=1, photometric="MONOCHROME2"):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = SecondaryCaptureImageStorage
    meta.MediaStorageSOPInstanceUID = generate_uid()
    meta.TransferSyntaxUID = ExplicitVRLittleEndian
    ds = FileDataset(None, {}, file_meta=meta, preamble=b"\0" * 128)
    ds.is_little_endian = True
    ds.is_implicit_VR = False
    ds.SOPClassUID = meta.MediaStorageSOPClassUID
    ds.SOPInstanceUID = meta.MediaStorageSOPInstanceUID
    ds.Modality = "XA"
    ds.Rows, ds.Columns = rows, cols
    if frames > 1:
        ds.NumberOfFrames = frames
    ds.SamplesPerPixel = samples
    ds.PhotometricInterpretation = photometric
    if samples > 1:
        ds.PlanarConfiguration = 0
    ds.BitsAllocated = bits
    ds.BitsStored = stored or bits
    ds.HighBit = ds.BitsStored - 1
    ds.PixelRepresentation = 1 if signed else 0
    return ds


def save(ds, pixels, path):
    ds.PixelData = pixels.tobytes()
    ds.save_as(path, write_like_original=False)


def with_frame_count(source, text, path):
    """Copies source with its Number of Frames (IS) element replaced by text."""
    data = open(source, "rb").read()
    tag = b"\x28\x00\x08\x00IS"
    at = data.index(tag)
    length = struct.unpack("<H", data[at + 6:at + 8])[0]
    value = text.encode() + (b" " if len(text) % 2 else b"")
    open(path, "wb").write(data[:at + 6] + struct.pack("<H", len(value)) + value + data[at + 8 + length:])


def grid(cols, rows):
    return np.meshgrid(np.arange(cols), np.arange(rows))


def write_rgb16_png(path, pixels):
    """pixels: rows x columns x 3 of 16-bit values; PIL cannot write 48-bit PNG."""
    rows, cols, _ = pixels.shape
    raw = b"".join(b"\0" + pixels[y].astype(">u2").tobytes() for y in range(rows))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", cols, rows, 16, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main(out):
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)

    x, y = grid(16, 12)
    frames = np.stack([(x * 257 + y * 31 + f * 1000) % 4096 for f in range(3)]).astype("<u2")
    ds = dataset(12, 16, frames=3, bits=16, stored=12)
    ds.PixelSpacing = ["0.25", "0.25"]
    save(ds, frames, p("frames12.dcm"))
    shutil.copy(p("frames12.dcm"), p("no-suffix"))
    for tool, args, name in (("dcmcrle", [], "rle"), ("dcmcjpeg", ["+e1"], "jpeg"), ("dcmcjpls", [], "jpegls")):
        subprocess.run([tool, *args, p("frames12.dcm"), p(f"frames12-{name}.dcm")], check=True)

    ds = dataset(12, 16, bits=16, stored=12)
    ds.WindowCenter, ds.WindowWidth = "2048", "1024"
    save(ds, frames[0], p("window12.dcm"))
    with_frame_count(p("frames12.dcm"), "abc", p("frames-abc.dcm"))
    with_frame_count(p("frames12.dcm"), "99999999999", p("frames-11-digits.dcm"))
    save(dataset(1, 1, frames=20000), np.zeros(20000, "u1"), p("frames20000.dcm"))

    x, y = grid(20, 10)
    ds = dataset(10, 20, bits=16)
    ds.ImagerPixelSpacing = ["0.15", "0.15"]
    save(ds, ((x * 4099 + y * 13) % 65536).astype("<u2"), p("mono16.dcm"))

    x, y = grid(8, 6)
    ds = dataset(6, 8, bits=16, stored=12, signed=True)
    ds.RescaleSlope, ds.RescaleIntercept = "1", "-1024"
    save(ds, ((x * 97 + y * 41) % 4096 - 2048).astype("<i2"), p("signed12.dcm"))

    ds = dataset(6, 8, photometric="MONOCHROME1")
    save(ds, (x * 16 + y).astype("u1"), p("mono1.dcm"))

    ds = dataset(6, 8, photometric="PALETTE COLOR")
    index = np.arange(256)
    for colour, table in (("Red", index * 257), ("Green", (255 - index) * 257), ("Blue", np.full(256, 30000))):
        ds.add_new(f"{colour}PaletteColorLookupTableDescriptor", "US", [256, 0, 16])
        ds.add_new(f"{colour}PaletteColorLookupTableData", "OW", table.astype("<u2").tobytes())
    save(ds, (x * 16 + y).astype("u1"), p("palette.dcm"))

    rgb = np.stack([x * 16, y * 20, np.full_like(x, 100)], axis=-1).astype("u1")
    save(dataset(6, 8, samples=3, photometric="RGB"), rgb, p("rgb8.dcm"))
    ds = dataset(6, 8, samples=3, photometric="RGB")
    ds.PlanarConfiguration = 1
    save(ds, np.ascontiguousarray(rgb.transpose(2, 0, 1)), p("rgb8-planar.dcm"))
    Image.fromarray(rgb, "RGB").save(p("rgb8-bmp.bmp"))
    subprocess.run(["img2dcm", "-i", "BMP", p("rgb8-bmp.bmp"), p("rgb8-img2dcm.dcm")], check=True)

    x, y = grid(20, 10)
    gray16 = Image.fromarray(((x * 4099 + y * 13) % 65536).astype("uint16"))
    gray16.save(p("gray16.png"), dpi=(254, 254))
    gray16.save(p("gray16.tif"), dpi=(508, 508))
    x, y = grid(8, 6)
    write_rgb16_png(p("rgb16.png"), np.stack([x * 8000, y * 12000, np.full_like(x, 30000)], axis=-1))
    pages = [Image.fromarray(((x * 8 + y + k * 50) % 256).astype("uint8")) for k in range(3)]
    pages[0].save(p("pages.tif"), save_all=True, append_images=pages[1:])

    ds = dataset(65535, 65535, frames=60000, bits=16)
    save(ds, np.zeros(32, "<u2"), p("huge-size.dcm"))
    save(dataset(64, 64), np.zeros(100, "u1"), p("short-data.dcm"))
    ds = dataset(8, 8)
    ds.file_meta.TransferSyntaxUID = JPEG2000Lossless
    ds.PixelData = encapsulate([b"\xff\x4f\xff\x51" + b"\0" * 60])
    ds["PixelData"].is_undefined_length = True
    ds.save_as(p("jpeg2000.dcm"), write_like_original=False)
    save(dataset(2, 2, bits=32), np.arange(4, dtype="<u4"), p("bits32.dcm"))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
