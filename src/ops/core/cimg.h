// The one place that includes CImg. The build defines cimg_display=0 (no X11 code of
// its own), cimg_use_fftw3 (Fourier transforms of any size) and cimg_use_pthread: without
// it CImg's internal mutexes are empty functions, and images are processed on several
// threads at once.
#pragma once
#include <pthread.h>  // CImg uses it under cimg_use_pthread but does not include it
#include <CImg.h>
