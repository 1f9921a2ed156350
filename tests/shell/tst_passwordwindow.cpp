// The "SECURED DATABASE" window.

#include "album/ui/PasswordWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace q32;

class TestPasswordWindow : public QObject {
    Q_OBJECT

    // Shows the window, lets act() work on it once it is up, and returns its answer.
    std::optional<QString> ask(const std::function<void(PasswordWindow&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<PasswordWindow*>(QApplication::activeModalWidget());
            QVERIFY(window);
            act(*window);
            if (window->isVisible()) // a failed check must not leave the window waiting
                window->done(0);
        });
        return PasswordWindow::ask("/albums/secret.mdb");
    }

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
        // Cancel forgets what was typed.
        QCOMPARE(ask([](PasswordWindow& w) {
                     QTest::keyClicks(w.findChild<QLineEdit*>("Text1"), "abc");
                     w.findChild<QPushButton*>("SSCommand2")->click();
                 }),
                 QString());
        QCOMPARE(ask([](PasswordWindow& w) {
                     QTest::keyClicks(w.findChild<QLineEdit*>("Text1"), "abc");
                     w.findChild<QPushButton*>("SSCommand1")->click();
                 }),
                 QStringLiteral("abc"));

        // Closed by its frame: no answer at all, told apart from Cancel's empty one.
        QCOMPARE(ask([](PasswordWindow& w) {
                     QTest::keyClicks(w.findChild<QLineEdit*>("Text1"), "zzz");
                     w.close();
                 }),
                 std::nullopt);
    }
};

QTEST_MAIN(TestPasswordWindow)
#include "tst_passwordwindow.moc"
