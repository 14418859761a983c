// SPDX-License-Identifier: GPL-3.0-or-later
// Decides where the sound for a cue path comes from.
//
// The path names a file, written the Windows way. Where a regular file exists
// at that path, taken literally as a local path, it is the cue. Otherwise the file
// name (what follows the last backslash or slash) picks one of the program's
// own cues, compared without regard to case, as Windows names are. A path
// that matches neither has no sound.
#pragma once

#include <QString>

#include <string_view>

namespace navicella {

struct CueSource {
    enum class Kind { File, Bundled, None };
    Kind kind = Kind::None;
    QString location;  // a local file path, or a Qt resource path
};

class CueCatalogue {
public:
    static CueSource resolve(std::string_view path);

    // The resource path of the program's own cue for the file name of
    // `path`, or an empty string.
    static QString bundledFor(std::string_view path);

    // What follows the last backslash or slash.
    static std::string_view fileName(std::string_view path);
};

}  // namespace navicella
