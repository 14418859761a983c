// SPDX-License-Identifier: GPL-3.0-or-later
// The sounding side of the cue player: one audio stream and the cues.
//
// A CueOutput lives on the player's sound thread and is driven only through
// that thread's event loop. open() connects to the default output, then
// emits opened(). start(path) fades out whatever is sounding within 5 ms and
// starts the cue from its beginning; each cue is read once, when first played.
//
// A cue that starts out of silence gets a fresh stream: one that has run dry
// drops the first milliseconds of what comes next. Even a fresh stream loses
// its first few milliseconds when the sound server splices it into audio it
// has already mixed ahead, so it begins with a little silence, and the cue's
// soft attack is heard whole. While a cue sounds the stream is kept topped
// up, so a cue that cuts in follows on the same stream without a gap.
// Shortly after the last cue the stream closes, and the device may sleep.
//
// Every fault means silence: no output, a stream that fails, a file that is
// missing, unreadable or not a WAV file. Each kind of fault is reported once,
// in one line on stderr; Qt's own warnings from this thread are held back
// and become the reason given in that line.
#pragma once

#include "sound/CueCatalogue.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <map>
#include <vector>

class QAudioDevice;
class QAudioSink;
class QIODevice;

namespace navicella {

class CueOutput : public QObject {
    Q_OBJECT
public:
    struct Settings {
        int bufferMs = 50;  // audio queued ahead in the stream
    };

    explicit CueOutput(const Settings& settings, QObject* parent = nullptr);
    ~CueOutput() override;

    void open();
    void start(const QString& path);

signals:
    // The output is open; `audible` is false when there is no output device.
    void opened(bool audible);

private:
    // A cue's sound at the output's rate: mono signed 16-bit little-endian
    // samples. Empty for a silent cue.
    using Clip = QByteArray;

    void useFormatOf(const QAudioDevice& device);
    bool openStream();
    void closeStream();
    void onStateChanged();
    Clip clipFor(const QString& path);
    Clip load(const CueSource& source, const QString& path);
    Clip readBundled(const QString& resource, QString* error) const;
    void feed();
    void warnOnce(const QString& key, const QString& message);

    Settings m_settings;
    QAudioFormat m_format;
    QAudioSink* m_sink = nullptr;
    QIODevice* m_device = nullptr;

    std::map<QString, Clip> m_byPath;      // every path asked for, silent ones too
    std::map<QString, Clip> m_byLocation;  // every file or resource read

    Clip m_current;
    std::size_t m_position = 0;
    std::vector<float> m_prelude;   // silence, or the faded-out ending of a cut cue
    std::size_t m_quietFrames = 0;  // silence written since the last sound
    std::vector<float> m_block;
    QByteArray m_bytes;

    QTimer m_feedTimer;
    QTimer m_closeTimer;
    QSet<QString> m_warned;
};

}  // namespace navicella
