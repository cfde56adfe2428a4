// The built-in backgrounds as the program will meet them: JPEG files of the full 4K size that decode, are
// small enough to ship, are pictures rather than flat fills, keep the middle (where the names scroll) darker
// than the rim, and come out the same on every run.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QString>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using kelvora::test::TempDir;

int runGenerator(const fs::path& folder) {
    const std::string command =
        std::string("'") + KELVORA_BACKGROUNDS_TOOL + "' '" + folder.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> jpegsIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".jpg")
            names.insert(entry.path().filename().string());
    return names;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Luminance {
    double stddev = 0;
    double middle = 0; // mean over the central third
    double rim = 0;    // mean over the outer tenth on every side
};

Luminance measure(const QImage& picture) {
    const QImage small = picture.scaled(384, 216, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    double sum = 0, squares = 0, middle = 0, rim = 0;
    int middleCount = 0, rimCount = 0;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            const QRgb c = small.pixel(x, y);
            const double l = 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
            sum += l;
            squares += l * l;
            const bool inMiddle = x >= 128 && x < 256 && y >= 72 && y < 144;
            const bool onRim = x < 38 || x >= 346 || y < 22 || y >= 194;
            middle += inMiddle ? l : 0;
            middleCount += inMiddle;
            rim += onRim ? l : 0;
            rimCount += onRim;
        }
    }
    const double n = small.width() * small.height();
    return {std::sqrt(squares / n - (sum / n) * (sum / n)), middle / middleCount, rim / rimCount};
}

TEST(BuiltinBackgrounds, FullSizeVariedPicturesWithACalmMiddleThatComeOutTheSameEveryRun) {
    TempDir dir;
    ASSERT_EQ(runGenerator(dir.path() / "a"), 0);
    const std::set<std::string> names = jpegsIn(dir.path() / "a");
    ASSERT_GE(names.size(), 4u);
    EXPECT_TRUE(names.count("贺岁.jpg")) << "the default look names 贺岁.jpg";

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fs::path file = dir.path() / "a" / name;
        EXPECT_LT(fs::file_size(file), 2500u * 1024u) << "too large to ship";
        QImageReader reader(QString::fromStdString(file.string()));
        EXPECT_EQ(reader.format(), "jpeg");
        EXPECT_EQ(reader.size(), QSize(3840, 2160));
        const QImage picture = reader.read();
        ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
        const Luminance l = measure(picture);
        EXPECT_GT(l.stddev, 12.0) << "a flat fill";
        EXPECT_LT(l.middle + 15.0, l.rim) << "the middle, where the names scroll, must be the darker part";
        EXPECT_LT(l.middle, 60.0) << "light-yellow names would not stand out";
    }

    ASSERT_EQ(runGenerator(dir.path() / "b"), 0);
    for (const std::string& name : names)
        EXPECT_EQ(bytesOf(dir.path() / "a" / name), bytesOf(dir.path() / "b" / name)) << name << " changed";
}

TEST(BuiltinBackgrounds, AFolderThatCannotBeMadeFails) {
    TempDir dir;
    std::ofstream(dir.path() / "file") << "x";
    EXPECT_EQ(runGenerator(dir.path() / "file" / "sub"), 1);
}

} // namespace
