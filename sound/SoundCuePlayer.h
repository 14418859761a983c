// SPDX-License-Identifier: GPL-3.0-or-later
// The game's cue player on Qt Multimedia.
//
// Create it after the QApplication and keep it alive as long as the game that
// plays through it; destroy it before the QApplication. It starts its own
// sound thread, which connects to the default audio output in the
// background, so creating it costs the window no time. Creating the first one puts a Qt message handler in front of the one
// installed then (see WarningCapture); a handler installed later replaces
// it, and Qt's audio warnings then reach stderr as they come.
//
// play(path) hands the cue to the sound thread and returns at once; it never
// throws. There the cue that is sounding is cut off (faded out within 5 ms)
// and the new one starts from its beginning, the same cue again included.
// Cues never queue. Where the path is a file that exists, that file is the
// cue; otherwise the program's own cue of the same file name; otherwise, and
// whenever the sound cannot be played, silence with one line on stderr.
#pragma once

#include "game/CuePlayer.h"
#include "sound/CueOutput.h"

#include <QObject>

class QThread;

namespace navicella {

class SoundCuePlayer final : public QObject, public CuePlayer {
    Q_OBJECT
public:
    using Options = CueOutput::Settings;

    explicit SoundCuePlayer(QObject* parent = nullptr);
    explicit SoundCuePlayer(const Options& options, QObject* parent = nullptr);
    ~SoundCuePlayer() override;

    void play(std::string_view path) noexcept override;

signals:
    // The sound thread has opened the output (or found none). Cues played
    // before this are not lost; they sound once it is ready.
    void ready(bool audible);

private:
    QThread* m_thread = nullptr;
    CueOutput* m_output = nullptr;
};

}  // namespace navicella
