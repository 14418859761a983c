// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/CueCatalogue.h"

#include "game/Constants.h"

#include <QFileInfo>

#include <array>

namespace navicella {

namespace {

struct Bundled {
    std::string_view cuePath;
    const char* resource;
};

constexpr std::array<Bundled, 4> BundledCues{{
    {cue::StartCue, ":/navicella/cues/start.wav"},
    {cue::RightCue, ":/navicella/cues/right.wav"},
    {cue::WrongCue, ":/navicella/cues/wrong.wav"},
    {cue::EndCue, ":/navicella/cues/end.wav"},
}};

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string_view CueCatalogue::fileName(std::string_view path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

QString CueCatalogue::bundledFor(std::string_view path)
{
    const QString name = toQString(fileName(path));
    if (name.isEmpty())
        return {};
    for (const Bundled& b : BundledCues) {
        if (name.compare(toQString(fileName(b.cuePath)), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(b.resource);
    }
    return {};
}

CueSource CueCatalogue::resolve(std::string_view path)
{
    const QString local = toQString(path);
    // A path starting with a colon would name a Qt resource, not a file.
    // Only regular files count: reading a pipe or a device could block.
    if (!local.isEmpty() && !local.startsWith(u':')) {
        const QFileInfo info(local);
        if (info.isFile())
            return {CueSource::Kind::File, local};
    }
    if (QString resource = bundledFor(path); !resource.isEmpty())
        return {CueSource::Kind::Bundled, resource};
    return {};
}

}  // namespace navicella
