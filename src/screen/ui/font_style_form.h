#pragma once
// The controls that edit one FontStyle, shared by "字体" and "字体等": the face list, the size (when the
// dialog has one), "加粗", the hidden "斜", the effect and the two colour swatches. The form reads its
// controls over the font it was given, so that whatever it does not show is kept.

#include <QStringList>
#include <QWidget>

#include "screen/ui/font_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;

namespace kelvora {

class ColorSwatch;

struct FontFormOptions {
    QStringList faces;
    bool withSize = true;
    QString noEffectText; // the first effect button: "无特效" or "无"
};

class FontStyleForm : public QWidget {
    Q_OBJECT
public:
    FontStyleForm(const FontStyle& font, const FontFormOptions& options, QWidget* parent);

    void setColorChooser(ColorChooser chooser);
    // The font as the controls stand; the face stays the given one unless a listed face is selected.
    FontStyle edited() const;

private:
    void choose(ColorSwatch& swatch);

    FontStyle m_font;
    ColorChooser m_chooser;
    QComboBox* m_face = nullptr;
    QLineEdit* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QButtonGroup* m_effect = nullptr;
    ColorSwatch* m_textColor = nullptr;
    ColorSwatch* m_effectColor = nullptr;
};

// Lays out dialog with the form and its "确定"/"取消" row; "确定" stores the edited font into result and
// accepts. Returns the form.
FontStyleForm* buildFontDialog(QDialog& dialog, const FontStyle& font, const FontFormOptions& options,
                               FontStyle& result);

} // namespace kelvora
