#include "platform/jobs/HandOff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <map>
#include <mutex>

namespace q32 {
namespace {

QEvent::Type CallEventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

struct CallEvent : QEvent {
    CallEvent(QObject* context, std::function<void()> call)
        : QEvent(CallEventType()), context(context), call(std::move(call)) {}
    QPointer<QObject> context;
    std::function<void()> call;
};

// Receives the calls for one thread. The event is made before HandOver and deleted by Qt after
// event() has taken it over, so TSan sees both ends of it.
class Courier : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != CallEventType())
            return QObject::event(e);
        TakeOver(e);
        auto* call = static_cast<CallEvent*>(e);
        if (call->context)
            call->call();
        return true;
    }
};

// One courier per receiving thread, kept for the life of the program: the threads that receive
// calls (the interface thread, a job's owner) are few and live as long.
Courier* CourierFor(QThread* thread) {
    static std::mutex mutex;
    static std::map<QThread*, Courier*> couriers;
    std::lock_guard lock(mutex);
    Courier*& courier = couriers[thread];
    if (!courier) {
        courier = new Courier;
        courier->moveToThread(thread);
    }
    return courier;
}

} // namespace

void CallOnThreadOf(QObject* context, std::function<void()> call) {
    if (QThread::currentThread() == context->thread()) {
        call();
        return;
    }
    auto* event = new CallEvent(context, std::move(call));
    Courier* courier = CourierFor(context->thread());
    HandOver(event);
    QCoreApplication::postEvent(courier, event);
}

} // namespace q32
