#include "settings/ui/picture_list_dialog.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "settings/ui/photo_import_dialog.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {} // namespace

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent) {}

bool PicturePreview::showPicture(const std::filesystem::path& path) {
    const bool loaded = m_picture.loadPicture(path);
    update();
    return loaded;
}

void PicturePreview::clear() {
    m_picture.release();
    update();
}

void PicturePreview::paintEvent(QPaintEvent*) {
    if (!m_picture.isValid() || width() <= 0 || height() <= 0)
        return;
    const double pictureWidth = m_picture.width();
    const double pictureHeight = m_picture.height();
    int drawWidth = width();
    int drawHeight = height();
    // A box relatively taller than the photo is filled across, else from top to bottom.
    if (pictureWidth / pictureHeight > static_cast<double>(width()) / height())
        drawHeight = static_cast<int>(pictureHeight * width() / pictureWidth);
    else
        drawWidth = static_cast<int>(pictureWidth * height() / pictureHeight);
    QPainter painter(this);
    m_picture.drawInto(painter, width() - drawWidth, 0, width(), drawHeight);
}

PictureListDialog::PictureListDialog(PictureNameList& list, bool& listChanged,
                                     const PictureListEnvironment& environment, PictureListMode mode,
                                     QWidget* parent)
    : EntrantListDialog(list.entries, listChanged, environment.drawStarted, environment.random,
                        environment.messages, mode, ListShape{QStringLiteral("名单"), 0.09, 0.85}, parent),
      m_list(list), m_env(environment) {
    setWindowTitle(QStringLiteral("抽奖名单 - 图片/照片模式"));
    resize(820, 640);

    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* topLine = new QHBoxLayout;
    topLine->addWidget(new QLabel(QStringLiteral("可导入3万张照片"), this));
    topLine->addStretch();
    topLine->addWidget(new QLabel(QStringLiteral("摄像头拍照:美图拍拍"), this));
    left->addLayout(topLine);

    left->addWidget(m_view, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* ascending = namedButton(QStringLiteral("升序"), "ascending", this);
    QPushButton* descending = namedButton(QStringLiteral("降序"), "descending", this);
    QPushButton* shuffle = namedButton(QStringLiteral("打乱"), "shuffle", this);
    QPushButton* reimportButton = namedButton(QStringLiteral("重新导入..."), "reimport", this);
    for (QPushButton* button : {ascending, descending, shuffle, reimportButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    QPushButton* ok = namedButton(QStringLiteral("确定"), "ok", this);
    ok->setDefault(true);
    buttons->addWidget(ok);
    left->addLayout(buttons);
    columns->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    m_preview = new PicturePreview(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setMinimumSize(240, 240);
    right->addWidget(m_preview, 1);
    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("info"));
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_info->setMinimumHeight(m_info->fontMetrics().lineSpacing() * 3);
    right->addWidget(m_info);
    right->addWidget(new QLabel(QStringLiteral("头像化:参数设置-界面"), this));
    columns->addLayout(right, 2);

    const TextListActions actions = textListActions(m_env.drawStarted);
    for (QPushButton* button : {ascending, descending, shuffle})
        button->setEnabled(actions.reorder);
    reimportButton->setEnabled(actions.reimport);

    connect(ascending, &QPushButton::clicked, this, [this] { sortList(SortOrder::Ascending); });
    connect(descending, &QPushButton::clicked, this, [this] { sortList(SortOrder::Descending); });
    connect(shuffle, &QPushButton::clicked, this, [this] { shuffleList(); });
    connect(reimportButton, &QPushButton::clicked, this, [this] { reimport(); });
    connect(ok, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionChanged(); });
    ok->setFocus();
}

PictureListDialog::~PictureListDialog() = default;

void PictureListDialog::clearPreview() {
    m_preview->clear();
    m_info->clear();
}

void PictureListDialog::selectionChanged() {
    clearPreview();
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const int row =
        std::min_element(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
            return a.row() < b.row();
        })->row();
    if (row < 0 || static_cast<std::size_t>(row) >= m_list.entries.size())
        return;
    const Entrant& entrant = m_list.entries[static_cast<std::size_t>(row)];
    const std::optional<std::filesystem::path> path = picturePath(m_env.paths, entrant);
    if (path && m_preview->showPicture(*path)) {
        const PictureFile& picture = m_preview->picture();
        // The info text keeps CR LF between its lines; the label breaks at the LF alone.
        m_info->setText(toQString(pictureInfoText(entrant.text(), picture.width(), picture.height()))
                            .remove(QLatin1Char('\r')));
        return;
    }
    std::u16string text(kPreviewFailedText);
    text += path ? m_preview->picture().errorText() : std::u16string(kPictureMissingText);
    say(text, MessageIcon::Warning);
}

void PictureListDialog::reimport() {
    if (!textListActions(m_drawStarted).reimport)
        return;
    // The photos stay in the picture folder until an import has replaced them, and so does the list: an
    // import that is cancelled or fails brings it back.
    const PictureNameList previous = m_list;
    if (!emptyForReimport())
        return;
    clearPreview();
    PhotoImportDialog dialog(m_env.files, m_env.messages, this);
    const bool imported = dialog.exec() == QDialog::Accepted &&
                          runPhotoImport(this, m_env.paths, m_list, dialog.request(), m_env.messages);
    if (imported)
        markChanged();
    else
        m_list = previous;
    refill();
}

FileResult PictureListDialog::saveList() {
    return savePictureNameList(m_env.paths, m_list);
}

void editPictureList(QWidget* owner, PictureNameList& list, bool& listChanged,
                     const PictureListEnvironment& environment) {
    PictureListDialog dialog(list, listChanged, environment, PictureListMode::Edit, owner);
    dialog.exec();
}

EntrantList pickPictureEntrants(QWidget* owner, PictureNameList& list, bool& listChanged,
                                const PictureListEnvironment& environment) {
    PictureListDialog dialog(list, listChanged, environment, PictureListMode::Select, owner);
    dialog.exec();
    return dialog.selection();
}

} // namespace kelvora
