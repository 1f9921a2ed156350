// Recognising a format from any first bytes, with any claimed file length; icon directories.
#include "FuzzInput.h"
#include "platform/imaging/FormatSniffer.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qint64 fileSize = qint64(size);
    if (size >= 8) { // the first eight bytes say how long the whole file claims to be
        std::memcpy(&fileSize, data, 8);
        data += 8;
        size -= 8;
    }
    const q32::imaging::Sniffed s =
        q32::imaging::SniffFormat(FuzzBytes(data, qMin<size_t>(size, 4096)), fileSize);
    if (s.code < 0 || s.code > 99)
        std::abort();
    // Icon directories rewritten from their embedded pictures keep the file's length.
    const QByteArray whole = FuzzBytes(data, size);
    if (q32::imaging::IconWithTrueDirectory(whole).size() != whole.size())
        std::abort();
    return 0;
}
