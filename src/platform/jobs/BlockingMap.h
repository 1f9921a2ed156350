#pragma once
// QtConcurrent::blockingMap with its hand-overs named (see HandOff.h): what the caller wrote
// before is seen by the calls, and what the calls wrote is seen by the caller after.

#include "platform/jobs/HandOff.h"

#include <QtConcurrent/QtConcurrentMap>

namespace q32 {

// Calls function(item) for every item on Qt's global pool; returns once all are done.
template <typename Container, typename Function>
void BlockingMap(Container& items, Function function) {
    const char token = 0;
    HandOver(&token);
    QtConcurrent::blockingMap(items, [&](auto& item) {
        TakeOver(&token);
        function(item);
        HandOver(&token);
    });
    TakeOver(&token);
}

} // namespace q32
