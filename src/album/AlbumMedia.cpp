#include "album/AlbumMedia.h"

#include "album/AlbumThumbnails.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QMutex>
#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <atomic>
#include <vector>

namespace q32 {

// Reads one binary field through a blob handle kept open while the device lives: a handle of
// its own knows where each part of the field lies, a new one has to find it again (for a large
// field near its end, a good part of a second).
class BlobDevice : public QIODevice {
public:
    BlobDevice(sqlite::Database& db, qint64 rowId, PictureField field)
        : m_db(db), m_rowId(rowId), m_field(field) {}
    ~BlobDevice() override { m_blob.close(); }

    bool openField() {
        if (!m_blob.open(m_db, "Pictures", PictureFieldName(m_field), m_rowId, false).ok())
            return false;
        m_size = m_blob.size();
        return m_size > 0 && open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    // Reads a byte every mebibyte, front to back, so that the handle knows the whole field.
    bool walk(const std::function<bool()>& cancelled) {
        char byte = 0;
        for (qint64 at = 0; at < m_size; at += 1 << 20) {
            if (cancelled() || m_blob.read(&byte, 1, int(at)) != SQLITE_OK)
                return false;
        }
        return m_blob.read(&byte, 1, int(m_size - 1)) == SQLITE_OK;
    }

    // The album is closing: no read from now on.
    void detach() {
        m_detached = true;
        m_blob.close();
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = std::min(max, m_size - pos());
        if (n <= 0)
            return n == 0 ? 0 : -1;
        if (m_detached)
            return -1;
        int rc = m_blob.read(data, int(n), int(pos()));
        if (rc == SQLITE_ABORT || rc == SQLITE_ABORT_ROLLBACK) {
            // The row was written meanwhile (its texts edited): the same field is read on.
            if (!m_blob.open(m_db, "Pictures", PictureFieldName(m_field), m_rowId, false).ok() ||
                m_blob.size() != m_size)
                return -1;
            rc = m_blob.read(data, int(n), int(pos()));
        }
        return rc == SQLITE_OK ? n : -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    sqlite::Database& m_db;
    const qint64 m_rowId;
    const PictureField m_field;
    sqlite::Blob m_blob;
    qint64 m_size = 0;
    bool m_detached = false;
};

BlobFieldReader::BlobFieldReader(AlbumDb& album, qint64 rowId, PictureField field)
    : m_db(album.connection()), m_rowId(rowId), m_field(field) {
    if (m_blob.open(m_db, "Pictures", PictureFieldName(field), rowId, false).ok())
        m_size = m_blob.size();
}

qint64 BlobFieldReader::read(char* data, qint64 length, qint64 offset) {
    const qint64 n = std::clamp<qint64>(m_size - offset, 0, length);
    if (n == 0 || offset < 0)
        return offset < 0 ? -1 : 0;
    int rc = m_blob.read(data, int(n), int(offset));
    if (rc == SQLITE_ABORT || rc == SQLITE_ABORT_ROLLBACK) {
        // The row's texts were written meanwhile: the same field is read on.
        if (!m_blob.open(m_db, "Pictures", PictureFieldName(m_field), m_rowId, false).ok() ||
            m_blob.size() != m_size)
            return -1;
        rc = m_blob.read(data, int(n), int(offset));
    }
    return rc == SQLITE_OK ? n : -1;
}

struct AlbumMedia::Shared {
    std::atomic_bool closing = false;
    QMutex mutex; // guards devices
    std::vector<std::weak_ptr<BlobDevice>> devices;
};

AlbumMedia::AlbumMedia(AlbumDb& album) : m_album(album), m_shared(std::make_shared<Shared>()) {
    // One read at a time: a newer one waits for the piece in hand of a cancelled one only.
    m_worker.setMaxThreadCount(1);
}

AlbumMedia::~AlbumMedia() {
    m_shared->closing = true;
    m_worker.waitForDone();
    QMutexLocker lock(&m_shared->mutex);
    for (const std::weak_ptr<BlobDevice>& d : m_shared->devices)
        if (const auto device = d.lock())
            device->detach();
}

QImage AlbumMedia::thumbnail(qint64 rowId) {
    const std::optional<QByteArray> jpeg = ReadThumbnail(m_album, rowId);
    return jpeg && !jpeg->isEmpty() ? QImage::fromData(*jpeg, "JPEG") : QImage();
}

QFuture<QByteArray> AlbumMedia::read(qint64 rowId, PictureField field) {
    sqlite::Database* db = &m_album.connection();
    return QtConcurrent::run(
        &m_worker, [db, rowId, field, shared = m_shared](QPromise<QByteArray>& promise) {
            sqlite::Blob blob;
            if (!blob.open(*db, "Pictures", PictureFieldName(field), rowId, false).ok()) {
                promise.addResult(QByteArray());
                return;
            }
            const int size = blob.size();
            QByteArray bytes(size, Qt::Uninitialized);
            for (int at = 0; at < size; at += Piece) {
                if (promise.isCanceled() || shared->closing) {
                    // Ended without a result, it must read as cancelled: a continuation would
                    // otherwise be run on the result that is not there.
                    promise.future().cancel();
                    return;
                }
                if (blob.read(bytes.data() + at, std::min(Piece, size - at), at) != SQLITE_OK) {
                    promise.addResult(QByteArray());
                    return;
                }
            }
            promise.addResult(bytes);
        });
}

QFuture<std::shared_ptr<QIODevice>> AlbumMedia::openStream(qint64 rowId, PictureField field) {
    sqlite::Database* db = &m_album.connection();
    QThread* interfaceThread = QCoreApplication::instance()->thread();
    return QtConcurrent::run(&m_worker, [db, rowId, field, interfaceThread, shared = m_shared](
                                            QPromise<std::shared_ptr<QIODevice>>& promise) {
        auto device = std::make_shared<BlobDevice>(*db, rowId, field);
        const auto cancelled = [&] { return promise.isCanceled() || shared->closing.load(); };
        if (!device->openField() || !device->walk(cancelled)) {
            device.reset();
            promise.addResult(std::shared_ptr<QIODevice>());
            return;
        }
        {
            QMutexLocker lock(&shared->mutex);
            std::erase_if(shared->devices, [](const auto& d) { return d.expired(); });
            shared->devices.push_back(device);
        }
        device->moveToThread(interfaceThread);
        promise.addResult(std::shared_ptr<QIODevice>(device));
    });
}

} // namespace q32
