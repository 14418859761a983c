// SPDX-License-Identifier: GPL-3.0-or-later
// The icon as it is installed and as the window gets it: the generated theme
// PNGs, the scalable SVG and windowIcon(). Runs on the offscreen platform.
#include "ui/AppIcon.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QString pngPath(int size)
{
    return QStringLiteral(NAVICELLA_ICON_DIR "/%1x%1/apps/" NAVICELLA_APP_ID ".png").arg(size);
}

const QString svgPath =
    QStringLiteral(NAVICELLA_ICON_DIR "/scalable/apps/" NAVICELLA_APP_ID ".svg");

enum class Ink { Tile, Ship, Thread, Goal, Other };

// Sorts an opaque pixel into the icon's colour families, loosely enough for
// the blend of antialiased edges to count as "other".
Ink inkOf(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    if (r > 230 && g > 230 && b > 150 && b < 230) {
        return Ink::Tile;
    }
    if (b > 200 && r < 60 && g < 60) {
        return Ink::Ship;
    }
    if (g > 150 && r < 60 && b < 60) {
        return Ink::Thread;
    }
    if (r > 200 && g < 60 && b < 60) {
        return Ink::Goal;
    }
    return Ink::Other;
}

struct InkShares {
    double tile = 0, ship = 0, thread = 0, goal = 0, transparent = 0;
};

InkShares sharesOf(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    InkShares shares;
    const double total = image.width() * image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                shares.transparent += 1 / total;
                continue;
            }
            if (qAlpha(pixel) < 250) {
                continue;
            }
            switch (inkOf(pixel)) {
            case Ink::Tile: shares.tile += 1 / total; break;
            case Ink::Ship: shares.ship += 1 / total; break;
            case Ink::Thread: shares.thread += 1 / total; break;
            case Ink::Goal: shares.goal += 1 / total; break;
            case Ink::Other: break;
            }
        }
    }
    return shares;
}

// Mean difference per channel, 0 to 255, of two images of the same size.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return sum / (4.0 * left.width() * left.height());
}

class InstalledPng : public testing::TestWithParam<int> {};

// Every size, down to 16 pixels, must show all four parts of the drawing in
// solid colour, not just a smear: the shares are well below what the
// drawing covers, and far above what a blank or one-colour image gives.
TEST_P(InstalledPng, HasItsSizeAndShowsShipThreadAndGoal)
{
    const int size = GetParam();
    QImage image;
    ASSERT_TRUE(image.load(pngPath(size))) << qPrintable(pngPath(size));
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(image.hasAlphaChannel());
    const InkShares shares = sharesOf(image);
    EXPECT_GT(shares.tile, 0.30);
    EXPECT_GT(shares.ship, 0.02);
    EXPECT_GT(shares.thread, 0.03);
    EXPECT_GT(shares.goal, 0.03);
    // Only the rounded corners are see-through.
    EXPECT_GT(shares.transparent, 0.0);
    EXPECT_LT(shares.transparent, 0.05);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
}

INSTANTIATE_TEST_SUITE_P(EverySize, InstalledPng, testing::ValuesIn(navicella::iconSizes),
                         [](const testing::TestParamInfo<int>& sizeInfo) {
                             return "Px" + std::to_string(sizeInfo.param);
                         });

TEST(ScalableIcon, IsAnSvgWithASquareViewBox)
{
    QFile file(svgPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(svgPath);
    QXmlStreamReader xml(&file);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    const QStringList box =
        xml.attributes().value(QStringLiteral("viewBox")).toString().split(u' ');
    ASSERT_EQ(box.size(), 4);
    EXPECT_EQ(box[2], box[3]);
}

// The SVG is written through a different paint engine than the PNGs; drawn
// back at a few sizes it must give the same picture, apart from
// antialiasing.
TEST(ScalableIcon, RendersLikeThePngOfTheSameSize)
{
    QSvgRenderer renderer(svgPath);
    ASSERT_TRUE(renderer.isValid()) << qPrintable(svgPath);
    for (const int size : {48, 128, 256}) {
        QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        QImage png;
        ASSERT_TRUE(png.load(pngPath(size)));
        EXPECT_LT(meanDifference(drawn, png), 3.0) << "at " << size << " px";
    }
}

TEST(WindowIcon, OffersTheWindowSizes)
{
    const QIcon icon = navicella::windowIcon();
    QList<QSize> expected;
    for (const int size : navicella::windowIconSizes) {
        expected.append(QSize(size, size));
    }
    QList<QSize> offered = icon.availableSizes();
    std::sort(offered.begin(), offered.end(),
              [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
    EXPECT_EQ(offered, expected);
    for (const QSize& size : expected) {
        EXPECT_EQ(icon.pixmap(size).size(), size);
    }
}

// The window's icon and the installed icon come from the same drawing.
TEST(WindowIcon, MatchesTheInstalledPngs)
{
    const QIcon icon = navicella::windowIcon();
    for (const int size : navicella::windowIconSizes) {
        QImage png;
        ASSERT_TRUE(png.load(pngPath(size)));
        const QImage fromIcon = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_LT(meanDifference(fromIcon, png), 0.5) << "at " << size << " px";
    }
}

// In a wide target the icon is a centred square and leaves the sides alone.
TEST(PaintIcon, KeepsToACentredSquareOfAnOblongTarget)
{
    struct Case {
        QSize canvas;
        QRect inside;
    };
    const Case cases[] = {
        {QSize(96, 32), QRect(32, 0, 32, 32)},
        {QSize(40, 120), QRect(0, 40, 40, 40)},
    };
    for (const Case& c : cases) {
        QImage canvas(c.canvas, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        navicella::paintIcon(painter, QRectF(QPointF(0, 0), QSizeF(c.canvas)));
        painter.end();
        int paintedOutside = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                if (!c.inside.contains(x, y) && qAlpha(canvas.pixel(x, y)) != 0) {
                    ++paintedOutside;
                }
            }
        }
        EXPECT_EQ(paintedOutside, 0) << c.canvas.width() << "x" << c.canvas.height();
        const QImage square = canvas.copy(c.inside);
        EXPECT_LT(meanDifference(square, navicella::iconImage(c.inside.width())), 0.5);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
