#include "console/ui/console_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include "ui/qt_text.h"

namespace kelvora {

namespace {

// Colour for the phase, readable from a step away: grey idle, green ready, red while names scroll, blue
// once stopped, violet for the rolls.
QColor phaseColour(ShowPhase phase) {
    switch (phase) {
    case ShowPhase::NotStarted:
        return QColor(97, 97, 97);
    case ShowPhase::Ready:
        return QColor(46, 125, 50);
    case ShowPhase::Scrolling:
        return QColor(198, 40, 40);
    case ShowPhase::Stopped:
        return QColor(21, 101, 192);
    case ShowPhase::Replay:
    case ShowPhase::FullList:
        return QColor(106, 27, 154);
    }
    return Qt::black;
}

QLabel* label(int pointSize, bool bold = false, QWidget* parent = nullptr) {
    auto* l = new QLabel(parent);
    QFont font = l->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    l->setFont(font);
    return l;
}

QWidget* panel(const QString& title, QWidget* content, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel* heading = label(12, true, box);
    heading->setText(title);
    layout->addWidget(heading);
    layout->addWidget(content, 1);
    return box;
}

} // namespace

ConsoleWindow::ConsoleWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("导播台"));
    setObjectName(QStringLiteral("presenterConsole"));
    // The window itself takes the keys, so that Space reaches the draw instead of pressing a button.
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(ConsoleSettings::kMinWidth, ConsoleSettings::kMinHeight);

    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_phase = label(26, true, this);
    m_phase->setObjectName(QStringLiteral("phase"));
    m_phase->setAlignment(Qt::AlignCenter);
    m_phase->setMinimumWidth(260);
    m_phase->setAutoFillBackground(true);
    m_phase->setContentsMargins(16, 6, 16, 6);
    top->addWidget(m_phase);
    top->addStretch(1);
    m_elapsed = label(20, false, this);
    m_elapsed->setObjectName(QStringLiteral("elapsed"));
    top->addWidget(m_elapsed);
    top->addSpacing(24);
    m_clock = label(26, true, this);
    m_clock->setObjectName(QStringLiteral("clock"));
    top->addWidget(m_clock);
    root->addLayout(top);

    auto* grid = new QGridLayout;
    m_miniature = new QLabel(this);
    m_miniature->setObjectName(QStringLiteral("miniature"));
    m_miniature->setAlignment(Qt::AlignCenter);
    m_miniature->setMinimumSize(320, 180);
    m_miniature->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_miniature->setStyleSheet(QStringLiteral("background: black;"));
    m_miniature->installEventFilter(this);
    // A window of its own on the display, named, so that screen tools (and the end-to-end test) can capture
    // the miniature alone.
    m_miniature->setAttribute(Qt::WA_NativeWindow);
    grid->addWidget(m_miniature, 0, 0);
    buildStatusPanel(grid);
    // The frame is wider than it is high; the status beside it needs less room than the miniature.
    grid->setColumnStretch(0, 4);
    grid->setColumnStretch(1, 3);
    root->addLayout(grid, 3);

    m_advance = new QPushButton(this);
    m_advance->setObjectName(QStringLiteral("advance"));
    QFont big = m_advance->font();
    big.setPointSize(28);
    big.setBold(true);
    m_advance->setFont(big);
    m_advance->setMinimumHeight(84);
    connect(m_advance, &QPushButton::clicked, this, &ConsoleWindow::advanceClicked);
    root->addWidget(m_advance);

    auto* lower = new QHBoxLayout;
    m_winners = new QListWidget(this);
    m_winners->setObjectName(QStringLiteral("winners"));
    QFont listFont = m_winners->font();
    listFont.setPointSize(14);
    m_winners->setFont(listFont);
    m_winnersPanel = panel(QStringLiteral("本奖项中奖名单"), m_winners, this);
    lower->addWidget(m_winnersPanel, 2);

    auto* music = new QWidget(this);
    auto* musicLayout = new QVBoxLayout(music);
    musicLayout->setContentsMargins(0, 0, 0, 0);
    for (QLabel*& row : m_musicRows) {
        row = label(11, false, music);
        row->setTextFormat(Qt::PlainText);
        musicLayout->addWidget(row);
    }
    auto* buttons = new QHBoxLayout;
    for (int track = 1; track <= 3; ++track) {
        auto* button = new QPushButton(music);
        button->setObjectName(QStringLiteral("music%1").arg(track));
        connect(button, &QPushButton::clicked, this, [this, track] { Q_EMIT musicHotKeyClicked(track); });
        buttons->addWidget(button);
        m_musicButtons[static_cast<std::size_t>(track - 1)] = button;
    }
    musicLayout->addLayout(buttons);
    musicLayout->addStretch(1);
    m_musicPanel = panel(QStringLiteral("音乐"), music, this);
    lower->addWidget(m_musicPanel, 3);

    m_keys = label(10, false, this);
    m_keys->setObjectName(QStringLiteral("keys"));
    m_keys->setTextFormat(Qt::RichText);
    m_keys->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_keysPanel = panel(QStringLiteral("按键"), m_keys, this);
    lower->addWidget(m_keysPanel, 4);
    root->addLayout(lower, 2);

    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("显示:"), this));
    const std::array<std::pair<ConsolePanel, QString>, 4> panels{
        {{ConsolePanel::Miniature, QStringLiteral("画面")},
         {ConsolePanel::Winners, QStringLiteral("中奖名单")},
         {ConsolePanel::Music, QStringLiteral("音乐")},
         {ConsolePanel::Keys, QStringLiteral("按键")}}};
    for (std::size_t i = 0; i < panels.size(); ++i) {
        auto* box = new QCheckBox(panels[i].second, this);
        connect(box, &QCheckBox::toggled, this, [this] {
            showPanels();
            Q_EMIT settingsEdited();
        });
        options->addWidget(box);
        m_panelBoxes[i] = {panels[i].first, box};
    }
    options->addStretch(1);
    m_rehearsal = new QCheckBox(QStringLiteral("彩排模式"), this);
    m_rehearsal->setObjectName(QStringLiteral("rehearsal"));
    connect(m_rehearsal, &QCheckBox::clicked, this, &ConsoleWindow::rehearsalClicked);
    options->addWidget(m_rehearsal);
    options->addSpacing(24);
    m_autoOpen = new QCheckBox(QStringLiteral("投屏时自动打开导播台"), this);
    m_autoOpen->setObjectName(QStringLiteral("autoOpen"));
    connect(m_autoOpen, &QCheckBox::toggled, this, &ConsoleWindow::settingsEdited);
    options->addWidget(m_autoOpen);
    root->addLayout(options);

    // Nothing in here takes the keyboard: Space, Tab and the arrows belong to the draw.
    for (QWidget* child : findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);

    showStatus(m_status);
    showLive(m_live);
}

ConsoleWindow::~ConsoleWindow() = default;

void ConsoleWindow::buildStatusPanel(QGridLayout* grid) {
    auto* status = new QWidget(this);
    auto* layout = new QVBoxLayout(status);
    layout->setContentsMargins(12, 0, 0, 0);
    QLabel* heading = label(12, true, status);
    heading->setText(QStringLiteral("当前奖项"));
    layout->addWidget(heading);
    m_prize = label(30, true, status);
    m_prize->setObjectName(QStringLiteral("prize"));
    m_prize->setWordWrap(true);
    layout->addWidget(m_prize);
    m_count = label(20, false, status);
    m_count->setObjectName(QStringLiteral("count"));
    layout->addWidget(m_count);
    m_nextPrize = label(16, false, status);
    m_nextPrize->setObjectName(QStringLiteral("nextPrize"));
    layout->addWidget(m_nextPrize);
    m_pool = label(16, false, status);
    m_pool->setObjectName(QStringLiteral("pool"));
    layout->addWidget(m_pool);
    layout->addSpacing(12);
    m_capsLock = label(26, true, status);
    m_capsLock->setObjectName(QStringLiteral("capsLock"));
    layout->addWidget(m_capsLock);
    m_lists = label(14, false, status);
    m_lists->setObjectName(QStringLiteral("lists"));
    m_lists->setWordWrap(true);
    layout->addWidget(m_lists);
    layout->addStretch(1);
    m_mirror = label(13, false, status);
    m_mirror->setObjectName(QStringLiteral("mirror"));
    m_mirror->setWordWrap(true);
    layout->addWidget(m_mirror);
    grid->addWidget(status, 0, 1);
}

void ConsoleWindow::showStatus(const ConsoleStatus& s) {
    m_status = s;
    m_phase->setText(s.rehearsal ? QStringLiteral("彩排 · %1").arg(toQString(phaseText(s.phase)))
                                 : toQString(phaseText(s.phase)));
    {
        const QSignalBlocker block(m_rehearsal);
        m_rehearsal->setChecked(s.rehearsal);
    }
    QPalette palette = m_phase->palette();
    palette.setColor(QPalette::Window, phaseColour(s.phase));
    palette.setColor(QPalette::WindowText, Qt::white);
    m_phase->setPalette(palette);

    m_prize->setText(s.prizeName.empty() ? QStringLiteral("—") : toQString(s.prizeName));
    if (s.prizeName.empty())
        m_count->setText(QString());
    else if (s.nextPress > 0 || s.phase == ShowPhase::Scrolling)
        m_count->setText(QStringLiteral("已抽 %1 / %2    本次 %3 人 (每次 %4 人)")
                             .arg(s.drawn)
                             .arg(s.quota)
                             .arg(s.nextPress)
                             .arg(s.perDraw));
    else
        m_count->setText(QStringLiteral("已抽 %1 / %2    已抽完").arg(s.drawn).arg(s.quota));
    m_nextPrize->setText(
        QStringLiteral("下一奖项: %1")
            .arg(s.nextPrizeName.empty() ? QStringLiteral("无 (最后一个奖项)") : toQString(s.nextPrizeName)));
    m_pool->setText(QStringLiteral("奖池: %1 人").arg(s.poolSize));
    m_advance->setText(toQString(advanceText(s.advance)));
    m_advance->setEnabled(s.advance != AdvanceStep::Nothing);

    QStringList names;
    for (std::size_t i = 0; i < s.winners.size(); ++i)
        names << QStringLiteral("%1. %2").arg(i + 1).arg(toQString(s.winners[i]));
    QStringList shown;
    for (int i = 0; i < m_winners->count(); ++i)
        shown << m_winners->item(i)->text();
    if (shown != names) {
        m_winners->clear();
        m_winners->addItems(names);
        m_winners->scrollToBottom();
    }
    showLists();
}

void ConsoleWindow::showLive(const ConsoleLive& live) {
    m_live = live;
    m_clock->setText(live.clock);
    m_elapsed->setText(
        QStringLiteral("用时 %1").arg(live.elapsed.isEmpty() ? QStringLiteral("--:--") : live.elapsed));
    m_capsLock->setText(live.capsLock ? QStringLiteral("大写锁定: 开") : QStringLiteral("大写锁定: 关"));
    QPalette palette = m_capsLock->palette();
    palette.setColor(QPalette::WindowText, live.capsLock ? QColor(198, 40, 40) : QColor(97, 97, 97));
    m_capsLock->setPalette(palette);
    m_mirror->setText(live.mirror);
    m_mirror->setVisible(!live.mirror.isEmpty());
    palette.setColor(QPalette::WindowText, live.mirrorFailing ? QColor(198, 40, 40) : QColor(97, 97, 97));
    m_mirror->setPalette(palette);
    for (std::size_t i = 0; i < m_musicRows.size(); ++i) {
        const ConsoleMusicRow& row = live.music[i];
        m_musicRows[i]->setText(QStringLiteral("%1  %2  %3").arg(row.slot, row.file, row.state));
        QFont font = m_musicRows[i]->font();
        font.setBold(row.playing);
        m_musicRows[i]->setFont(font);
    }
    showLists();
}

void ConsoleWindow::showLists() {
    m_lists->setText(toQString(listsText(m_status, m_live.capsLock)));
}

void ConsoleWindow::showMiniature(const QImage& miniature) {
    m_miniatureImage = miniature;
    m_miniature->setPixmap(QPixmap::fromImage(miniature));
}

void ConsoleWindow::setKeySheet(const std::vector<ConsoleKey>& keys) {
    // Two columns, so that the whole sheet fits beside the music without scrolling.
    const std::size_t rows = (keys.size() + 1) / 2;
    auto cells = [&keys](std::size_t i) {
        if (i >= keys.size())
            return QStringLiteral("<td></td><td></td>");
        return QStringLiteral("<td><b>%1</b>&nbsp;&nbsp;</td><td>%2&nbsp;&nbsp;&nbsp;&nbsp;</td>")
            .arg(keys[i].keys.toHtmlEscaped(), keys[i].what.toHtmlEscaped());
    };
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"1\">");
    for (std::size_t row = 0; row < rows; ++row)
        html += QStringLiteral("<tr>") + cells(row) + cells(row + rows) + QStringLiteral("</tr>");
    html += QStringLiteral("</table>");
    m_keys->setText(html);
}

void ConsoleWindow::setMusicKeys(const std::array<QString, 3>& keys) {
    for (std::size_t i = 0; i < keys.size(); ++i)
        m_musicButtons[i]->setText(QStringLiteral("背景音乐%1  %2").arg(i + 1).arg(keys[i]));
}

void ConsoleWindow::applySettings(const ConsoleSettings& settings) {
    const QSignalBlocker autoBlock(m_autoOpen);
    m_autoOpen->setChecked(settings.autoOpen != 0);
    for (const auto& [which, box] : m_panelBoxes) {
        const QSignalBlocker block(box);
        box->setChecked(settings.shows(which));
    }
    showPanels();
}

ConsoleSettings ConsoleWindow::readSettings(ConsoleSettings settings) const {
    settings.autoOpen = m_autoOpen->isChecked() ? 1 : 0;
    for (const auto& [which, box] : m_panelBoxes)
        settings.setShown(which, box->isChecked());
    return settings;
}

void ConsoleWindow::showPanels() {
    for (const auto& [which, box] : m_panelBoxes) {
        const bool on = box->isChecked();
        switch (which) {
        case ConsolePanel::Miniature:
            m_miniature->setVisible(on);
            break;
        case ConsolePanel::Winners:
            m_winnersPanel->setVisible(on);
            break;
        case ConsolePanel::Music:
            m_musicPanel->setVisible(on);
            break;
        case ConsolePanel::Keys:
            m_keysPanel->setVisible(on);
            break;
        }
    }
}

QSize ConsoleWindow::miniatureBox() const {
    return m_miniature->size();
}

void ConsoleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QWindow* native = m_miniature->windowHandle())
        native->setTitle(QStringLiteral("导播台画面"));
}

bool ConsoleWindow::eventFilter(QObject* watched, QEvent* event) {
    // The layout sizes the miniature's box after the window's own resize, and when panels come and go.
    if (watched == m_miniature && event->type() == QEvent::Resize)
        Q_EMIT miniatureBoxChanged(miniatureBox());
    return QWidget::eventFilter(watched, event);
}

void ConsoleWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closing();
    event->accept();
}

bool ConsoleWindow::focusNextPrevChild(bool) {
    // Tab is a key of the draw (the first background track), never a focus move.
    return false;
}

// ------------------------------------------------------------------------------------------- placement

int consoleScreen(const std::vector<QRect>& screens, int primary, const QRect& drawScreen) {
    if (screens.empty())
        return -1;
    primary = std::clamp(primary, 0, static_cast<int>(screens.size()) - 1);
    // The draw screen is on the screen that holds its centre.
    int drawn = primary;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (screens[i].contains(drawScreen.center())) {
            drawn = static_cast<int>(i);
            break;
        }
    if (drawn != primary)
        return primary;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (static_cast<int>(i) != drawn)
            return static_cast<int>(i);
    return drawn;
}

QRect consoleGeometry(const ConsoleSettings& settings, const std::vector<QRect>& screens, int primary,
                      const QRect& drawScreen) {
    const int index = consoleScreen(screens, primary, drawScreen);
    if (index < 0)
        return QRect(settings.x, settings.y, settings.width, settings.height);
    const QRect screen = screens[static_cast<std::size_t>(index)];
    const int width = std::min(settings.width, screen.width());
    const int height = std::min(settings.height, screen.height());
    const int x = std::clamp(settings.x, 0, screen.width() - width);
    const int y = std::clamp(settings.y, 0, screen.height() - height);
    return QRect(screen.x() + x, screen.y() + y, width, height);
}

void rememberGeometry(ConsoleSettings& settings, const QRect& window, const QRect& screen) {
    settings.x = std::clamp(window.x() - screen.x(), 0, ConsoleSettings::kMaxCoordinate);
    settings.y = std::clamp(window.y() - screen.y(), 0, ConsoleSettings::kMaxCoordinate);
    settings.width = std::clamp(window.width(), ConsoleSettings::kMinWidth, ConsoleSettings::kMaxCoordinate);
    settings.height =
        std::clamp(window.height(), ConsoleSettings::kMinHeight, ConsoleSettings::kMaxCoordinate);
}

} // namespace kelvora
