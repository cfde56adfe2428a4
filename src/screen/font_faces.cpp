#include "screen/font_faces.h"

#include <QFontDatabase>

#include "settings/interface_settings.h"

namespace kelvora {

namespace {

// The face names the alias file maps, in the order the dialogs offer them.
constexpr const char16_t* kMappedFaces[] = {u"黑体", u"楷体", u"仿宋", u"隶书", u"宋体", u"新宋体"};
// In each of these one Chinese character is exactly two spaces wide.
constexpr const char16_t* kSpaceAlignedFaces[] = {u"楷体", u"黑体", u"仿宋", u"隶书", u"新宋体"};

// "幼圆" has always been left out; "@" marks vertical faces. A name longer than the record's face field
// would be stored cut short and then name no font at all.
bool offered(const QString& family) {
    return !family.isEmpty() && family.size() < FontStyle::kFaceUnits && family != QStringLiteral("幼圆") &&
           !family.startsWith(QLatin1Char('@'));
}

template <std::size_t N> QStringList installed(const char16_t* const (&faces)[N]) {
    QStringList found;
    for (const char16_t* face : faces) {
        const QString name = QString::fromUtf16(face);
        // hasFamily resolves through the aliases, so a mapped name counts only when its font is there.
        if (QFontDatabase::hasFamily(name))
            found << name;
    }
    return found;
}

} // namespace

QStringList fontFaceChoices() {
    QStringList faces = installed(kMappedFaces);
    for (const QString& family : QFontDatabase::families(QFontDatabase::SimplifiedChinese))
        if (offered(family) && !faces.contains(family))
            faces << family;
    return faces;
}

QStringList spaceAlignedFaceChoices() {
    return installed(kSpaceAlignedFaces);
}

} // namespace kelvora
