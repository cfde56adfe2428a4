#include "app/command_registry.h"

#include <QStringList>

#include <algorithm>
#include <array>

#include "app/context_menu.h"
#include "ui/qt_text.h"

namespace kelvora {

namespace {
constexpr std::array kAdvanceKeys{Qt::Key_Space, Qt::Key_PageDown, Qt::Key_Down};
} // namespace

std::span<const Qt::Key> advanceKeys() {
    return kAdvanceKeys;
}

QString keyLabel(const QKeySequence& keys) {
    if (keys.count() == 1 && keys[0].keyboardModifiers() == Qt::NoModifier) {
        switch (keys[0].key()) {
        case Qt::Key_Space:
            return QStringLiteral("空格");
        case Qt::Key_PageDown:
            return QStringLiteral("PgDn");
        case Qt::Key_Up:
            return QStringLiteral("↑");
        case Qt::Key_Down:
            return QStringLiteral("↓");
        default:
            break;
        }
    }
    return keys.toString(QKeySequence::PortableText);
}

QStringList keyLabels(const Command& command) {
    QStringList labels;
    for (const QKeySequence& keys : command.keys)
        labels << keyLabel(keys);
    if (command.input == ScreenInput::Advance) {
        for (Qt::Key key : advanceKeys())
            labels << keyLabel(key);
        labels << QStringLiteral("双击");
    } else if (command.input == ScreenInput::Escape) {
        labels << keyLabel(Qt::Key_Escape);
    }
    return labels;
}

QString menuText(const Command& command) {
    const QStringList labels = keyLabels(command);
    if (labels.isEmpty())
        return command.text;
    return command.text + QStringLiteral(" \t ") + labels.join(u'/') + command.keyNote;
}

// ------------------------------------------------------------------------------------------- builder

CommandBuilder& CommandBuilder::text(std::u16string_view text) {
    m_command.text = toQString(text);
    return *this;
}

CommandBuilder& CommandBuilder::key(const QKeySequence& keys) {
    m_command.keys.push_back(keys);
    return *this;
}

CommandBuilder& CommandBuilder::functionKey(Qt::Key key) {
    m_command.keys.emplace_back(key);
    m_command.extraKeys.emplace_back(Qt::CTRL | key);
    return *this;
}

CommandBuilder& CommandBuilder::extraKey(const QKeySequence& keys) {
    m_command.extraKeys.push_back(keys);
    return *this;
}

CommandBuilder& CommandBuilder::input(ScreenInput input) {
    m_command.input = input;
    return *this;
}

CommandBuilder& CommandBuilder::keyNote(std::u16string_view note) {
    m_command.keyNote = toQString(note);
    return *this;
}

CommandBuilder& CommandBuilder::alsoWhileRolling() {
    m_command.whileRolling = true;
    return *this;
}

CommandBuilder& CommandBuilder::inMenu(MenuPlace place) {
    m_command.places.push_back(place);
    return *this;
}

CommandBuilder& CommandBuilder::available(Availability availability) {
    m_command.availability = availability;
    return *this;
}

CommandBuilder& CommandBuilder::onTriggered(std::function<void()> action) {
    m_command.action = std::move(action);
    return *this;
}

// ------------------------------------------------------------------------------------------ registry

CommandBuilder CommandRegistry::add(CommandId id) {
    Command& command = m_commands[id];
    command = Command{};
    command.id = id;
    return CommandBuilder(command);
}

const Command* CommandRegistry::find(CommandId id) const {
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : &it->second;
}

Command* CommandRegistry::find(CommandId id) {
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : &it->second;
}

bool CommandRegistry::trigger(CommandId id) const {
    const Command* command = find(id);
    if (!command)
        return false;
    if (command->action)
        command->action();
    return true;
}

bool CommandRegistry::enabled(CommandId id, bool drawStarted) const {
    const Command* command = find(id);
    if (!command)
        return false;
    switch (command->availability) {
    case Availability::BeforeDraw:
        return !drawStarted;
    case Availability::DuringDraw:
        return drawStarted;
    case Availability::Always:
        break;
    }
    return true;
}

std::vector<KeyBinding> CommandRegistry::bindings(KeyTable table) const {
    std::vector<KeyBinding> out;
    for (const auto& [id, command] : m_commands) {
        if (table == KeyTable::Roll && !command.whileRolling)
            continue;
        for (const auto* keys : {&command.keys, &command.extraKeys}) {
            for (const QKeySequence& k : *keys)
                out.push_back(KeyBinding{k, id});
        }
    }
    return out;
}

std::vector<const Command*> CommandRegistry::at(MenuPlace place) const {
    // The map is ordered by id, and ids are declared in menu order.
    std::vector<const Command*> out;
    for (const auto& [id, command] : m_commands) {
        if (std::find(command.places.begin(), command.places.end(), place) != command.places.end())
            out.push_back(&command);
    }
    return out;
}

std::optional<CommandId> CommandRegistry::commandFor(ScreenInput input, ContextMenu shown,
                                                     bool drawStarted) const {
    for (const auto& [id, command] : m_commands) {
        if (command.input != input || !enabled(id, drawStarted))
            continue;
        if (std::any_of(command.places.begin(), command.places.end(),
                        [shown](MenuPlace place) { return menuOf(place) == shown; }))
            return id;
    }
    return std::nullopt;
}

} // namespace kelvora
