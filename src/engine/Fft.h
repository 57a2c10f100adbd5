// In-place complex radix-2 FFT in single precision, used to build the oscillator tables.
#pragma once

// Forward transform of n complex values (n a power of two), real parts in re, imaginary in im.
void fftForward(float* re, float* im, int n);
