// A direct reader for the .cimg files the program writes itself: one image of doubles in
// the machine's byte order, read straight into the image's own buffer. The library's reader
// goes through a second buffer as large as the image and converts element by element.
#pragma once
#include <QString>

#include "ops/core/image.h"

// Reads path into image when the file is exactly such a file and true; false (image
// untouched) for anything else: other pixel types, byte orders, lists, compressed data,
// comments or a file of the wrong length, which the library's reader handles. The header
// must have been checked against the reader's limits before.
bool readNativeCimg(const QString &path, Image &image);
