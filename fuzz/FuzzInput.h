#pragma once
// The fuzzer's bytes as a QByteArray without a copy, and the one check every decoder owes us:
// success means a picture, failure means none.
#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
#include <QImage>
#include <cstdlib>

inline QByteArray FuzzBytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline void CheckDecoded(q32::ImagingCondition c, const QImage& out) {
    if ((c == q32::ImagingCondition::None) == out.isNull())
        std::abort();
}
