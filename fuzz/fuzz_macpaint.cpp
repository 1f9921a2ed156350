// Decodes any bytes; a picture that decodes must come back the same size through our writer.
#include "FuzzInput.h"
#include "platform/imaging/OwnCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QImage out;
    const q32::ImagingCondition c = q32::imaging::DecodeMacPaint(FuzzBytes(data, size), out);
    CheckDecoded(c, out);
    if (c == q32::ImagingCondition::None && out.width() * qint64(out.height()) <= 1 << 20) {
        QImage again;
        const QByteArray written = q32::imaging::EncodeMacPaint(out);
        if (q32::imaging::DecodeMacPaint(written, again) != q32::ImagingCondition::None ||
            again.size() != out.size())
            std::abort();
    }
    return 0;
}
