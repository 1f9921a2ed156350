#include "album/AlbumCopy.h"

#include <QElapsedTimer>

namespace q32 {
namespace {

// Row ids are read this many at a time.
constexpr int kIdBatch = 1000;
// A group is committed after this many bytes or this long, whichever comes first.
constexpr qint64 kGroupBytes = 64 << 20;
constexpr qint64 kGroupMs = 2000;

// Whether to holds only records of from, under the same ids: what an interrupted copy leaves.
AlbumStatus checkResumable(AlbumStore& from, AlbumStore& to, qint64* kept) {
    *kept = 0;
    AlbumStatus s;
    for (qint64 after = 0;;) {
        const QList<qint64> ids = to.rowIds(after, kIdBatch, &s);
        if (!s.ok() || ids.isEmpty())
            return s;
        for (const qint64 id : ids) {
            const auto there = to.record(id, &s);
            if (!there)
                return s;
            const auto source = from.record(id, &s);
            if (!source && s.condition != AlbumCondition::NoCurrentRecord)
                return s;
            if (!source || source->imageFile != there->imageFile)
                return {AlbumCondition::FileExists,
                        QStringLiteral("%1 holds records that are not those of %2")
                            .arg(to.location(), from.location())};
        }
        *kept += ids.size();
        after = ids.last();
    }
}

// Copies one binary field unless it is Null (the new row's fields start Null).
AlbumStatus copyField(AlbumStore& from, AlbumStore& to, qint64 id, PictureField field,
                      qint64* bytes) {
    AlbumStatus s;
    const std::unique_ptr<FieldReader> reader = from.readField(id, field, &s);
    if (!reader || reader->size() < 0)
        return s;
    *bytes += reader->size();
    return to.storeField(id, field, *reader);
}

AlbumStatus copyRecord(AlbumStore& from, AlbumStore& to, qint64 id, qint64* bytes) {
    AlbumStatus s;
    const auto fields = from.record(id, &s);
    if (!fields)
        return s;
    const std::unique_ptr<FieldReader> image = from.readField(id, PictureField::Image, &s);
    if (!image)
        return s;
    *bytes += std::max<qint64>(image->size(), 0);
    s = to.addRecordFrom(*fields, image->size() < 0 ? nullptr : image.get(), nullptr, true);
    for (const PictureField field : {PictureField::SoundFile, PictureField::Thumbnail})
        if (s.ok())
            s = copyField(from, to, id, field, bytes);
    if (!s.ok())
        return s;
    const QByteArray thumbnail = from.thumbnail(id, &s);
    if (s.ok() && !thumbnail.isEmpty())
        s = to.storeThumbnail(id, thumbnail);
    return s;
}

} // namespace

CopyResult CopyAlbum(AlbumStore& from, AlbumStore& to,
                     const std::function<bool(const CopyProgress&)>& onProgress) {
    CopyResult result;
    if (to.isReadOnly()) {
        result.status = {AlbumCondition::CannotWrite, to.location()};
        return result;
    }
    result.status = checkResumable(from, to, &result.kept);
    if (!result.status.ok())
        return result;
    CopyProgress progress{result.kept, from.rowCount(&result.status)};
    if (!result.status.ok())
        return result;

    std::unique_ptr<WriteGroup> group;
    qint64 groupBytes = 0;
    qint64 inGroup = 0;
    QElapsedTimer age;
    auto commit = [&]() -> bool {
        if (group) {
            result.status = group->commit();
            group.reset();
        }
        if (!result.status.ok())
            return false;
        result.copied += inGroup;
        progress.done += inGroup;
        inGroup = 0;
        groupBytes = 0;
        if (onProgress && !onProgress(progress)) {
            result.status = {AlbumCondition::Cancelled, {}};
            return false;
        }
        return true;
    };
    for (qint64 after = 0;;) {
        const QList<qint64> ids = from.rowIds(after, kIdBatch, &result.status);
        if (!result.status.ok())
            return result;
        if (ids.isEmpty())
            break;
        after = ids.last();
        for (const qint64 id : ids) {
            AlbumStatus s;
            if (to.record(id, &s))
                continue; // copied by an interrupted run
            if (s.condition != AlbumCondition::NoCurrentRecord) {
                result.status = s;
                return result;
            }
            if (!group) {
                group = to.beginGroup(&result.status);
                if (!group)
                    return result;
                age.start();
            }
            result.status = copyRecord(from, to, id, &groupBytes);
            if (!result.status.ok())
                return result; // the group goes without its commit: none of it is kept
            ++inGroup;
            if ((groupBytes >= kGroupBytes || age.elapsed() >= kGroupMs) && !commit())
                return result;
        }
    }
    commit();
    return result;
}

} // namespace q32
