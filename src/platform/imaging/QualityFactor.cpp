#include "platform/imaging/QualityFactor.h"

#include <cmath>

namespace q32 {

bool QualityFactorValid(int factor) {
    return factor >= -9 && factor <= 255;
}

int JpegQualityFromFactor(int factor) {
    static const int predefined[9] = {98, 95, 92, 88, 80, 70, 60, 40, 20};
    if (factor < 0)
        return predefined[factor < -9 ? 8 : -factor - 1];
    if (factor <= 2)
        return 100;
    if (factor <= 20)
        return int(std::lround(100.0 - (factor - 2) * 15.0 / 18.0));
    if (factor >= 255)
        return 5;
    return int(std::lround(85.0 - (factor - 20) * 80.0 / 235.0));
}

} // namespace q32
