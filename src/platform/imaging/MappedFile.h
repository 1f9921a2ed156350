#pragma once
// A whole file mapped into memory for the codecs that want all of it at once: only the pages a
// decoder touches are read, and nothing is copied.

#include <QFile>

namespace q32::imaging {

class MappedFile {
public:
    explicit MappedFile(const QString& path) : m_file(path) {
        if (m_file.open(QIODevice::ReadOnly) && m_file.size() > 0)
            m_data = m_file.map(0, m_file.size());
    }
    bool ok() const { return m_data != nullptr; }
    const uchar* data() const { return m_data; }
    size_t size() const { return size_t(m_file.size()); }

private:
    QFile m_file;
    const uchar* m_data = nullptr;
};

} // namespace q32::imaging
