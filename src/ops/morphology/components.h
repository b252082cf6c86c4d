// Connected components of a binary picture, labelled by CImg's get_label (Hesselink,
// Meijster and Bron's union-find labelling): the one labelling that the field of view,
// speck removal and the skeleton's segment count share.
#pragma once
#include <cstddef>
#include <vector>

#include "ops/core/image.h"

struct Components {
    // Every pixel's region: the components of the members and the regions of the rest,
    // numbered from 0 in the raster order of their first pixels.
    cimg_library::CImg<unsigned long> label;
    std::vector<char> member;  // by label: a component of members
    std::vector<size_t> size;  // by label: its pixels
    size_t count = 0;          // the components of members

    bool isMember(size_t pixel) const { return member[label[pixel]] != 0; }
    // The component of the members with the most pixels, the first in raster order among
    // equals; -1 when there are no members.
    long largest() const;
};

// The components of the pixels where member is non-zero, 8-connected or 4-connected.
Components connectedComponents(const cimg_library::CImg<unsigned char> &member, bool eightConnected);
