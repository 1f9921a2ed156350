// The metafile summary walks records whose lengths come from the file.
#include "FuzzInput.h"
#include "platform/imaging/OwnCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const q32::imaging::WmfSummary s = q32::imaging::SummariseWmf(FuzzBytes(data, size));
    if (s.width < 0 || s.height < 0)
        std::abort();
    return 0;
}
