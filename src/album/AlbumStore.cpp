#include "album/AlbumStore.h"

#include <QFile>

namespace q32 {
namespace {

const char* const kNames[] = {"Date",      "Thumbnail",  "Image",       "SoundFile",
                              "SoundType", "ImageFile",  "ImageFormat", "ImageProperties",
                              "Keywords",  "Description"};
const int kSizes[] = {0, 0, 0, 0, 128, 128, 55, 80, 128, 0};

// Pieces of a file handed to an album.
constexpr qint64 kFilePiece = 1 << 20;

class FileReader : public FieldReader {
public:
    explicit FileReader(const QString& path) : m_file(path) {}
    bool open() { return m_file.open(QIODevice::ReadOnly); }
    qint64 size() const override { return m_file.size(); }
    AlbumStatus next(QByteArray& piece) override {
        piece = m_file.read(kFilePiece);
        if (m_file.error() != QFileDevice::NoError)
            return {AlbumCondition::PathAccess,
                    m_file.fileName() + QStringLiteral(": ") + m_file.errorString()};
        return {};
    }

private:
    QFile m_file;
};

class BytesReader : public FieldReader {
public:
    explicit BytesReader(QByteArrayView bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    AlbumStatus next(QByteArray& piece) override {
        const QByteArrayView part =
            m_bytes.sliced(m_at, std::min(kFilePiece, m_bytes.size() - m_at));
        piece = part.toByteArray();
        m_at += part.size();
        return {};
    }

private:
    QByteArrayView m_bytes;
    qint64 m_at = 0;
};

} // namespace

const char* PictureFieldName(PictureField field) {
    return kNames[int(field)];
}

int PictureFieldSize(PictureField field) {
    return kSizes[int(field)];
}

bool IsBinaryField(PictureField field) {
    return field == PictureField::Thumbnail || field == PictureField::Image ||
           field == PictureField::SoundFile;
}

AlbumStatus CheckRecordTexts(const PictureRecord& r) {
    const std::pair<PictureField, const QString*> texts[] = {
        {PictureField::SoundType, &r.soundType},
        {PictureField::ImageFile, &r.imageFile},
        {PictureField::ImageFormat, &r.imageFormat},
        {PictureField::ImageProperties, &r.imageProperties},
        {PictureField::Keywords, &r.keywords}};
    for (const auto& [field, text] : texts)
        if (text->size() > PictureFieldSize(field))
            return {AlbumCondition::FieldTooLong, QStringLiteral("%1 holds at most %2 characters")
                                                      .arg(QLatin1String(PictureFieldName(field)))
                                                      .arg(PictureFieldSize(field))};
    if (r.imageFile.isEmpty())
        return {AlbumCondition::EmptyKey, QStringLiteral("ImageFile")};
    return {};
}

std::unique_ptr<FieldReader> BytesFieldReader(QByteArrayView bytes) {
    return std::make_unique<BytesReader>(bytes);
}

std::unique_ptr<FieldReader> FileFieldReader(const QString& path, AlbumStatus* status) {
    auto reader = std::make_unique<FileReader>(path);
    if (!reader->open()) {
        *status = {QFile::exists(path) ? AlbumCondition::PathAccess : AlbumCondition::FileNotFound,
                   path};
        return nullptr;
    }
    *status = {};
    return reader;
}

bool IsServerAlbumName(const QString& name) {
    return name.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
           name.startsWith(u"postgres://", Qt::CaseInsensitive);
}

} // namespace q32
