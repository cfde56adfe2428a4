#include <gtest/gtest.h>

#include <QImage>
#include <QXmlStreamReader>

#include "media/app_icon.h"

namespace kelvora {
namespace {

// Desktops reject an SVG that does not parse, and fonts differ between machines, so the document must be
// well-formed, sized as the theme expects and free of text.
TEST(AppIconTest, SvgIsAWellFormedDocumentWithoutText) {
    QXmlStreamReader reader(appIconSvg());
    QString root;
    QString viewBox;
    int textElements = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (root.isEmpty()) {
            root = reader.name().toString();
            viewBox = reader.attributes().value(QStringLiteral("viewBox")).toString();
        }
        if (reader.name() == QStringLiteral("text"))
            ++textElements;
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << " at line "
                                    << reader.lineNumber();
    EXPECT_EQ(root, QStringLiteral("svg"));
    EXPECT_EQ(viewBox, QStringLiteral("0 0 256 256"));
    EXPECT_EQ(textElements, 0);
}

// The tile's rounded corners must leave the image's corners see-through, while its middle is solid.
TEST(AppIconTest, PngHasTransparentCornersAndAnOpaqueCentre) {
    const QImage icon = paintAppIcon(48);
    ASSERT_EQ(icon.size(), QSize(48, 48));
    for (const QPoint corner : {QPoint(0, 0), QPoint(47, 0), QPoint(0, 47), QPoint(47, 47)})
        EXPECT_EQ(qAlpha(icon.pixel(corner)), 0) << corner.x() << "," << corner.y();
    EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);
}

} // namespace
} // namespace kelvora
