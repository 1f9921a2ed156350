#pragma once
// A set of row ids read in ascending order, kept as runs of consecutive ids: an album's ids are
// mostly consecutive, so a million of them take a few runs instead of 8 MB.

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
