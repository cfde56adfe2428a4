#include "screen/ui/font_style_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/text.h"
#include "screen/ui/look_fields.h"
#include "settings/interface_rules.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

// A colour painted into the dialog; a left click inside it asks for another.
class ColorSwatch final : public QWidget {
public:
    ColorSwatch(ColorRef color, const char* objectName, QWidget* parent) : QWidget(parent), m_color(color) {
        setObjectName(QLatin1String(objectName));
        setFixedSize(48, 20);
        setCursor(Qt::PointingHandCursor);
    }
    ColorRef color() const { return m_color; }
    void setColor(ColorRef color) {
        m_color = color;
        update();
    }
    std::function<void()> clicked;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(colorRed(m_color), colorGreen(m_color), colorBlue(m_color)));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked)
            clicked();
    }

private:
    ColorRef m_color;
};

namespace {

std::optional<ColorRef> askQtColor(QWidget* parent, ColorRef initial) {
    const QColor chosen =
        QColorDialog::getColor(QColor(colorRed(initial), colorGreen(initial), colorBlue(initial)), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return makeColorRef(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                        static_cast<std::uint8_t>(chosen.blue()));
}

// A flag still set keeps its stored nonzero value; the painters only ask whether it is nonzero.
std::int32_t flagOf(bool checked, std::int32_t stored) {
    if (!checked)
        return 0;
    return stored != 0 ? stored : 1;
}

void setFace(FontStyle& font, const QString& face) {
    std::fill(std::begin(font.faceName), std::end(font.faceName), u'\0');
    const auto units = std::min<qsizetype>(face.size(), FontStyle::kFaceUnits - 1);
    for (qsizetype i = 0; i < units; ++i)
        font.faceName[i] = face.at(i).unicode();
}

} // namespace

FontStyleForm::FontStyleForm(const FontStyle& font, const FontFormOptions& options, QWidget* parent)
    : QWidget(parent), m_font(font), m_chooser(askQtColor) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;

    grid->addWidget(new QLabel(QStringLiteral("字体:"), this), row, 0);
    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("face"));
    m_face->addItems(options.faces);
    m_face->setMaxVisibleItems(16);
    // A stored face that is not offered stays selected in the record, not in the list, until one is picked.
    m_face->setCurrentIndex(options.faces.indexOf(toQString(fieldText(m_font.faceName))));
    grid->addWidget(m_face, row++, 1, 1, 2);

    if (options.withSize) {
        grid->addWidget(new QLabel(QStringLiteral("大小:"), this), row, 0);
        m_size = lookNumberField(m_font.sizePt, "size", this);
        m_size->setPlaceholderText(QStringLiteral("16-125"));
        grid->addWidget(m_size, row, 1);
        grid->addWidget(new QLabel(QStringLiteral("16-125"), this), row++, 2);
    } else {
        auto* note = new QLabel(QStringLiteral("字体大小和列数在“奖项设置”中按奖项设置"), this);
        note->setObjectName(QStringLiteral("sizeNote"));
        grid->addWidget(note, row++, 0, 1, 3);
    }

    m_bold = new QCheckBox(QStringLiteral("加粗"), this);
    m_bold->setObjectName(QStringLiteral("bold"));
    m_bold->setChecked(m_font.bold != 0);
    m_italic = new QCheckBox(QStringLiteral("斜"), this);
    m_italic->setObjectName(QStringLiteral("italic"));
    m_italic->setChecked(m_font.italic != 0);
    // Nothing on screen sets italic, but a stored value is honoured and written back.
    m_italic->setVisible(false);
    grid->addWidget(m_bold, row, 1);
    grid->addWidget(m_italic, row++, 2);

    grid->addWidget(new QLabel(QStringLiteral("字体颜色:"), this), row, 0);
    m_textColor = new ColorSwatch(m_font.textColor, "textColor", this);
    grid->addWidget(m_textColor, row++, 1, Qt::AlignLeft);

    auto* effects = new QGroupBox(QStringLiteral("特效"), this);
    auto* effectGrid = new QGridLayout(effects);
    m_effect = new QButtonGroup(this);
    const QString effectTexts[] = {options.noEffectText, QStringLiteral("阴影"), QStringLiteral("描边")};
    const char* effectNames[] = {"effectNone", "effectShadow", "effectOutline"};
    for (int id = 0; id < 3; ++id) {
        auto* button = new QRadioButton(effectTexts[id], effects);
        button->setObjectName(QLatin1String(effectNames[id]));
        m_effect->addButton(button, id);
        effectGrid->addWidget(button, 0, id);
    }
    // The outline's colour sits under "描边"; the shadow is always black.
    m_effectColor = new ColorSwatch(m_font.effectColor, "effectColor", effects);
    effectGrid->addWidget(m_effectColor, 1, 2, Qt::AlignLeft);
    // Painters draw an unknown effect as none.
    QAbstractButton* current = m_effect->button(m_font.effect);
    (current ? current : m_effect->button(0))->setChecked(true);
    grid->addWidget(effects, row++, 0, 1, 3);

    m_textColor->clicked = [this] { choose(*m_textColor); };
    m_effectColor->clicked = [this] { choose(*m_effectColor); };
}

void FontStyleForm::setColorChooser(ColorChooser chooser) {
    m_chooser = chooser ? std::move(chooser) : ColorChooser(askQtColor);
}

void FontStyleForm::choose(ColorSwatch& swatch) {
    if (const std::optional<ColorRef> chosen = m_chooser(window(), swatch.color()))
        swatch.setColor(*chosen);
}

FontStyle FontStyleForm::edited() const {
    FontStyle font = m_font;
    if (m_face->currentIndex() >= 0)
        setFace(font, m_face->currentText());
    if (m_size)
        font.sizePt = clampFontSize(readLookNumber(*m_size));
    font.bold = flagOf(m_bold->isChecked(), m_font.bold);
    font.italic = flagOf(m_italic->isChecked(), m_font.italic);
    font.effect = std::max(0, m_effect->checkedId());
    font.textColor = m_textColor->color();
    font.effectColor = m_effectColor->color();
    return font;
}

FontStyleForm* buildFontDialog(QDialog& dialog, const FontStyle& font, const FontFormOptions& options,
                               FontStyle& result) {
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new FontStyleForm(font, options, &dialog);
    layout->addWidget(form);
    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", &dialog);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", &dialog);
    addClosingRow(*layout, {ok, cancel});
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, form, &result] {
        result = form->edited();
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return form;
}

} // namespace kelvora
