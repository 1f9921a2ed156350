#pragma once
// Pictures found by their bytes: the SHA-256 of every stored picture, kept in a table of its own
// beside Pictures (ContentHashes: ID = the record's row id, Sha256), so Pictures keeps its fields
// and the hashes live, encrypted or not, in the one album file. AlbumDb drops or replaces a row's
// hash whenever its picture is replaced or deleted. Rows without one (added without a hash, stored
// by an earlier build, rebuilt by a repair) are hashed afterwards by the window's background run
// (HashFiller) or when the hashes are first needed: hashing a large album reads every picture,
// which no one should wait for on an add or a plain open.

#include "album/AlbumStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

struct evp_md_ctx_st; // libcrypto's EVP_MD_CTX

namespace q32 {

class AlbumDb;

// SHA-256 of bytes given in pieces.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;
    void add(QByteArrayView bytes);
    QByteArray result(); // 32 bytes; once
private:
    ::evp_md_ctx_st* m_context;
};

// SHA-256 of bytes (32 bytes).
QByteArray ContentHash(QByteArrayView bytes);
// SHA-256 of a file's contents; empty when it cannot be read.
QByteArray FileContentHash(const QString& path);

// Hashes the stored pictures of every record that has no hash yet, committing after at most
// commitEveryMs of hashing (a background run keeps it short, as other writers wait meanwhile);
// stop is asked between records. Each hash is made and stored in the transaction that reads the
// picture, so it always matches the stored bytes. hashed, when given, receives the number of
// records hashed. CannotWrite for an album opened read-only.
AlbumStatus FillContentHashes(AlbumDb& album, qint64* hashed = nullptr,
                              const std::function<bool()>& stop = {}, int commitEveryMs = 2000);

// The record (of the lowest row id) whose stored picture has the hash sha256.
std::optional<ContentMatch> FindByContent(AlbumDb& album, const QByteArray& sha256,
                                          AlbumStatus* status = nullptr);

// Records whose stored pictures are byte for byte the same, in groups of two or more, in row id
// order. Records without a stored hash are hashed on the way (not stored: the album may be
// read-only); records without a picture are left out.
QList<DuplicateGroup> FindDuplicateGroups(AlbumDb& album, AlbumStatus* status = nullptr);

} // namespace q32
