// Opening a protected album for an add run, and the protect step at its end. Creation and
// another program's file are covered through the window in tst_addimages_flows.

#include "ScriptedPromptService.h"
#include "album/AlbumMaintenance.h"
#include "album/add/AddRunOpen.h"

#include <QTemporaryDir>
#include <QTest>

using namespace q32;

class TestAddRunOpen : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void passwordsAndTheProtectStep() {
        const QString path = m_dir.filePath("secret.mdb");
        QVERIFY(AlbumDb::create(path, false).ok());
        // Cancelling the protect question leaves the album open to all.
        test::ScriptedPromptService prompts;
        prompts.expectNewPassword("SECURITY", "");
        QVERIFY(ProtectAlbumStep(path, prompts).ok());
        int readOnly = 0;
        QVERIFY(OpenAlbumForAdding(path, prompts, readOnly).album);

        prompts.expectNewPassword("SECURITY", "s3cret");
        QVERIFY(ProtectAlbumStep(path, prompts).ok());
        QCOMPARE(prompts.asked().last().text,
                 QStringLiteral("Enter password to protect this Image Depository:"));

        // A wrong answer asks again; the right one opens and marks the album protected.
        prompts.expectInput("SECURED ALBUM", "wrong").expectInput("SECURED ALBUM", "s3cret");
        AddRunAlbum run = OpenAlbumForAdding(path, prompts, readOnly);
        QVERIFY(run.album);
        QVERIFY(run.protectedAlbum);
        QVERIFY(run.album->isEncrypted());
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Password:"));
        run.album.reset();

        // An empty answer: "Access denied", and no album.
        prompts.expectInput("SECURED ALBUM", "").expectMessage("WARNING");
        QVERIFY(!OpenAlbumForAdding(path, prompts, readOnly).album);
        QCOMPARE(prompts.asked().last().text, QStringLiteral("Access denied"));
        QCOMPARE(prompts.beeps(), 1);
        QCOMPARE(prompts.pending(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAddRunOpen)
#include "tst_addrunopen.moc"
