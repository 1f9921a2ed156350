#pragma once
// The quality factor of the save options: 2 is the best picture and 255 the smallest file;
// -1 .. -9 are the predefined factors, from "PQ1" (best) to "MC" (most compression).
//
// Onto libjpeg's quality 1..100, falling monotonically as the factor grows:
//   2 -> 100, 20 -> 85 (a visually clean photo), then straight on to 255 -> 5;
//   -1 -> 98, -2 -> 95, -3 -> 92, -4 -> 88, -5 -> 80, -6 -> 70, -7 -> 60, -8 -> 40, -9 -> 20.
// Factors 0 and 1 count as 2. Lossless encoders ignore the factor.

namespace q32 {

bool QualityFactorValid(int factor); // -9..-1 and 0..255
int JpegQualityFromFactor(int factor);

} // namespace q32
