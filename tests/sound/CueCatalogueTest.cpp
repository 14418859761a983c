// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/Constants.h"
#include "sound/CueCatalogue.h"

#include <QDir>
#include <QFile>
#include <QResource>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>

namespace navicella::test {
namespace {

using Kind = CueSource::Kind;

TEST(CueCatalogue, MapsTheFixedPathsAndTheirFileNamesToOurOwnCues)
{
    struct Case {
        std::string path;
        Kind kind;
        const char* location;
    };
    const std::vector<Case> cases{
        {std::string(cue::StartCue), Kind::Bundled, ":/navicella/cues/start.wav"},
        {std::string(cue::RightCue), Kind::Bundled, ":/navicella/cues/right.wav"},
        {std::string(cue::WrongCue), Kind::Bundled, ":/navicella/cues/wrong.wav"},
        {std::string(cue::EndCue), Kind::Bundled, ":/navicella/cues/end.wav"},
        {"D:\\Elsewhere\\CHIMES.WAV", Kind::Bundled, ":/navicella/cues/right.wav"},
        {"C:/WINDOWS/Media/Tada.wav", Kind::Bundled, ":/navicella/cues/end.wav"},
        {"chord.wav", Kind::Bundled, ":/navicella/cues/wrong.wav"},
        {"C:\\WINDOWS\\Media\\windows xp - BARRA informazioni.wav", Kind::Bundled,
         ":/navicella/cues/start.wav"},
        {"C:\\WINDOWS\\Media\\ding.wav", Kind::None, ""},
        {"C:\\WINDOWS\\Media\\chimes.wav.bak", Kind::None, ""},
        {"C:\\WINDOWS\\Media\\", Kind::None, ""},
        {"", Kind::None, ""},
        {":/navicella/cues/start.wav", Kind::None, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const CueSource source = CueCatalogue::resolve(c.path);
        EXPECT_EQ(source.kind, c.kind);
        EXPECT_EQ(source.location.toStdString(), c.location);
    }
}

TEST(CueCatalogue, EveryBundledCueIsInTheResources)
{
    for (std::string_view path : {cue::StartCue, cue::RightCue, cue::WrongCue, cue::EndCue}) {
        const QString resource = CueCatalogue::bundledFor(path);
        SCOPED_TRACE(resource.toStdString());
        EXPECT_TRUE(QFile::exists(resource));
        // Stored as they are, so that the player plays them in place.
        EXPECT_EQ(QResource(resource).compressionAlgorithm(), QResource::NoCompression);
    }
}

TEST(CueCatalogue, AnExistingRegularFileWinsOverTheBundledCue)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("chimes.wav"));
    QFile(file).open(QIODevice::WriteOnly);
    const QString pipe = dir.filePath(QStringLiteral("tada.wav"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QDir(dir.path()).mkdir(QStringLiteral("chord.wav"));

    struct Case {
        QString path;
        Kind kind;
        QString location;
    };
    const std::vector<Case> cases{
        {file, Kind::File, file},
        // A pipe could block the reader, a folder is not a sound: both fall
        // back on the name.
        {pipe, Kind::Bundled, QStringLiteral(":/navicella/cues/end.wav")},
        {dir.filePath(QStringLiteral("chord.wav")), Kind::Bundled,
         QStringLiteral(":/navicella/cues/wrong.wav")},
        {dir.filePath(QStringLiteral("missing.wav")), Kind::None, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray utf8 = c.path.toUtf8();
        const CueSource source = CueCatalogue::resolve(utf8.toStdString());
        EXPECT_EQ(source.kind, c.kind);
        EXPECT_EQ(source.location, c.location);
    }
}

}  // namespace
}  // namespace navicella::test
