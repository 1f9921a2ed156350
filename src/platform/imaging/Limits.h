#pragma once
// How large a picture we agree to decode: beyond this a declared size is refused before any
// pixel memory exists (a 100000 x 100000 header is a lie or a bomb).

#include <cstdint>

namespace q32::imaging {

inline constexpr int kMaxSide = 65535;
inline constexpr std::int64_t kMaxPixels = 16384LL * 16384LL; // 1 GiB at 32 bits per pixel
inline constexpr int kQtAllocationLimitMb = 1100;

inline bool SizeAcceptable(std::int64_t w, std::int64_t h) {
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

} // namespace q32::imaging
