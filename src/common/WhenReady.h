#pragma once
// The one way results of background work come back: work runs off the interface thread as a
// QFuture (QtConcurrent, with a QPromise where it can be cancelled), and its result is handed
// to a function on the thread of a context object once it is there.

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <type_traits>
#include <utility>

namespace q32 {

// Calls done(result) (done() for a QFuture<void>) on context's thread when future has finished;
// never when it was cancelled, gave no result, or context is gone by then.
template <typename T, typename Done>
void WhenReady(QObject* context, QFuture<T> future, Done done) {
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         const QFuture<T> f = watcher->future();
                         if constexpr (std::is_void_v<T>) {
                             if (!f.isCanceled())
                                 done();
                         } else if (!f.isCanceled() && f.resultCount() > 0) {
                             done(f.result());
                         }
                     });
    watcher->setFuture(std::move(future));
}

} // namespace q32
