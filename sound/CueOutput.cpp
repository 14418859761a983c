// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/CueOutput.h"

#include "sound/PcmConversion.h"
#include "sound/WarningCapture.h"
#include "sound/WavDecoder.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <QResource>
#include <QtEndian>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace navicella {

namespace {

// The bundled cues are made at this rate; any output takes it.
constexpr int PreferredRate = 44100;
// A tenth of the buffer: the stream stays topped up even when the thread
// wakes late a few times in a row.
constexpr int FeedPeriodMs = 5;
// Long enough not to click, short enough not to delay the next cue.
constexpr int FadeMs = 5;
// Long after the last of a cue has left the stream and the device.
constexpr int CloseAfterMs = 500;
// Long enough for the server's replies to a closing stream.
constexpr unsigned long ExitLingerMs = 50;

// Qt's held warnings, as the reason that ends our one line.
QString because(const QStringList& held)
{
    if (held.isEmpty())
        return {};
    QString reason = held.first().simplified();
    // qCritical() << QString quotes the text; the quotes say nothing here.
    if (reason.size() > 1 && reason.startsWith(u'"') && reason.endsWith(u'"'))
        reason = reason.mid(1, reason.size() - 2);
    return QStringLiteral(" (") + reason + QStringLiteral(")");
}

std::size_t framesFor(int ms, const QAudioFormat& format)
{
    return static_cast<std::size_t>(format.sampleRate()) * static_cast<std::size_t>(ms) / 1000;
}

// A clip holds two bytes a frame.
std::size_t framesIn(const QByteArray& clip)
{
    return static_cast<std::size_t>(clip.size()) / 2;
}

float sampleAt(const QByteArray& clip, std::size_t frame)
{
    return static_cast<float>(qFromLittleEndian<qint16>(clip.constData() + 2 * frame)) / 32768.0f;
}

// Appends `count` frames of `clip` from `from` to `out`, as full-scale-1 samples.
void appendFrames(const QByteArray& clip, std::size_t from, std::size_t count,
                  std::vector<float>& out)
{
    for (std::size_t i = from; i < from + count; ++i)
        out.push_back(sampleAt(clip, i));
}

}  // namespace

CueOutput::CueOutput(const Settings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_feedTimer(this), m_closeTimer(this)
{
    m_format.setSampleRate(PreferredRate);
    m_format.setChannelCount(1);
    m_format.setSampleFormat(QAudioFormat::Int16);

    m_feedTimer.setInterval(FeedPeriodMs);
    connect(&m_feedTimer, &QTimer::timeout, this, &CueOutput::feed);

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(CloseAfterMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &CueOutput::closeStream);
}

CueOutput::~CueOutput()
{
    if (!m_sink)
        return;
    closeStream();
    // Qt's PulseAudio connection is let go at exit without waiting for the
    // server, and a reply that arrives just then aborts the program. Closing
    // a stream draws a few replies; they come within milliseconds.
    QThread::msleep(ExitLingerMs);
}

void CueOutput::open()
{
    WarningCapture::holdThisThread();
    // Connecting to the sound server here, once, spares the first cue that wait.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        warnOnce(QStringLiteral("output"), QStringLiteral("no audio output, cues are silent") +
                                               because(WarningCapture::take()));
    else
        useFormatOf(device);
    WarningCapture::take();
    // The cues themselves are read when first played: the program's own are
    // played where they lie, and a file at a cue's path is read once then.
    emit opened(!device.isNull());
}

void CueOutput::useFormatOf(const QAudioDevice& device)
{
    QAudioFormat format;
    format.setSampleRate(PreferredRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        format = device.preferredFormat();
    if (format.sampleRate() != m_format.sampleRate()) {
        // The cues are at the old rate; read them again when asked.
        m_byPath.clear();
        m_byLocation.clear();
        m_current.clear();
        m_position = 0;
        m_prelude.clear();
    }
    m_format = format;
}

bool CueOutput::openStream()
{
    // Whatever was held so far belongs to no fault of this stream.
    WarningCapture::take();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        warnOnce(QStringLiteral("output"), QStringLiteral("no audio output, cues are silent") +
                                               because(WarningCapture::take()));
        return false;
    }
    useFormatOf(device);
    m_sink = new QAudioSink(device, m_format, this);
    m_sink->setBufferSize(
        pcm::bytesFor(static_cast<qsizetype>(framesFor(m_settings.bufferMs, m_format)), m_format));
    m_device = m_sink->start();
    if (!m_device || m_sink->error() != QAudio::NoError) {
        warnOnce(QStringLiteral("output"),
                 QStringLiteral("cannot open the audio output, cues are silent") +
                     because(WarningCapture::take()));
        delete m_sink;
        m_sink = nullptr;
        m_device = nullptr;
        return false;
    }
    connect(m_sink, &QAudioSink::stateChanged, this, &CueOutput::onStateChanged);
    return true;
}

void CueOutput::closeStream()
{
    m_feedTimer.stop();
    m_closeTimer.stop();
    if (!m_sink)
        return;
    m_sink->disconnect(this);
    m_sink->stop();
    // The sink may be the sender of the signal that brought us here.
    m_sink->deleteLater();
    m_sink = nullptr;
    m_device = nullptr;
}

void CueOutput::onStateChanged()
{
    if (!m_sink || m_sink->state() != QAudio::StoppedState || m_sink->error() == QAudio::NoError)
        return;
    // The stream is gone, most likely with the sound server; the next cue
    // tries a new one.
    warnOnce(QStringLiteral("stream"),
             QStringLiteral("the audio stream failed, cues are silent until one opens again") +
                 because(WarningCapture::take()));
    closeStream();
}

void CueOutput::start(const QString& path)
{
    const bool sounding = m_sink && m_feedTimer.isActive();
    if (!sounding) {
        closeStream();
        // Out of silence into silence needs no stream at all.
        if (clipFor(path).isEmpty() || !openStream())
            return;
    }

    // Cut what is sounding: its next few milliseconds, faded to nothing.
    // A fresh stream opens with silence; what of it the server skips costs
    // nothing, and a quarter of the buffer is what it has been seen to skip.
    std::vector<float> rest(sounding ? 0 : framesFor(m_settings.bufferMs / 2, m_format), 0.0f);
    if (sounding) {
        const std::size_t fadeFrames = framesFor(FadeMs, m_format);
        const std::size_t fromPrelude = std::min(fadeFrames, m_prelude.size());
        rest.assign(m_prelude.begin(),
                    m_prelude.begin() + static_cast<std::ptrdiff_t>(fromPrelude));
        if (m_position < framesIn(m_current))
            appendFrames(m_current, m_position,
                         std::min(fadeFrames - rest.size(), framesIn(m_current) - m_position),
                         rest);
        for (std::size_t i = 0; i < rest.size(); ++i) {
            const double x = static_cast<double>(i + 1) / static_cast<double>(fadeFrames);
            rest[i] *= static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * x));
        }
    }
    m_prelude = std::move(rest);
    // Asked again, after the stream has settled the sample rate.
    m_current = clipFor(path);
    m_position = 0;
    m_quietFrames = 0;

    m_closeTimer.stop();
    feed();
    if (m_sink)
        m_feedTimer.start();
}

void CueOutput::feed()
{
    if (!m_sink || !m_device) {
        m_feedTimer.stop();
        return;
    }
    const int frameBytes = m_format.bytesPerFrame();
    const qsizetype free = frameBytes > 0 ? m_sink->bytesFree() / frameBytes : 0;
    if (free <= 0)
        return;
    const auto frames = static_cast<std::size_t>(free);
    const std::size_t fromPrelude = std::min(frames, m_prelude.size());
    m_block.assign(m_prelude.begin(), m_prelude.begin() + static_cast<std::ptrdiff_t>(fromPrelude));
    m_prelude.erase(m_prelude.begin(), m_prelude.begin() + static_cast<std::ptrdiff_t>(fromPrelude));
    const std::size_t fromCue = std::min(frames - fromPrelude, framesIn(m_current) - m_position);
    appendFrames(m_current, m_position, fromCue, m_block);
    m_position += fromCue;
    const bool sounding = !m_prelude.empty() || m_position < framesIn(m_current);
    if (!sounding)
        m_quietFrames += frames - m_block.size();
    m_block.resize(frames, 0.0f);

    m_bytes.resize(pcm::bytesFor(free, m_format));
    if (pcm::writeFrames(m_block, m_format, m_bytes.data()))
        m_device->write(m_bytes);

    // Silence after the end pushes the last of the cue through; then the
    // stream may run dry, and closes a little later.
    if (!sounding && m_quietFrames >= 2 * framesFor(m_settings.bufferMs, m_format)) {
        m_feedTimer.stop();
        m_current.clear();
        m_position = 0;
        m_closeTimer.start();
    }
}

CueOutput::Clip CueOutput::clipFor(const QString& path)
{
    if (const auto found = m_byPath.find(path); found != m_byPath.end())
        return found->second;
    const QByteArray utf8 = path.toUtf8();
    const CueSource source = CueCatalogue::resolve(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    Clip clip = load(source, path);
    m_byPath.emplace(path, clip);
    return clip;
}

CueOutput::Clip CueOutput::load(const CueSource& source, const QString& path)
{
    if (source.kind == CueSource::Kind::None) {
        warnOnce(QStringLiteral("path:") + path, QStringLiteral("no sound for \"%1\"").arg(path));
        return {};
    }
    if (const auto found = m_byLocation.find(source.location); found != m_byLocation.end())
        return found->second;

    Clip clip;
    QString error;
    if (source.kind == CueSource::Kind::Bundled) {
        clip = readBundled(source.location, &error);
    } else {
        QFile file(source.location);
        if (!file.open(QIODevice::ReadOnly)) {
            warnOnce(QStringLiteral("path:") + path,
                     QStringLiteral("cannot read \"%1\": %2, the cue stays silent")
                         .arg(source.location, file.errorString()));
            m_byLocation.emplace(source.location, clip);
            return clip;
        }
        clip = WavDecoder::monoInt16(file.read(WavDecoder::MaxFileBytes + 1), m_format.sampleRate(),
                                     &error);
    }
    if (clip.isEmpty()) {
        warnOnce(QStringLiteral("path:") + path,
                 QStringLiteral("cannot play \"%1\": %2, the cue stays silent")
                     .arg(source.location, error));
    }
    m_byLocation.emplace(source.location, clip);
    return clip;
}

// The program's own cues are stored uncompressed in its resources, which
// stay where the program is loaded: a cue already at the output's rate plays
// from there, not copied, and its pages are read only when it sounds.
CueOutput::Clip CueOutput::readBundled(const QString& location, QString* error) const
{
    const QResource resource(location);
    if (!resource.isValid()) {
        *error = QStringLiteral("not among the program's resources");
        return {};
    }
    if (resource.compressionAlgorithm() != QResource::NoCompression)
        return WavDecoder::monoInt16(resource.uncompressedData(), m_format.sampleRate(), error);
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                                    static_cast<qsizetype>(resource.size()));
    const std::optional<WavDecoder::Layout> layout = WavDecoder::parse(file, error);
    if (!layout)
        return {};
    if (!layout->isMono16At(m_format.sampleRate()))
        return WavDecoder::monoInt16(file, m_format.sampleRate(), error);
    return QByteArray::fromRawData(file.constData() + layout->dataOffset, layout->frames * 2);
}

void CueOutput::warnOnce(const QString& key, const QString& message)
{
    if (m_warned.contains(key))
        return;
    m_warned.insert(key);
    std::fprintf(stderr, "navicella: %s\n", qUtf8Printable(message.simplified()));
    std::fflush(stderr);
}

}  // namespace navicella
