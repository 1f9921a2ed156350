// HEIF and AVIF boxes: the brand sniff over a file's start and the primary item's properties
// over a 'meta' box payload.
#include "FuzzInput.h"
#include "platform/imaging/IsoBmff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = FuzzBytes(data, size);
    const int code = q32::imaging::IsoBmffImageCode(q32::imaging::ByteReader(bytes));
    if (code != 0 && code != 85 && code != 86 && code != 90)
        std::abort();
    q32::imaging::PrimaryItemTurned(bytes);
    return 0;
}
