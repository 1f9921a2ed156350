#pragma once
// Pictures, albums and the window's procedures for the Add Images tests.

#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesRun.h"
#include "common/ProgramState.h"
#include "common/Settings.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace q32::test {

// A small photo-like picture that differs for every seed.
inline bool makePicture(const QString& path, int seed, QSize size = {64, 48}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((seed * 47) % 360, 200, 220));
    QPainter p(&image);
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(seed));
    p.end();
    return image.save(path);
}

// A PNG whose header says it is 0 x 0 pixels.
inline bool makeDamagedPicture(const QString& path, int seed) {
    if (!makePicture(path, seed))
        return false;
    QByteArray png = readFile(path);
    return writeFile(path, png.replace(16, 8, QByteArray(8, '\0')));
}

// n pictures name0.jpg .. in folder, each of its own colour.
inline QStringList makePictures(const TestEnv& env, const QString& folder, int n,
                                const QString& name = "p", QSize size = {64, 48}) {
    QDir().mkpath(env.path(folder));
    QStringList files;
    for (int i = 0; i < n; ++i) {
        files << env.path(folder + QStringLiteral("/%1%2.jpg").arg(name).arg(i));
        makePicture(files.last(), i, size);
    }
    return files;
}

// The run's last questions when it made or added to an unprotected album.
inline void expectRunEnd(ScriptedPromptService& prompts) {
    prompts.expectMessage("FYI");
    prompts.expectNewPassword("SECURITY", "");
}

// File name -> bytes of each file, as albumContents gives them once stored.
inline QMultiMap<QString, QByteArray> contentsOf(const QStringList& files) {
    QMultiMap<QString, QByteArray> rows;
    for (const QString& f : files)
        rows.insert(QFileInfo(f).fileName(), readFile(f));
    return rows;
}

// ImageFile -> the stored Image bytes, for every row; empty when the album does not open.
inline QMultiMap<QString, QByteArray> albumContents(const QString& path,
                                                    const QString& password = {}) {
    QMultiMap<QString, QByteArray> rows;
    AlbumStatus status;
    auto album = AlbumDb::open(path, {true, password}, &status);
    if (!album)
        return rows;
    auto query = album->connection().prepare("SELECT rowid, ImageFile FROM Pictures");
    while (query.step() == 100 /* SQLITE_ROW */)
        rows.insert(query.text(1), album->readBytes(query.int64(0), PictureField::Image));
    return rows;
}

// One Add Images window with its own settings, program folder and scripted answers.
struct AddImages {
    TestEnv env;
    OptionFlags options;
    ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath()};
    AddImagesController window{env.appDir(), options, settings, prompts};

    QString path(const QString& name) const { return env.path(name); }
    // n pictures p0.jpg .. in folder, listed in the window.
    QStringList listPictures(const QString& folder, int n) {
        const QStringList files = makePictures(env, folder, n);
        window.load();
        window.pointFileBoxAt(path(folder), {});
        window.addAllFiles();
        return files;
    }
    // "&Add", and the wait for the run to end (it stores on a worker thread).
    void add() {
        QSignalSpy done(&window.run(), &AddImagesRun::finished);
        window.run().start();
        if (done.isEmpty())
            QVERIFY(done.wait(30000));
        QVERIFY(!window.run().running());
    }
};

} // namespace q32::test
