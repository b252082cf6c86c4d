#include "ops/morphology/components.h"

Components connectedComponents(const cimg_library::CImg<unsigned char> &member, bool eightConnected)
{
    Components c;
    c.label = member.get_label(eightConnected);
    // Labels are numbered in raster order, so a label not seen before is one more than the
    // last one seen: the first pixel of each region says what the region is.
    for (size_t p = 0; p < member.size(); ++p) {
        const unsigned long l = c.label[p];
        if (l == c.size.size()) {
            c.member.push_back(member[p] != 0);
            c.size.push_back(0);
            c.count += member[p] != 0;
        }
        ++c.size[l];
    }
    return c;
}

long Components::largest() const
{
    long best = -1;
    for (size_t l = 0; l < size.size(); ++l)
        if (member[l] && (best < 0 || size[l] > size[size_t(best)])) best = long(l);
    return best;
}
