// The WordPerfect raster row code: any bytes as a row must come back unchanged and within the
// bound the writer allocates; any bytes as coded data must decode without overrunning.
#include "FuzzInput.h"
#include "platform/imaging/OwnCodecs.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace q32::imaging;
    const int n = int(qMin<size_t>(size, 1 << 16));
    std::vector<uchar> coded(size_t(WpgRleBound(n)) + 64, 0xA5);
    const uchar* end = WpgRle(data, n, coded.data());
    if (end - coded.data() > WpgRleBound(n) || coded[size_t(WpgRleBound(n))] != 0xA5)
        std::abort();
    const QByteArray packed(reinterpret_cast<const char*>(coded.data()), end - coded.data());
    std::vector<uchar> row(size_t(n) + 1);
    qsizetype pos = 0;
    if (!WpgUnRle(packed, pos, row.data(), n) || pos != packed.size() ||
        std::memcmp(row.data(), data, size_t(n)) != 0)
        std::abort();

    // The same bytes read as coded data for a row as long as the input.
    pos = 0;
    WpgUnRle(FuzzBytes(data, size), pos, row.data(), n);
    if (pos > qsizetype(size))
        std::abort();
    return 0;
}
