#include "album/AlbumRecordset.h"

#include "album/AlbumEngine.h"

#include <QElapsedTimer>
#include <algorithm>
#include <limits>
#include <numeric>

namespace q32 {

AlbumRecordset::AlbumRecordset(AlbumDb& album, const AlbumQuery& query)
    : m_album(album), m_query(query) {
    requery();
}

namespace {

// Ids read with the count when a large album opens: the first screens and their neighbours.
constexpr qint64 kFirstIds = 4096;
// A filter's rows found before its first screen shows; the rest are found later, as its index is
// read on.
constexpr qint64 kFirstFound = 256;
// Rows sharing the leading sort term with a known row that are stepped over to reach it before a
// block is read by counting from the top instead.
constexpr int kMostStepped = 20000;

} // namespace

AlbumStatus AlbumRecordset::requery() {
    const qint64 keep = currentRowId();
    m_idReader = {};
    m_ids.clear();
    m_text.clear();
    m_spans.clear();
    m_slots.clear();
    m_positions.clear();
    m_pos = -1;
    m_count = 0;
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
        m_count = qint64(m_ids.size());
    } else if (m_query.streamsFromIndex(indexes)) {
        // The first ids, then the count while the reader keeps the album as it read them; each
        // screen's texts are read when it is shown. A filter's count waits for its last row.
        m_idReader = m_album.connection().prepare(m_query.idsSql(indexes), &e);
        if (e.ok()) {
            bindPattern(m_idReader);
            m_count = -1;
            readIdsTo((m_query.isFilter() ? kFirstFound : kFirstIds) - 1);
            e = m_album.connection().lastError();
            if (e.ok() && !idsComplete() && !m_query.isFilter()) {
                sqlite::Statement count = m_album.connection().prepare(
                    QStringLiteral("SELECT count(*) FROM Pictures"), &e);
                if (e.ok() && count.step() == SQLITE_ROW) {
                    m_count = count.int64(0);
                    m_ids.reserve(size_t(m_count)); // no copy of a million ids while they grow
                    m_slots.resize(size_t(m_count), kNotLoaded);
                } else if (e.ok())
                    e = m_album.connection().lastError();
            }
        }
    } else {
        sqlite::Statement st = m_album.connection().prepare(m_query.rowsSql(indexes), &e);
        if (e.ok()) {
            bindPattern(st);
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
        m_count = qint64(m_ids.size());
    }
    m_status = engine::fromSqlite(e);
    if (!m_status.ok()) {
        m_idReader = {};
        m_ids.clear();
        m_text.clear();
        m_spans.clear();
        m_slots.clear();
        m_count = 0;
    }
    if (knownCount() > 0) {
        const qint64 at = keep ? positionOf(keep) : -1;
        m_pos = at >= 0 ? at : 0;
    }
    return m_status;
}

bool AlbumRecordset::readIdsTo(qint64 position) const {
    while (m_idReader.isValid() && (position < 0 || qint64(m_ids.size()) <= position)) {
        if (m_idReader.step() == SQLITE_ROW) {
            m_ids.push_back(m_idReader.int64(0));
            continue;
        }
        // Done (or failed: the positions left read as deleted rows). The read lock goes with it.
        m_idReader = {};
        if (m_count < 0)
            m_count = qint64(m_ids.size());
        else if (qint64(m_ids.size()) < m_count)
            m_ids.resize(size_t(m_count), 0);
    }
    // With the last id read, the reader goes at once rather than at its next step.
    if (m_count >= 0 && qint64(m_ids.size()) >= m_count)
        m_idReader = {};
    if (m_slots.size() < m_ids.size())
        m_slots.resize(m_ids.size(), kNotLoaded);
    return position >= 0 && position < knownCount();
}

qint64 AlbumRecordset::recordCount() const {
    if (m_count < 0)
        readIdsTo(-1);
    return m_count;
}

void AlbumRecordset::bindPattern(sqlite::Statement& statement) const {
    if (m_query.isFilter())
        statement.bind(3, m_query.pattern());
}

bool AlbumRecordset::readMoreIds(int budgetMs) {
    QElapsedTimer clock;
    clock.start();
    while (!idsComplete() && !clock.hasExpired(budgetMs))
        readIdsTo(qint64(m_ids.size()) + 4095);
    return !idsComplete();
}

qint64 AlbumRecordset::rowIdAt(qint64 position) const {
    return hasPosition(position) ? m_ids[size_t(position)] : 0;
}

AlbumStatus AlbumRecordset::moveTo(qint64 position) {
    if (!hasPosition(position))
        return {AlbumCondition::NoCurrentRecord, {}};
    m_pos = position;
    return {};
}

qint64 AlbumRecordset::positionOf(qint64 rowId) const {
    if (!idsComplete()) {
        // Mostly a row of the first screens: found without reading every id.
        const auto at = std::find(m_ids.begin(), m_ids.end(), rowId);
        if (at != m_ids.end())
            return qint64(at - m_ids.begin());
        readIdsTo(-1);
    }
    if (m_positions.empty() && !m_ids.empty()) {
        // Row ids are mostly dense: a position for every id up to the largest takes 4 bytes a
        // row where a hash would take over 40; with ids far apart, positions sorted by id.
        const qint64 largest = *std::max_element(m_ids.begin(), m_ids.end());
        m_denseIds = largest <= 4 * qint64(m_ids.size()) + 4096;
        if (m_denseIds) {
            m_positions.assign(size_t(largest) + 1, -1);
            for (size_t i = 0; i < m_ids.size(); ++i)
                if (m_ids[i] > 0)
                    m_positions[size_t(m_ids[i])] = qint32(i);
        } else {
            m_positions.resize(m_ids.size());
            std::iota(m_positions.begin(), m_positions.end(), 0);
            std::sort(m_positions.begin(), m_positions.end(),
                      [&](qint32 a, qint32 b) { return m_ids[size_t(a)] < m_ids[size_t(b)]; });
        }
    }
    if (m_denseIds)
        return rowId > 0 && rowId < qint64(m_positions.size()) ? m_positions[size_t(rowId)] : -1;
    const auto at = std::lower_bound(m_positions.begin(), m_positions.end(), rowId,
                                     [&](qint32 p, qint64 id) { return m_ids[size_t(p)] < id; });
    return at != m_positions.end() && m_ids[size_t(*at)] == rowId ? *at : -1;
}

AlbumStatus AlbumRecordset::findRowId(qint64 rowId) {
    const qint64 at = positionOf(rowId);
    return at < 0 ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}} : moveTo(at);
}

std::optional<PictureRecord> AlbumRecordset::current(AlbumStatus* status) {
    AlbumStatus s;
    std::optional<PictureRecord> r = recordAt(m_pos, &s);
    // The sound's size comes from the row's header; the picture before it is not read.
    if (r && r->soundSize < 0)
        r->soundSize = m_album.fieldSize(r->rowId, PictureField::SoundFile, &s);
    if (status)
        *status = s;
    if (!s.ok())
        return std::nullopt;
    return r;
}

std::optional<PictureRecord> AlbumRecordset::recordAt(qint64 position, AlbumStatus* status) {
    if (!hasPosition(position)) {
        if (status)
            *status = {AlbumCondition::NoCurrentRecord, {}};
        return std::nullopt;
    }
    const qint64 id = rowIdAt(position);
    if (m_album.changeStamp() != m_stamp)
        return m_album.record(id, status);
    ensureLoaded(position);
    if (status)
        *status = {};
    // Only what the order's index holds: a screen of rows never reads the table's rows, which
    // are on pages of their own for each record (a cold disk read each).
    PictureRecord r = cached(position);
    r.soundSize = -1;
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
    readIdsTo(first + kBlock - 1);
    const qint64 last = std::min(first + kBlock, knownCount());
    if (!readBlockAfterKnownRow(first, last)) {
        // Counted from the top of the index: the cost grows with the position.
        sqlite::Error e;
        sqlite::Statement st =
            m_album.connection().prepare(m_query.blockSql(m_album.orderIndexes()), &e);
        if (e.ok()) {
            st.bind(1, kBlock);
            st.bind(2, first);
            bindPattern(st);
            for (qint64 at = first; st.step() == SQLITE_ROW; ++at)
                storeBlockRow(st.handle(), at, first, last);
        }
    }
    // Whatever the block did not bring is read row by row.
    for (qint64 p = first; p < last; ++p) {
        if (m_slots[size_t(p)] != kNotLoaded)
            continue;
        if (const auto r = m_album.record(rowIdAt(p)))
            cache(p, *r);
        else
            newSlot(p); // unreadable: every text Null
    }
}

bool AlbumRecordset::readBlockAfterKnownRow(qint64 first, qint64 last) {
    // The row just before the block is known when the grid scrolls on or a list is read through.
    qint64 known = first - 1;
    while (known >= 0 && known >= first - kBlock && m_slots[size_t(known)] == kNotLoaded)
        --known;
    if (known < 0 || known < first - kBlock)
        return false;
    const qint64 knownId = m_ids[size_t(known)];
    const Span lead = m_spans[size_t(m_slots[size_t(known)] + m_query.leadingText())];
    const bool descending = m_query.order % 2 == 1;
    const OrderIndexes& indexes = m_album.orderIndexes();
    // Rows led by the known row's term from the first one; in a descending order those led by
    // Null follow them. An ascending order puts Null first: with a Null lead it reads from the top.
    QStringList passes;
    if (lead.length >= 0)
        passes << m_query.seekSql(indexes, false);
    if (lead.length < 0 && !descending)
        passes << m_query.rowsSql(indexes);
    if (descending)
        passes << m_query.seekSql(indexes, true);
    bool found = false;
    int stepped = 0;
    qint64 at = known + 1;
    for (const QString& sql : std::as_const(passes)) {
        sqlite::Error e;
        sqlite::Statement st = m_album.connection().prepare(sql, &e);
        if (!e.ok())
            return false;
        if (lead.length >= 0 && sql.contains(QLatin1String("?1")))
            st.bind(1, QString::fromUtf8(m_text.constData() + lead.start, lead.length));
        bindPattern(st);
        while (at < last && st.step() == SQLITE_ROW) {
            if (found) {
                storeBlockRow(st.handle(), at++, known + 1, last);
            } else if (st.int64(0) == knownId) {
                found = true;
            } else if (++stepped > kMostStepped) {
                return false;
            }
        }
        if (!found)
            return false;
    }
    return found;
}

void AlbumRecordset::storeBlockRow(sqlite3_stmt* row, qint64 at, qint64 first, qint64 last) {
    // Rows edited here since the ids were read may have moved: place each by its id.
    const qint64 id = sqlite3_column_int64(row, 0);
    const qint64 p = at < last && m_ids[size_t(at)] == id ? at : positionOf(id);
    if (p < first || p >= last || m_slots[size_t(p)] != kNotLoaded)
        return;
    Span* span = newSlot(p);
    for (int c = 1; c <= kTexts; ++c) {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(row, c));
        span[c - 1] = data ? Span{qint64(m_text.size()), sqlite3_column_bytes(row, c)} : Span{};
        if (data)
            m_text.append(data, span[c - 1].length);
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
    readIdsTo(-1); // the reader's read lock would hold up the write
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
    readIdsTo(-1);
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
    readIdsTo(-1);
    const bool fresh = m_album.changeStamp() == m_stamp;
    const AlbumStatus s = m_album.deleteRecord(currentRowId());
    if (!s.ok())
        return s;
    if (fresh)
        m_stamp = m_album.changeStamp();
    m_ids.erase(m_ids.begin() + m_pos);
    m_slots.erase(m_slots.begin() + m_pos);
    --m_count;
    m_positions.clear();
    if (m_pos >= m_count)
        m_pos = m_count - 1;
    return {};
}

} // namespace q32
