#include "platform/imaging/DirectCodecs.h"

#include <sys/mman.h>

namespace q32::imaging {
namespace {

constexpr size_t kHugePage = size_t(2) << 20;

struct Mapping {
    void* data;
    size_t size;
};

void Unmap(void* info) {
    auto* m = static_cast<Mapping*>(info);
    munmap(m->data, m->size);
    delete m;
}

} // namespace

QImage NewLargeImage(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0)
        return QImage();
    const qsizetype bytesPerLine =
        ((qsizetype(width) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (bytes < 4 * kHugePage)
        return QImage(width, height, format);
    const size_t mapped = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return QImage();
    madvise(p, mapped, MADV_HUGEPAGE); // a hint: without it we still have plain pages
    QImage img(static_cast<uchar*>(p), width, height, bytesPerLine, format, Unmap,
               new Mapping{p, mapped});
    if (img.isNull())
        munmap(p, mapped);
    return img;
}

} // namespace q32::imaging
