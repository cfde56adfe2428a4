#include "settings/ui/prize_edit_dialog.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "records/file_system.h"
#include "records/settings_file.h"
#include "screen/screen_paint.h"
#include "screen/text_scroll_area.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

constexpr std::u16string_view kPictureFilter =
    u"所有图片文件 (*.jpg *.jpeg *.jpe *.jfif *.png *.gif *.bmp *.dib *.tif *.tiff *.ico)";
constexpr std::u16string_view kPictureFailedText = u"奖品图加载失败:\n";
constexpr std::u16string_view kLockedNoticeText = u"正在抽此奖项...\n奖项名称/名额不可修改";
constexpr int kNumberFieldDigits = 9;

QColor toQColor(ColorRef color) {
    return QColor(colorRed(color), colorGreen(color), colorBlue(color));
}

QString numberText(std::int32_t value) {
    return QString::number(value);
}

} // namespace

// ------------------------------------------------------------------------------------------- PrizePreview

PrizePreview::PrizePreview(const InterfaceSettings& look, QWidget* parent) : QWidget(parent), m_look(look) {
    setObjectName(QStringLiteral("preview"));
    // Room for the largest sample: 125 points is about 167 pixels at 96 dots per inch.
    setMinimumSize(220, kBoxHeight + 8 + 180);
}

void PrizePreview::setPicture(const PictureFile& picture) {
    m_picture = picture;
    if (m_picture.isValid())
        m_picture.shrinkToFit(kBoxHeight);
    update();
}

void PrizePreview::clearPicture() {
    m_picture.release();
    update();
}

void PrizePreview::setFontSize(int sizePt) {
    m_fontSize = sizePt <= 0 ? 0 : std::clamp(sizePt, 16, 125);
    update();
}

void PrizePreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int boxWidth = width();
    const int boxHeight = kBoxHeight;
    if (m_picture.isValid() && m_picture.width() > 0 && m_picture.height() > 0) {
        // Aspect kept; the picture touches the box's right edge and its top.
        const double pw = m_picture.width();
        const double ph = m_picture.height();
        int w = boxWidth;
        int h = boxHeight;
        if (double(boxWidth) / boxHeight < pw / ph)
            h = static_cast<int>(ph * boxWidth / pw);
        else
            w = static_cast<int>(pw * boxHeight / ph);
        m_picture.drawInto(painter, boxWidth - w, 0, boxWidth, h);
    }
    if (m_fontSize <= 0)
        return;

    const FontStyle& style = m_look.scrollFont;
    const ScreenFont font =
        createBandFont(scrollFaceName(style, false), style, m_fontSize, true, logicalDpiY());
    const QString sample = QStringLiteral("字");
    const int top = boxHeight + 8;
    const int x = (boxWidth - font.metrics.horizontalAdvance(sample)) / 2;
    const int y = top + (height() - top - font.height) / 2 + font.ascent;
    auto draw = [&](int dx, int dy, ColorRef color) {
        painter.setPen(toQColor(color));
        drawScreenText(painter, QPointF(x + dx, y + dy), sample, font.font);
    };
    switch (textEffectOf(style.effect)) {
    case TextEffect::Shadow:
        draw(1, 1, makeColorRef(0, 0, 0));
        break;
    case TextEffect::Outline:
        for (auto [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
            draw(dx, dy, style.effectColor);
        break;
    default:
        break;
    }
    draw(0, 0, style.textColor);
}

// ---------------------------------------------------------------------------------------- PrizeEditDialog

PrizeEditDialog::PrizeEditDialog(const PrizeList& prizes, int index, const PrizeDrawState& draw,
                                 const DataPaths& paths, const InterfaceSettings& look, MessageBox& messages,
                                 FilePicker& files, QWidget* parent)
    : CenteredDialog(parent), m_prizes(prizes),
      m_index(index >= 0 && static_cast<std::size_t>(index) < prizes.size() ? index : -1),
      m_locked(m_index >= 0 && prizeFieldsLocked(m_index, draw)), m_paths(paths), m_messages(messages),
      m_files(files) {
    const bool adding = m_index < 0;
    setWindowTitle(adding ? QStringLiteral("添加奖项") : QStringLiteral("修改奖项"));

    auto field = [this](const char* name, int maxLength) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(maxLength);
        return edit;
    };
    m_name = field("name", kNameUnits - 1);
    // Room for more digits than any limit has, so that a number too large is clamped rather than cut: 10 in
    // 一行显示 becomes 5, not 1.
    m_quota = field("quota", kNumberFieldDigits);
    m_perDraw = field("perDraw", kNumberFieldDigits);
    m_perLine = field("perLine", kNumberFieldDigits);
    m_fontSize = field("fontSize", kNumberFieldDigits);
    m_prizeText = field("prizeText", kNameUnits - 1);
    m_imageFile = field("imageFile", kImageFileUnits - 1);
    m_imageFile->setReadOnly(true);
    for (QLineEdit* number : {m_quota, m_perDraw, m_perLine, m_fontSize})
        number->setValidator(new QIntValidator(0, 999999999, number));
    m_preview = new PrizePreview(look, this);

    auto withHint = [this](QLineEdit* edit, const QString& hint) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(new QLabel(hint, this));
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("奖项:"), m_name);
    form->addRow(QStringLiteral("名额:"), withHint(m_quota, QStringLiteral("个")));
    form->addRow(QStringLiteral("每次抽:"), withHint(m_perDraw, QStringLiteral("1-50个")));
    form->addRow(QStringLiteral("一行显示:"), withHint(m_perLine, QStringLiteral("1-5个")));
    form->addRow(QStringLiteral("字体大小:"), withHint(m_fontSize, QStringLiteral("16-125")));
    form->addRow(QString(), new QLabel(QStringLiteral("字体名: 主菜单→参数设置→界面"), this));
    form->addRow(QStringLiteral("奖品(可选):"), m_prizeText);
    auto* pictureRow = new QHBoxLayout;
    pictureRow->addWidget(m_imageFile);
    auto* clear = new QPushButton(QStringLiteral("清空"), this);
    clear->setObjectName(QStringLiteral("clearPicture"));
    auto* choose = new QPushButton(QStringLiteral("选..."), this);
    choose->setObjectName(QStringLiteral("choosePicture"));
    // The picture's name needs the room; the two buttons only their text.
    m_imageFile->setMinimumWidth(160);
    for (QPushButton* b : {clear, choose}) {
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) + 24);
        pictureRow->addWidget(b);
    }
    form->addRow(QStringLiteral("奖品图(可选):"), pictureRow);

    auto* ok = new QPushButton(adding ? QStringLiteral("添加") : QStringLiteral("修改"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch();
    left->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 3);
    layout->addWidget(m_preview, 2);

    connect(ok, &QPushButton::clicked, this, &PrizeEditDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(choose, &QPushButton::clicked, this, &PrizeEditDialog::choosePicture);
    connect(clear, &QPushButton::clicked, this, &PrizeEditDialog::clearPicture);
    connect(m_fontSize, &QLineEdit::textEdited, this, &PrizeEditDialog::fontSizeEdited);

    if (adding)
        return;
    const PrizeItem& prize = m_prizes[static_cast<std::size_t>(m_index)];
    m_name->setText(toQString(prize.nameText()));
    m_quota->setText(numberText(prize.quota));
    m_perDraw->setText(numberText(prize.perDraw));
    m_perLine->setText(numberText(prize.perLine));
    m_fontSize->setText(numberText(prize.fontSize));
    m_prizeText->setText(toQString(fieldText(prize.prizeText)));
    m_imageFile->setText(toQString(fieldText(prize.imageFile)));
    m_preview->setFontSize(prize.fontSize);
    m_name->setEnabled(!m_locked);
    m_quota->setEnabled(!m_locked);
}

void PrizeEditDialog::showEvent(QShowEvent* event) {
    CenteredDialog::showEvent(event);
    if (m_index < 0 || m_lockNoticeShown)
        return;
    m_lockNoticeShown = true;
    // The stored picture is loaded once the dialog is on screen, so that its failure has an owner.
    QTimer::singleShot(0, this, [this] {
        const PrizeItem& prize = m_prizes[static_cast<std::size_t>(m_index)];
        if (fieldText(prize.imageFile).empty())
            return;
        const std::optional<std::filesystem::path> path = prizeImagePath(m_paths, prize);
        PictureFile picture;
        if (path && picture.loadPicture(*path)) {
            m_preview->setPicture(picture);
            return;
        }
        const std::u16string shown = path ? pathText(*path) : std::u16string(fieldText(prize.imageFile));
        m_messages.show(this, std::u16string(kPictureFailedText) + shown + u"\n\n" + picture.errorText(),
                        MessageIcon::Warning);
    });
    if (m_locked) {
        QTimer::singleShot(350, this, [this] {
            if (isVisible())
                m_messages.show(this, kLockedNoticeText, MessageIcon::Information);
        });
    }
}

PrizeFields PrizeEditDialog::fields() const {
    return PrizeFields{toU16String(m_name->text()),     toU16String(m_quota->text()),
                       toU16String(m_perDraw->text()),  toU16String(m_perLine->text()),
                       toU16String(m_fontSize->text()), toU16String(m_prizeText->text()),
                       toU16String(m_imageFile->text())};
}

void PrizeEditDialog::confirm() {
    // A full list, or a prize file that could not take one more prize, is refused before anything is read.
    if (m_index < 0) {
        if (const auto refusal = addPrizeRefusal(m_prizes, m_paths.prizeFile)) {
            m_messages.show(this, *refusal, MessageIcon::Warning);
            return;
        }
    }
    PrizeEditResult result = readPrizeFields(fields(), m_prizes, m_index, m_locked);
    if (!result.prize) {
        m_messages.show(this, result.refusal, MessageIcon::Warning);
        return;
    }
    m_edited = std::move(*result.prize);
    accept();
}

void PrizeEditDialog::choosePicture() {
    const std::optional<std::filesystem::path> chosen =
        m_files.openFile(this, u"选择奖品图", kPictureFilter, {});
    if (!chosen)
        return;
    clearPicture();
    const std::filesystem::path destination = prizePictureDestination(m_paths.prizeFolder, *chosen, m_prizes);
    const FileResult copied = copyIntoDataFolder(*chosen, destination);
    if (!copied) {
        m_messages.show(this, messageText(copied), MessageIcon::Error);
        return;
    }
    m_imageFile->setText(toQString(pathText(destination.filename())));
    PictureFile picture;
    if (!picture.loadPicture(destination)) {
        m_messages.show(this, std::u16string(kPictureFailedText) + picture.errorText(), MessageIcon::Warning);
        return;
    }
    m_preview->setPicture(picture);
}

void PrizeEditDialog::clearPicture() {
    m_imageFile->clear();
    m_preview->clearPicture();
}

void PrizeEditDialog::fontSizeEdited(const QString& text) {
    const std::int32_t size = readNumberField(toU16String(text));
    if (size > 0)
        m_preview->setFontSize(size);
}

} // namespace kelvora
