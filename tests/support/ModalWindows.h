#pragma once
// Acting on a modal window from inside its own event loop (header only).

#include <QApplication>
#include <QTimer>
#include <functional>

namespace q32::test {

// Runs act on the modal window of type W as soon as it shows.
template <typename W> void whenShown(std::function<void(W*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

} // namespace q32::test
