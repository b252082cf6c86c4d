// The one place that includes CImg. The build defines cimg_display=0 (no X11 code of
// its own) and cimg_use_fftw3 (Fourier transforms of any size).
#pragma once
#include <CImg.h>
