#pragma once
// One program run over a generated album, for the record command tests.

#include "MainWindowRun.h"
#include "TestAlbums.h"
#include "TestEnv.h"
#include "album/AlbumDb.h"
#include "shell/AlbumBrowser.h"
#include "shell/records/RecordCommands.h"

#include <QTableView>
#include <QTest>

namespace q32::test {

struct Run : MainWindowRun {
    explicit Run(const QString& album) {
        settings.storeText("Main", "SortBy", "0");
        QVERIFY(test::OpenAlbum(main.browser(), album));
    }
    // Makes the record with this file name current, as a click on its grid row does.
    void select(const QString& name) {
        for (int row = 0; row < main.grid()->model()->rowCount(); ++row)
            if (cell(row, 2) == name)
                return main.selectRecord(row + 1);
    }
    // Runs a record command and waits until its work off the interface thread has ended.
    void runToEnd(const char* command, int timeoutMs = 30000) {
        main.runCommand(command);
        QTRY_VERIFY_WITH_TIMEOUT(!main.records().busy() && !main.browser().opening(), timeoutMs);
    }
    // "Save Image As..." answered with file (and a message titled then, when one is expected),
    // and the export run to its end.
    void exportTo(const QString& file, const QString& then = {}, MsgResult answer = MsgResult::Ok) {
        prompts.expectSaveFile("Save Image As...", file);
        if (!then.isEmpty())
            prompts.expectMessage(then, answer);
        runToEnd("ID_ExportImage");
    }
    QString cell(int row, int column) const {
        return main.grid()->model()->index(row, column).data().toString();
    }
};

// The record with this file name, read from the album file by a connection of its own.
inline std::optional<PictureRecord> StoredRecord(const QString& album, const QString& name,
                                                 QByteArray* image = nullptr,
                                                 QByteArray* sound = nullptr) {
    AlbumStatus status;
    auto db = AlbumDb::open(album, OpenOptions{true, {}}, &status);
    for (qint64 id = 1; db && id <= 100; ++id) {
        auto r = db->record(id);
        if (!r || r->imageFile != name)
            continue;
        if (image)
            *image = db->readBytes(id, PictureField::Image);
        if (sound)
            *sound = db->readBytes(id, PictureField::SoundFile);
        return r;
    }
    return std::nullopt;
}

} // namespace q32::test
