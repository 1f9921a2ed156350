#include "album/AlbumSchema.h"

#include "album/AlbumEngine.h"
#include "album/AlbumThumbnails.h"
#include "album/ContentHashSchema.h"
#include "album/PictureHashes.h"
#include "album/SortKey.h"

#include <QStringList>

namespace q32::engine {
namespace {

const char* const kFieldNames[] = {"Date",      "Thumbnail",  "Image",       "SoundFile",
                                   "SoundType", "ImageFile",  "ImageFormat", "ImageProperties",
                                   "Keywords",  "Description"};

// The program's own objects besides Pictures and Primary_Key, as the engine makes them. A new
// kind of side object (a thumbnail table, a content hash) joins this list. Every order index
// carries all the texts a row shows, so a screen of rows is read from the index alone, never
// from the table rows that carry the pictures.
struct OwnObject {
    const char* type;
    const char* name;
    const char* definition; // the text after "ON Pictures "
    bool keyed;             // holds sort keys, rebuilt when the key version changes
};
const OwnObject kOwnObjects[] = {
    {"index", "Pictures_Texts",
     "(Date, ImageFile, ImageFormat, SoundType, ImageProperties, Keywords, Description)", false},
    {"index", "Pictures_Names",
     "(q32_sortkey1(ImageFile), Date, ImageFile, ImageFormat, SoundType, ImageProperties, "
     "Keywords, Description)",
     true},
    {"index", "Pictures_Formats",
     "(q32_sortkey1(ImageFormat), q32_sortkey1(ImageFile), Date, ImageFile, ImageFormat, "
     "SoundType, ImageProperties, Keywords, Description)",
     true},
};

QString createSql(const OwnObject& object, const QString& schema) {
    const QString prefix = schema.isEmpty() ? QString() : schema + QLatin1Char('.');
    return QStringLiteral("CREATE INDEX %1%2 ON Pictures %3")
        .arg(prefix, QLatin1String(object.name), QLatin1String(object.definition));
}

bool* presenceOf(OrderIndexes& indexes, const QString& name) {
    if (name == u"Pictures_Texts")
        return &indexes.texts;
    if (name == u"Pictures_Names")
        return &indexes.names;
    if (name == u"Pictures_Formats")
        return &indexes.formats;
    return nullptr;
}

const OwnObject* ownObject(const QString& type, const QString& name) {
    for (const OwnObject& o : kOwnObjects)
        if (type == QLatin1String(o.type) && name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// An index of someone else: harmless when it only copies columns; one on an expression or with
// a WHERE could call functions, and one on another table means another program's file.
AlbumStatus checkForeignIndex(sqlite::Database& db, const QString& name, const QString& table) {
    if (table.compare(u"Pictures", Qt::CaseInsensitive) != 0)
        return {AlbumCondition::NotAnAlbum, QStringLiteral("index %1 on %2").arg(name, table)};
    sqlite::Error e;
    sqlite::Statement list = db.prepare(QStringLiteral("PRAGMA index_list(Pictures)"), &e);
    while (e.ok() && list.step() == SQLITE_ROW)
        if (list.text(1) == name && list.int64(4) != 0)
            return {AlbumCondition::NotAnAlbum, QStringLiteral("partial index %1").arg(name)};
    sqlite::Statement columns =
        db.prepare(QStringLiteral("PRAGMA index_xinfo(%1)").arg(sqlite::quoted(name)), &e);
    while (e.ok() && columns.step() == SQLITE_ROW)
        if (columns.int64(1) == -2)
            return {AlbumCondition::NotAnAlbum,
                    QStringLiteral("index %1 on an expression").arg(name)};
    return fromSqlite(e);
}

AlbumStatus checkFields(sqlite::Database& db) {
    sqlite::Error e;
    sqlite::Statement info = db.prepare(QStringLiteral("PRAGMA table_info(Pictures)"), &e);
    if (!e.ok())
        return fromSqlite(e);
    int column = 0;
    while (info.step() == SQLITE_ROW) {
        if (column >= 10 ||
            info.text(1).compare(QLatin1String(kFieldNames[column]), Qt::CaseInsensitive) != 0)
            return {AlbumCondition::NotAnAlbum, QStringLiteral("unexpected fields")};
        ++column;
    }
    if (column != 10)
        return {AlbumCondition::NotAnAlbum, QStringLiteral("missing fields")};
    return {};
}

} // namespace

AlbumStatus verifyAlbum(sqlite::Database& db, SchemaState* state) {
    *state = SchemaState{};
    state->unique = false;
    sqlite::Error e;
    sqlite::Statement master =
        db.prepare(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master"), &e);
    if (!e.ok())
        return fromSqlite(e);
    bool hasPictures = false;
    QStringList foreignIndexes;
    int rc;
    while ((rc = master.step()) == SQLITE_ROW) {
        const QString type = master.text(0);
        const QString name = master.text(1);
        const QString table = master.text(2);
        const QString sql = master.text(3).simplified();
        if (type == u"trigger" || type == u"view")
            return {AlbumCondition::NotAnAlbum, QStringLiteral("holds %1 %2").arg(type, name)};
        if (isContentHashObject(type, name, sql)) {
            state->contentHashes |= type == u"table";
            continue;
        }
        if (type == u"table") {
            if (sql.startsWith(u"CREATE VIRTUAL", Qt::CaseInsensitive))
                return {AlbumCondition::NotAnAlbum, QStringLiteral("virtual table %1").arg(name)};
            if (name.compare(u"Pictures", Qt::CaseInsensitive) == 0)
                hasPictures = true;
            else if (!name.startsWith(u"sqlite_") && !ownObject(type, name) &&
                     !isThumbnailTable(name, sql) && !isPictureHashTable(name, sql))
                return {AlbumCondition::NotAnAlbum, QStringLiteral("table %1").arg(name)};
            continue;
        }
        if (type != u"index")
            return {AlbumCondition::NotAnAlbum, QStringLiteral("%1 %2").arg(type, name)};
        if (name == u"Primary_Key" || sql.isEmpty()) // ours, or made by a UNIQUE constraint
            continue;
        const OwnObject* own = ownObject(type, name);
        if (own && sql == createSql(*own, {}))
            *presenceOf(state->indexes, name) = true;
        else
            foreignIndexes << name << table;
    }
    if (rc != SQLITE_DONE)
        return fromSqlite(db.lastError());
    if (!hasPictures)
        return {AlbumCondition::NotAnAlbum, QStringLiteral("no table Pictures")};
    if (const AlbumStatus fields = checkFields(db); !fields.ok())
        return fields;
    for (qsizetype i = 0; i < foreignIndexes.size(); i += 2)
        if (const AlbumStatus s = checkForeignIndex(db, foreignIndexes[i], foreignIndexes[i + 1]);
            !s.ok())
            return s;

    sqlite::Statement indexes = db.prepare(QStringLiteral("PRAGMA index_list(Pictures)"), &e);
    while (e.ok() && indexes.step() == SQLITE_ROW)
        if (indexes.text(1) == u"Primary_Key")
            state->unique = indexes.int64(2) != 0;
    sqlite::Statement version = db.prepare(QStringLiteral("PRAGMA user_version"), &e);
    state->keysCurrent =
        e.ok() && version.step() == SQLITE_ROW && version.int64(0) == SortKeyVersion();
    return fromSqlite(e);
}

AlbumStatus createSchema(sqlite::Database& db, const QString& schema, bool unique) {
    // Date holds ISO text (YYYY-MM-DD) so it sorts by time; the text sizes are the limits the
    // album layer enforces. The name index compares names without case, as users expect.
    sqlite::Error e =
        db.exec(QStringLiteral("CREATE TABLE %1.Pictures (Date TEXT, Thumbnail BLOB, Image BLOB, "
                               "SoundFile BLOB, SoundType VARCHAR(128), ImageFile VARCHAR(128), "
                               "ImageFormat VARCHAR(55), ImageProperties VARCHAR(80), "
                               "Keywords VARCHAR(128), Description TEXT)")
                    .arg(schema));
    if (e.ok())
        e = db.exec(QStringLiteral("CREATE %1INDEX %2.Primary_Key ON Pictures "
                                   "(ImageFile COLLATE NOCASE)")
                        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), schema));
    for (const OwnObject& object : kOwnObjects)
        if (e.ok())
            e = db.exec(createSql(object, schema));
    if (e.ok())
        e = createThumbnailTable(db, schema);
    if (e.ok())
        e = createPictureHashTable(db, schema);
    if (e.ok())
        e = createContentHashes(db, schema);
    if (e.ok())
        e = db.exec(
            QStringLiteral("PRAGMA %1.user_version = %2").arg(schema).arg(SortKeyVersion()));
    return fromSqlite(e);
}

AlbumStatus completeSchema(sqlite::Database& db, SchemaState& state) {
    const bool missing = !state.indexes.texts || !state.indexes.names || !state.indexes.formats;
    if (!missing && state.keysCurrent)
        return {};
    // Names taken by someone else's index stay theirs; the album works without ours.
    QStringList taken;
    sqlite::Statement list = db.prepare(QStringLiteral("PRAGMA index_list(Pictures)"));
    while (list.isValid() && list.step() == SQLITE_ROW)
        taken << list.text(1);

    sqlite::Transaction tx(db);
    sqlite::Error e = tx.beginError();
    SchemaState after = state;
    for (const OwnObject& object : kOwnObjects) {
        const QString name = QLatin1String(object.name);
        bool& present = *presenceOf(after.indexes, name);
        if (!e.ok())
            break;
        if (present && object.keyed && !state.keysCurrent) {
            e = db.exec(QStringLiteral("REINDEX %1").arg(name));
        } else if (!present && !taken.contains(name)) {
            e = db.exec(createSql(object, QStringLiteral("main")));
            present = e.ok();
        }
    }
    if (e.ok())
        e = db.exec(QStringLiteral("PRAGMA user_version = %1").arg(SortKeyVersion()));
    if (e.ok())
        e = tx.commit();
    if (!e.ok())
        return fromSqlite(e);
    after.keysCurrent = true;
    state = after;
    return {};
}

} // namespace q32::engine
