// The password windows, and setting, changing and removing an album's password.

#include "MainWindowRun.h"
#include "ModalWindows.h"
#include "TestAlbums.h"
#include "TestEnv.h"
#include "album/ui/PasswordWindow.h"
#include "platform/prompt/ui/NewPasswordDialog.h"
#include "shell/AlbumBrowser.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace q32;

namespace {

// The album's rows as the sqlcipher tool reads them with this key; -1 when it does not open.
int rowsWithKey(const QString& album, const QString& key) {
    QProcess sqlcipher;
    // An album's pages are larger than the tool's default, and say so only once decrypted.
    const QString keying = key.isEmpty()
                               ? QString()
                               : QStringLiteral("PRAGMA key = '%1'; PRAGMA cipher_page_size = %2; "
                                                "PRAGMA cipher_hmac_algorithm = HMAC_SHA256;")
                                     .arg(key)
                                     .arg(AlbumDb::PageSize);
    sqlcipher.start("sqlcipher", {album, keying + "SELECT count(*) FROM Pictures;"});
    sqlcipher.waitForFinished(30000);
    bool ok = false;
    const int rows = sqlcipher.readAllStandardOutput().trimmed().split('\n').last().toInt(&ok);
    return sqlcipher.exitCode() == 0 && ok ? rows : -1;
}

// Shows the window ask() opens, lets act() work on it once it is up, and returns its answer.
template <typename W>
std::optional<QString> answer(const std::function<void(W&)>& act,
                              const std::function<std::optional<QString>()>& ask) {
    test::whenShown<W>([act](W* window) {
        act(*window);
        if (window->isVisible()) // a failed check must not leave the window waiting
            window->done(0);
    });
    return ask();
}

std::optional<QString> ask(const std::function<void(PasswordWindow&)>& act) {
    return answer<PasswordWindow>(act, [] { return PasswordWindow::ask("/albums/secret.mdb"); });
}

std::optional<QString> askNew(const std::function<void(NewPasswordDialog&)>& act) {
    return answer<NewPasswordDialog>(act, [] {
        return NewPasswordDialog::ask("SECURITY",
                                      "Enter password to protect this Image Depository:");
    });
}

} // namespace

class TestPasswordWindow : public QObject {
    Q_OBJECT

private slots:
    void answersAndCancels() {
        const auto typed = ask([](PasswordWindow& w) {
            QCOMPARE(w.windowTitle(), QStringLiteral("SECURED DATABASE"));
            QCOMPARE(w.findChild<QLineEdit*>("Text2")->text(),
                     QStringLiteral("Enter password for /albums/secret.mdb"));
            auto* entry = w.findChild<QLineEdit*>("Text1");
            QCOMPARE(entry->echoMode(), QLineEdit::Password); // only stars on screen
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            QVERIFY(qAbs(w.frameGeometry().center().x() - screen.center().x()) <= 1);
            QVERIFY(qAbs(w.frameGeometry().center().y() - screen.center().y()) <= 1);
            QTest::keyClicks(entry, "s3cret");
            QTest::keyClick(entry, Qt::Key_Return);
        });
        QCOMPARE(typed, QStringLiteral("s3cret"));

        // Enter in an empty box is Cancel.
        QCOMPARE(ask([](PasswordWindow& w) {
                     QTest::keyClick(w.findChild<QLineEdit*>("Text1"), Qt::Key_Return);
                 }),
                 QString());
        // Cancel forgets what was typed; closed by its frame there is no answer at all, told
        // apart from Cancel's empty one.
        const std::pair<const char*, std::optional<QString>> ends[] = {
            {"SSCommand2", QString()}, {"SSCommand1", QStringLiteral("abc")}, {"", std::nullopt}};
        for (const auto& end : ends)
            QCOMPARE(ask([&end](PasswordWindow& w) {
                         QTest::keyClicks(w.findChild<QLineEdit*>("Text1"), "abc");
                         if (*end.first)
                             w.findChild<QPushButton*>(end.first)->click();
                         else
                             w.close();
                     }),
                     end.second);
    }

    void newPasswordIsHiddenAndTypedTwice() {
        QCOMPARE(askNew([](NewPasswordDialog& w) {
                     QCOMPARE(w.windowTitle(), QStringLiteral("SECURITY"));
                     QCOMPARE(w.findChild<QLabel*>("Text2")->text(),
                              QStringLiteral("Enter password to protect this Image Depository:"));
                     auto* entry = w.findChild<QLineEdit*>("Text1");
                     auto* again = w.findChild<QLineEdit*>("ConfirmText");
                     QCOMPARE(entry->echoMode(), QLineEdit::Password);
                     QCOMPARE(again->echoMode(), QLineEdit::Password);
                     // A slip in either box: nothing is taken, both are typed again.
                     QTest::keyClicks(entry, "s3cret");
                     QTest::keyClick(entry, Qt::Key_Return);
                     QTest::keyClicks(again, "s3cert");
                     QTest::keyClick(again, Qt::Key_Return);
                     QVERIFY(w.isVisible());
                     QVERIFY(w.findChild<QLabel*>("MismatchNote")->isVisibleTo(&w));
                     QVERIFY(entry->text().isEmpty() && again->text().isEmpty());
                     QTest::keyClicks(entry, "s3cret");
                     QTest::keyClicks(again, "s3cret");
                     w.findChild<QPushButton*>("SSCommand1")->click();
                 }),
                 std::optional<QString>("s3cret"));
        // OK with nothing typed is an empty answer; Cancel is none.
        QCOMPARE(askNew([](NewPasswordDialog& w) {
                     QTest::keyClick(w.findChild<QLineEdit*>("Text1"), Qt::Key_Return);
                 }),
                 std::optional<QString>(QString()));
        QCOMPARE(askNew([](NewPasswordDialog& w) {
                     QTest::keyClicks(w.findChild<QLineEdit*>("Text1"), "abc");
                     w.findChild<QPushButton*>("SSCommand2")->click();
                 }),
                 std::nullopt);
    }

    void setChangeAndRemoveThePassword() {
        test::TestEnv env;
        const QString picture = test::MakePicture(env.path("p.png"), {40, 30}, Qt::red);
        const QString p = test::MakeAlbum(env.path("family.mdb"), {{"a.png"}, {"b.png"}}, picture);
        test::MainWindowRun run;
        QVERIFY(test::OpenAlbum(run.main.browser(), p));
        const QString title = QStringLiteral("SECURED DATABASE");

        // Cancel, or nothing typed on an album without a password: nothing happens.
        run.prompts.expectNewPassword(title, std::nullopt).expectNewPassword(title, "");
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QCOMPARE(run.prompts.asked().last().text, QStringLiteral("Enter password for ") + p);
        QCOMPARE(rowsWithKey(p, {}), 2);

        // Set: the album is encrypted with it, and reopening asks for it.
        run.prompts.expectNewPassword(title, "s3cret").expectPassword(p, "s3cret");
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QCOMPARE(run.album().RecordCount, 2);
        QCOMPARE(rowsWithKey(p, {}), -1);
        QCOMPARE(rowsWithKey(p, "s3cret"), 2);

        // Change: a wrong answer at the reopening is named as wrong before the next try.
        run.prompts.expectNewPassword(title, "newer")
            .expectPassword(p, "s3cret")
            .expectMessage("WARNING")
            .expectPassword(p, "newer");
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QCOMPARE(run.prompts.asked().at(run.prompts.asked().size() - 2).text,
                 QStringLiteral("The password you typed is wrong for ") + p + ".");
        QCOMPARE(run.album().AlbumPassword, QStringLiteral("newer"));
        QCOMPARE(rowsWithKey(p, "s3cret"), -1);
        QCOMPARE(rowsWithKey(p, "newer"), 2);

        // Nothing typed on a protected album offers to remove the password; No keeps it.
        run.prompts.expectNewPassword(title, "").expectMessage(title, MsgResult::No);
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QCOMPARE(run.prompts.asked().last().style, 4 + 32 + 256); // Yes/No, question, No first
        QCOMPARE(rowsWithKey(p, "newer"), 2);
        run.prompts.expectNewPassword(title, "").expectMessage(title, MsgResult::Yes);
        QVERIFY(run.runToOpen("ID_Set/ChangePassword"));
        QCOMPARE(rowsWithKey(p, {}), 2);
        QCOMPARE(run.album().RecordCount, 2);
        QVERIFY(run.album().AlbumPassword.isEmpty());
        QVERIFY(!run.main.browser().album()->isEncrypted());
        QCOMPARE(run.prompts.pending(), 0);
    }
};

QTEST_MAIN(TestPasswordWindow)
#include "tst_passwordwindow.moc"
