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
    m_positions.clear();
    m_pos = -1;
    sqlite::Error e;
    sqlite::Statement st = m_album.connection().prepare(m_query.sql(), &e);
    if (e.ok()) {
        if (m_query.isFilter())
            st.bind(1, m_query.pattern());
        int rc;
        while ((rc = st.step()) == SQLITE_ROW)
            m_ids.push_back(st.int64(0));
        if (rc != SQLITE_DONE)
            e = m_album.connection().lastError();
    }
    m_status = engine::fromSqlite(e);
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
    return m_album.record(m_ids[size_t(position)], status);
}

AlbumStatus AlbumRecordset::updateCurrent(const PictureRecord& fields) {
    if (!hasCurrent())
        return {AlbumCondition::NoCurrentRecord, {}};
    PictureRecord r = fields;
    r.rowId = currentRowId();
    return m_album.updateRecord(r);
}

AlbumStatus AlbumRecordset::deleteCurrent() {
    if (!hasCurrent())
        return {AlbumCondition::NoCurrentRecord, {}};
    const AlbumStatus s = m_album.deleteRecord(currentRowId());
    if (!s.ok())
        return s;
    m_ids.erase(m_ids.begin() + m_pos);
    m_positions.clear();
    if (m_pos >= recordCount())
        m_pos = recordCount() - 1;
    return {};
}

} // namespace q32
