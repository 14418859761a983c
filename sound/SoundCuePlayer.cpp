// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundCuePlayer.h"

#include "sound/WarningCapture.h"

#include <QDeadlineTimer>
#include <QThread>

namespace navicella {

namespace {

// Long enough for a stream to close, short enough not to hold up the exit
// when the sound system hangs.
constexpr int StopWaitMs = 2000;

}  // namespace

SoundCuePlayer::SoundCuePlayer(QObject* parent) : SoundCuePlayer(Options{}, parent) {}

SoundCuePlayer::SoundCuePlayer(const Options& options, QObject* parent)
    : QObject(parent), m_thread(new QThread), m_output(new CueOutput(options))
{
    WarningCapture::install();
    m_thread->setObjectName(QStringLiteral("navicella-sound"));
    m_output->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_output, &CueOutput::open);
    connect(m_thread, &QThread::finished, m_output, &QObject::deleteLater);
    connect(m_output, &CueOutput::opened, this, &SoundCuePlayer::ready);
    m_thread->start(QThread::HighPriority);
}

SoundCuePlayer::~SoundCuePlayer()
{
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(StopWaitMs)))
        delete m_thread;
    // Otherwise the thread is stuck inside the sound system; it is left to
    // end with the process rather than destroyed while it runs.
}

void SoundCuePlayer::play(std::string_view path) noexcept
{
    try {
        QString cue = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
        // Qt owns the queued call object it allocates here; the analyser cannot see that.
        QMetaObject::invokeMethod(  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
            m_output, [output = m_output, cue = std::move(cue)] { output->start(cue); },
            Qt::QueuedConnection);
    } catch (...) {
        // Out of memory for a few bytes: the cue is silent and the game goes on.
    }
}

}  // namespace navicella
