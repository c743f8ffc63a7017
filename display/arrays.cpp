#include "display/gui.h"

int Copy1D(const double *input, int n, double *output) {
  if (n < 1) return ARRAY_BAD_SIZE;
  for (int i = 0; i < n; ++i) output[i] = input[i];
  return 0;
}

// The copy runs away from the side being filled, so input and output may be
// the same array.
int Shift(const double *input, int n, int shift, double *output) {
  if (n < 1) return ARRAY_BAD_SIZE;
  if (shift >= n || shift <= -n) return ARRAY_BAD_SHIFT;
  if (shift == 0) return Copy1D(input, n, output);
  if (shift > 0) {
    for (int i = n - 1; i >= shift; --i) output[i] = input[i - shift];
    for (int i = 0; i < shift; ++i) output[i] = 0.0;
    return 0;
  }
  const int m = -shift;
  for (int i = 0; i <= n - m - 1; ++i) output[i] = input[i + m];
  for (int i = n - m; i < n; ++i) output[i] = 0.0;
  return 0;
}
