// Opening the album for an add run: creation, another program's file, passwords, protection.

#include "ScriptedPromptService.h"
#include "album/AddRunOpen.h"
#include "album/AlbumMaintenance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

class TestAddRunOpen : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void missingAlbumIsCreatedWithTheDuplicateQuestion() {
        const QString path = m_dir.filePath("new.mdb");
        test::ScriptedPromptService prompts;
        prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::Yes);
        int readOnly = 0;
        AddRunAlbum run = OpenAlbumForAdding(path, prompts, readOnly);
        QVERIFY(run.album);
        QVERIFY(run.created);
        QVERIFY(run.album->allowsDuplicates());
        QCOMPARE(run.existingRows, 0);
        QCOMPARE(prompts.asked().at(0).style, 292);
        QVERIFY(prompts.asked().at(0).text.endsWith("\"new.mdb\"album)"));

        // Opened again, it is simply there.
        run.album.reset();
        test::ScriptedPromptService quiet;
        QVERIFY(OpenAlbumForAdding(path, quiet, readOnly).album);
        QCOMPARE(quiet.asked().size(), 0);
    }

    void anotherProgramsFileIsRefusedUntouched() {
        const QString path = m_dir.filePath("notes.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Shopping list: bread, milk\n");
        f.close();
        test::ScriptedPromptService prompts;
        prompts.expectMessage("UNEXPECTED ERROR! (PELORUS6: Command3D4_Click #2)");
        int readOnly = 0;
        QVERIFY(!OpenAlbumForAdding(path, prompts, readOnly).album);
        QCOMPARE(prompts.asked().at(0).text, QStringLiteral("This is not an Quillon 32 Main."));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("Shopping list: bread, milk\n"));
    }

    void passwordsAndTheProtectStep() {
        const QString path = m_dir.filePath("secret.mdb");
        QVERIFY(AlbumDb::create(path, false).ok());
        // Cancelling the protect question leaves the album open to all.
        test::ScriptedPromptService prompts;
        prompts.expectInput("SECURITY", "");
        QVERIFY(ProtectAlbumStep(path, prompts).ok());
        int readOnly = 0;
        QVERIFY(OpenAlbumForAdding(path, prompts, readOnly).album);

        prompts.expectInput("SECURITY", "s3cret");
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
