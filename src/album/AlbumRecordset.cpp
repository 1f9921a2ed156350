#include "album/AlbumRecordset.h"

#include "album/AlbumEngine.h"

namespace q32 {

AlbumRecordset::AlbumRecordset(AlbumDb& album, const AlbumQuery& query)
    : m_album(album), m_query(query) {
    requery();
}

AlbumStatus AlbumRecordset::requery() {
    const qint64 keep = currentRowId();
    m_ids.clear();
    m_text.clear();
    m_spans.clear();
    m_slots.clear();
    m_positions.clear();
    m_pos = -1;
    m_stamp = m_album.changeStamp();
    sqlite::Error e;
    const OrderIndexes& indexes = m_album.orderIndexes();
    if (m_query.isSimilar()) {
        // A handful of rows in an order of their own: read now, the ones deleted meanwhile left
        // out.
        for (const qint64 id : std::as_const(m_query.similarRows)) {
            AlbumStatus s;
            const auto r = m_album.record(id, &s);
            if (!r && s.condition != AlbumCondition::NoCurrentRecord) {
                e = m_album.connection().lastError();
                break;
            }
            if (!r)
                continue;
            m_ids.push_back(id);
            m_slots.push_back(kNotLoaded);
            cache(qint64(m_ids.size()) - 1, *r);
        }
    } else if (m_query.streamsFromIndex(indexes)) {
        // Only the ids now; each screen's texts are read when it is shown.
        sqlite::Statement st = m_album.connection().prepare(m_query.idsSql(indexes), &e);
        int rc = SQLITE_DONE;
        while (e.ok() && (rc = st.step()) == SQLITE_ROW)
            m_ids.push_back(st.int64(0));
        if (e.ok() && rc != SQLITE_DONE)
            e = m_album.connection().lastError();
        m_slots.assign(m_ids.size(), kNotLoaded);
    } else {
        sqlite::Statement st = m_album.connection().prepare(m_query.rowsSql(indexes), &e);
        if (e.ok()) {
            if (m_query.isFilter())
                st.bind(1, m_query.pattern());
            sqlite3_stmt* raw = st.handle();
            int rc;
            while ((rc = st.step()) == SQLITE_ROW) {
                m_ids.push_back(st.int64(0));
                m_slots.push_back(qint32(m_spans.size()));
                for (int c = 1; c <= kTexts; ++c) {
                    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
                    if (data)
                        append(data, sqlite3_column_bytes(raw, c));
                    else
                        m_spans.push_back({});
                }
            }
            if (rc != SQLITE_DONE)
                e = m_album.connection().lastError();
        }
    }
    m_status = engine::fromSqlite(e);
    if (!m_status.ok()) {
        m_ids.clear();
        m_text.clear();
        m_spans.clear();
        m_slots.clear();
    }
    if (!m_ids.empty()) {
        const qint64 at = keep ? positionOf(keep) : -1;
        m_pos = at >= 0 ? at : 0;
    }
    return m_status;
}

qint64 AlbumRecordset::rowIdAt(qint64 position) const {
    return position >= 0 && position < recordCount() ? m_ids[size_t(position)] : 0;
}

AlbumStatus AlbumRecordset::moveTo(qint64 position) {
    if (position < 0 || position >= recordCount())
        return {AlbumCondition::NoCurrentRecord, {}};
    m_pos = position;
    return {};
}

qint64 AlbumRecordset::positionOf(qint64 rowId) const {
    if (m_positions.isEmpty() && !m_ids.empty()) {
        m_positions.reserve(qsizetype(m_ids.size()));
        for (size_t i = 0; i < m_ids.size(); ++i)
            m_positions.insert(m_ids[i], qint64(i));
    }
    return m_positions.value(rowId, -1);
}

AlbumStatus AlbumRecordset::findRowId(qint64 rowId) {
    const qint64 at = positionOf(rowId);
    return at < 0 ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}} : moveTo(at);
}

std::optional<PictureRecord> AlbumRecordset::current(AlbumStatus* status) {
    return recordAt(m_pos, status);
}

std::optional<PictureRecord> AlbumRecordset::recordAt(qint64 position, AlbumStatus* status) {
    if (position < 0 || position >= recordCount()) {
        if (status)
            *status = {AlbumCondition::NoCurrentRecord, {}};
        return std::nullopt;
    }
    const qint64 id = m_ids[size_t(position)];
    if (m_album.changeStamp() != m_stamp)
        return m_album.record(id, status);
    ensureLoaded(position);
    PictureRecord r = cached(position);
    AlbumStatus s;
    // The sound's size comes from the row's header; the picture before it is not read.
    r.soundSize = m_album.fieldSize(id, PictureField::SoundFile, &s);
    if (status)
        *status = s;
    if (!s.ok())
        return std::nullopt;
    return r;
}

AlbumRecordset::Span* AlbumRecordset::newSlot(qint64 position) {
    m_slots[size_t(position)] = qint32(m_spans.size());
    m_spans.resize(m_spans.size() + kTexts);
    return &m_spans[m_spans.size() - kTexts];
}

void AlbumRecordset::ensureLoaded(qint64 position) {
    if (m_slots[size_t(position)] != kNotLoaded)
        return;
    const qint64 first = position - position % kBlock;
    const qint64 last = std::min(first + kBlock, recordCount());
    sqlite::Error e;
    sqlite::Statement st =
        m_album.connection().prepare(m_query.blockSql(m_album.orderIndexes()), &e);
    if (e.ok()) {
        st.bind(1, kBlock);
        st.bind(2, first);
        sqlite3_stmt* raw = st.handle();
        for (qint64 at = first; st.step() == SQLITE_ROW; ++at) {
            // Rows edited here since the ids were read may have moved: place each by its id.
            const qint64 id = st.int64(0);
            const qint64 p = at < last && m_ids[size_t(at)] == id ? at : positionOf(id);
            if (p < first || p >= last || m_slots[size_t(p)] != kNotLoaded)
                continue;
            Span* span = newSlot(p);
            for (int c = 1; c <= kTexts; ++c) {
                const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
                span[c - 1] =
                    data ? Span{qint64(m_text.size()), sqlite3_column_bytes(raw, c)} : Span{};
                if (data)
                    m_text.append(data, span[c - 1].length);
            }
        }
    }
    // Whatever the block did not bring is read row by row.
    for (qint64 p = first; p < last; ++p) {
        if (m_slots[size_t(p)] != kNotLoaded)
            continue;
        if (const auto r = m_album.record(m_ids[size_t(p)]))
            cache(p, *r);
        else
            newSlot(p); // unreadable: every text Null
    }
}

void AlbumRecordset::append(const char* data, int length) {
    m_spans.push_back({qint64(m_text.size()), length});
    m_text.append(data, length);
}

PictureRecord AlbumRecordset::cached(qint64 position) const {
    const Span* span = &m_spans[size_t(m_slots[size_t(position)])];
    auto text = [&](int i) {
        return span[i].length < 0
                   ? QString()
                   : QString::fromUtf8(m_text.data() + span[i].start, span[i].length);
    };
    PictureRecord r;
    r.rowId = m_ids[size_t(position)];
    r.date = QDate::fromString(text(0), Qt::ISODate);
    r.soundType = text(1);
    r.imageFile = text(2);
    r.imageFormat = text(3);
    r.imageProperties = text(4);
    r.keywords = text(5);
    r.description = text(6);
    return r;
}

void AlbumRecordset::cache(qint64 position, const PictureRecord& r) {
    // The new texts go to the end; the old ones stay unused until the next requery.
    const QString texts[kTexts] = {r.date.isValid() ? r.date.toString(Qt::ISODate) : QString(),
                                   r.soundType,
                                   r.imageFile,
                                   r.imageFormat,
                                   r.imageProperties,
                                   r.keywords,
                                   r.description};
    Span* span = newSlot(position);
    for (int i = 0; i < kTexts; ++i) {
        if (texts[i].isNull()) {
            span[i] = {};
            continue;
        }
        const QByteArray utf8 = texts[i].toUtf8();
        span[i] = {qint64(m_text.size()), int(utf8.size())};
        m_text.append(utf8.constData(), size_t(utf8.size()));
    }
}

AlbumStatus AlbumRecordset::updateCurrent(const PictureRecord& fields) {
    if (!hasCurrent())
        return {AlbumCondition::NoCurrentRecord, {}};
    PictureRecord r = fields;
    r.rowId = currentRowId();
    const bool fresh = m_album.changeStamp() == m_stamp;
    const AlbumStatus s = m_album.updateRecord(r);
    if (s.ok() && fresh) {
        cache(m_pos, r);
        m_stamp = m_album.changeStamp();
    }
    return s;
}

AlbumStatus AlbumRecordset::updateCurrentWithFile(const PictureRecord& fields, PictureField field,
                                                  const QString& filePath) {
    if (!hasCurrent())
        return {AlbumCondition::NoCurrentRecord, {}};
    PictureRecord r = fields;
    r.rowId = currentRowId();
    const bool fresh = m_album.changeStamp() == m_stamp;
    sqlite::Transaction tx(m_album.connection());
    if (!tx.beginError().ok())
        return engine::fromSqlite(tx.beginError());
    AlbumStatus s = m_album.storeFile(r.rowId, field, filePath);
    if (s.ok())
        s = m_album.updateRecord(r);
    if (s.ok())
        s = engine::fromSqlite(tx.commit());
    if (s.ok() && fresh) {
        cache(m_pos, r);
        m_stamp = m_album.changeStamp();
    }
    return s;
}

AlbumStatus AlbumRecordset::deleteCurrent() {
    if (!hasCurrent())
        return {AlbumCondition::NoCurrentRecord, {}};
    const bool fresh = m_album.changeStamp() == m_stamp;
    const AlbumStatus s = m_album.deleteRecord(currentRowId());
    if (!s.ok())
        return s;
    if (fresh)
        m_stamp = m_album.changeStamp();
    m_ids.erase(m_ids.begin() + m_pos);
    m_slots.erase(m_slots.begin() + m_pos);
    m_positions.clear();
    if (m_pos >= recordCount())
        m_pos = recordCount() - 1;
    return {};
}

} // namespace q32
