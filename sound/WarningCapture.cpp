// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/WarningCapture.h"

#include <QtGlobal>

#include <atomic>
#include <mutex>

namespace navicella {

namespace {

// Enough to explain a fault; a stream of repeats is not worth keeping.
constexpr qsizetype MaxHeld = 8;

std::atomic<QtMessageHandler> g_previous{nullptr};
thread_local bool t_holding = false;
thread_local QStringList t_held;

void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (t_holding && (type == QtWarningMsg || type == QtCriticalMsg)) {
        if (t_held.size() < MaxHeld)
            t_held.append(message);
        return;
    }
    if (const QtMessageHandler previous = g_previous.load())
        previous(type, context, message);
}

}  // namespace

void WarningCapture::install()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previous.store(qInstallMessageHandler(handler)); });
}

void WarningCapture::holdThisThread()
{
    t_holding = true;
}

QStringList WarningCapture::take()
{
    QStringList held;
    held.swap(t_held);
    return held;
}

}  // namespace navicella
