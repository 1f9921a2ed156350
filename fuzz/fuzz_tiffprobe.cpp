// The TIFF and BigTIFF directory walk over any bytes: sizes, depths, page chains, raw marks.
#include "FuzzInput.h"
#include "platform/imaging/FileProbe.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = FuzzBytes(data, size);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    q32::ImageInfo info;
    q32::imaging::TiffKind kind = q32::imaging::TiffKind::Plain;
    q32::imaging::ProbeTiff(device, info, &kind);
    if (info.pageCount < 1 || info.orientation < 1 || info.orientation > 8)
        std::abort();
    return 0;
}
