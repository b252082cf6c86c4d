// The complex value of the Fourier transforms.
#pragma once

namespace fast {

// A complex value laid out as FFTW's (re, im) pair; trivial, so big arrays of it are
// not zero-filled before use.
struct Complex {
    double re, im;
};

}  // namespace fast
