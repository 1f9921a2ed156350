// Through libexif: a parser that has been fuzzed for years beats another one of our own.
#include "platform/imaging/Exif.h"

#include <libexif/exif-data.h>
#include <memory>

namespace q32::imaging {
namespace {

struct ExifDataFree {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};

QByteArray AsciiValue(ExifData* data, ExifTag tag) {
    for (ExifIfd ifd : {EXIF_IFD_EXIF, EXIF_IFD_0}) {
        ExifEntry* e = exif_content_get_entry(data->ifd[ifd], tag);
        if (e && e->data && e->format == EXIF_FORMAT_ASCII)
            return QByteArray(reinterpret_cast<const char*>(e->data), qsizetype(e->size));
    }
    return {};
}

} // namespace

std::optional<QDateTime> ParseExifDateTime(const QByteArray& text) {
    const QString s =
        QString::fromLatin1(text.left(19)).replace(QLatin1Char('-'), QLatin1Char(':'));
    const QDateTime t = QDateTime::fromString(s, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (t.isValid())
        return t;
    // Some cameras write the date alone.
    const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy:MM:dd"));
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    return std::nullopt;
}

ExifFacts ReadExif(const QByteArray& block) {
    ExifFacts facts;
    if (block.size() < 8)
        return facts;
    QByteArray data = block;
    if (block.startsWith("II") || block.startsWith("MM")) // a bare TIFF structure
        data.prepend(QByteArray("Exif\0\0", 6));
    std::unique_ptr<ExifData, ExifDataFree> exif(exif_data_new());
    if (!exif)
        return facts;
    // Left on, this option fills in missing "mandatory" tags, a date among them: today's.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                        unsigned(qMin<qsizetype>(data.size(), 0x7FFFFFFF)));
    if (ExifEntry* e = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        e && e->data && e->format == EXIF_FORMAT_SHORT && e->size >= 2) {
        const int o = exif_get_short(e->data, exif_data_get_byte_order(exif.get()));
        facts.orientation = o >= 1 && o <= 8 ? o : 0;
    }
    facts.taken = ParseExifDateTime(AsciiValue(exif.get(), EXIF_TAG_DATE_TIME_ORIGINAL));
    if (!facts.taken)
        facts.taken = ParseExifDateTime(AsciiValue(exif.get(), EXIF_TAG_DATE_TIME_DIGITIZED));
    return facts;
}

} // namespace q32::imaging
