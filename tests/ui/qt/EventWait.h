// Waiting in a widget test for something the event loop brings about.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace motifora::testing {

// Runs the event loop until `done` holds, sleeping between events rather than on a clock. The
// bound only ends a test that has already failed: it returns false then.
inline bool waitForEvents(const std::function<bool()>& done, int boundMs = 300000) {
    bool timedOut = false;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [&timedOut] { timedOut = true; });
    bound.start(boundMs);
    while (!done()) {
        if (timedOut) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace motifora::testing
