#include "settings/ui/photo_import_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "records/file_system.h"
#include "ui/dialog_parts.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {

constexpr int kFolderFieldUnits = 259;

} // namespace

PhotoImportDialog::PhotoImportDialog(FilePicker& files, MessageBox& messages, QWidget* parent)
    : CenteredDialog(parent), m_files(files), m_messages(messages) {
    setWindowTitle(QStringLiteral("导入图片"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("1. 图片文件夹:"), this), 0, 0);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setMaxLength(kFolderFieldUnits);
    m_folder->setMinimumWidth(320);
    grid->addWidget(m_folder, 0, 1);
    QPushButton* choose = namedButton(QStringLiteral("选..."), "choose", this);
    grid->addWidget(choose, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("图片格式: 所有主流格式\n如有修改: 请重新导入"), this), 1, 1);

    grid->addWidget(new QLabel(QStringLiteral("2. 图片缩小到:"), this), 2, 0);
    auto* sizeRow = new QHBoxLayout;
    m_size = new QLineEdit(QString::number(kDefaultShrinkSize), this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setMaxLength(5);
    m_size->setMaximumWidth(80);
    sizeRow->addWidget(m_size);
    sizeRow->addWidget(new QLabel(QStringLiteral("400-1300像素"), this));
    sizeRow->addStretch();
    grid->addLayout(sizeRow, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("因:几千像素的大照片容易卡"), this), 3, 1);
    layout->addLayout(grid);

    QPushButton* start = namedButton(QStringLiteral("立即导入"), "import", this);
    QPushButton* cancel = namedButton(QStringLiteral("取消"), "cancel", this);
    addClosingRow(*layout, {start, cancel});
    connect(choose, &QPushButton::clicked, this, &PhotoImportDialog::chooseFolder);
    connect(start, &QPushButton::clicked, this, &PhotoImportDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PhotoImportDialog::chooseFolder() {
    if (const std::optional<std::filesystem::path> folder = m_files.chooseFolder(this, u"选图片文件夹:"))
        m_folder->setText(toQString(pathText(*folder)));
}

void PhotoImportDialog::confirm() {
    const std::u16string folder = toU16String(m_folder->text());
    const std::u16string size = toU16String(m_size->text());
    if (const std::optional<std::u16string_view> refusal = photoImportRefusal(folder, size)) {
        m_messages.show(static_cast<QWidget*>(this), *refusal, MessageIcon::Warning);
        return;
    }
    m_request = PhotoImportRequest{pathFromText(folder), *parseShrinkSize(size)};
    accept();
}

PhotoImportProgressDialog::PhotoImportProgressDialog(const DataPaths& paths,
                                                     const PhotoImportRequest& request, QWidget* parent)
    : PhotoImportProgressDialog(paths, request, std::make_shared<State>(), parent) {}

PhotoImportProgressDialog::PhotoImportProgressDialog(const DataPaths& paths,
                                                     const PhotoImportRequest& request,
                                                     std::shared_ptr<State> state, QWidget* parent)
    : WorkProgressDialog(
          QStringLiteral("正在导入..."), QStringLiteral("正在导入..."),
          [state, paths, request](const WorkProgress& progress) {
              state->result = importPhotos(paths, request, state->cancel, progress);
          },
          [state] { state->cancel.store(true); }, parent),
      m_state(std::move(state)) {}

void PhotoImportProgressDialog::workEnded() {
    // A cancel pressed while the last picture was being copied came too late for the work to see it, but the
    // operator asked: the import is thrown away all the same.
    if (m_state->cancel.load())
        m_state->result.cancelled = true;
    done(m_state->result.cancelled ? QDialog::Rejected : QDialog::Accepted);
}

PhotoImportResult PhotoImportProgressDialog::run(const DataPaths& paths, const PhotoImportRequest& request,
                                                 QWidget* parent) {
    PhotoImportProgressDialog dialog(paths, request, parent);
    dialog.exec();
    return dialog.result();
}

HiddenPicturesDialog::HiddenPicturesDialog(int count, std::u16string_view names, QWidget* parent)
    : LinesReportDialog(QStringLiteral("已忽略的隐身图片"), QStringLiteral("已忽略的隐身图片:"), count, names,
                        parent) {}

bool runPhotoImport(QWidget* owner, const DataPaths& paths, PictureNameList& list,
                    const PhotoImportRequest& request, MessageBox& messages) {
    PhotoImportResult result = PhotoImportProgressDialog::run(paths, request, owner);
    const bool imported = !result.cancelled && result.errorText.empty();
    const PhotoImportOutcome outcome = finishPhotoImport(paths, list, std::move(result));
    if (!outcome.errorText.empty())
        messages.show(owner, outcome.errorText, MessageIcon::Error);
    if (outcome.tooMany)
        messages.show(owner, kTooManyPhotosText, MessageIcon::Warning);
    if (outcome.hiddenCount > 0)
        HiddenPicturesDialog(outcome.hiddenCount, outcome.hiddenText, owner).exec();
    return imported && outcome.errorText.empty();
}

} // namespace kelvora
