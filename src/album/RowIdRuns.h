#pragma once
// A set of row ids read in ascending order, kept as runs of consecutive ids: an album's ids are
// mostly consecutive, so a million of them take a few runs instead of 8 MB.

#include <QList>
#include <QtGlobal>
#include <algorithm>
#include <vector>

namespace q32 {

class RowIdRuns {
public:
    // Ids must come in ascending order (a table read by its rowid).
    void append(qint64 id) {
        if (!m_runs.empty() && m_runs.back().last + 1 == id)
            m_runs.back().last = id;
        else
            m_runs.push_back({id, id});
    }
    // From ids in any order (an index read in its own order).
    static RowIdRuns fromUnsorted(std::vector<qint64> ids) {
        std::sort(ids.begin(), ids.end());
        RowIdRuns runs;
        for (const qint64 id : ids)
            if (runs.m_runs.empty() || runs.m_runs.back().last < id)
                runs.append(id);
        return runs;
    }
    // The next ids above after, ascending, at most limit of them.
    QList<qint64> idsAfter(qint64 after, qsizetype limit) const {
        QList<qint64> ids;
        auto run = std::lower_bound(m_runs.begin(), m_runs.end(), after + 1,
                                    [](const Run& r, qint64 value) { return r.last < value; });
        for (; run != m_runs.end() && ids.size() < limit; ++run)
            for (qint64 id = std::max(run->first, after + 1); id <= run->last && ids.size() < limit;
                 ++id)
                ids << id;
        return ids;
    }
    bool contains(qint64 id) const {
        // The first run that ends at or after id.
        const auto run =
            std::lower_bound(m_runs.begin(), m_runs.end(), id,
                             [](const Run& r, qint64 value) { return r.last < value; });
        return run != m_runs.end() && run->first <= id;
    }

private:
    struct Run {
        qint64 first;
        qint64 last;
    };
    std::vector<Run> m_runs;
};

} // namespace q32
