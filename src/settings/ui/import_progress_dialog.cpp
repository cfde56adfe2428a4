#include "settings/ui/import_progress_dialog.h"

#include <QFontMetrics>

#include <cmath>

#include "ui/qt_text.h"

namespace kelvora {

QFont importMeasureFont(const QWidget* measureWindow) {
    QFont font = measureWindow ? measureWindow->font() : QFont();
    font.setFamilies({QStringLiteral("新宋体")});
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

int textWidth(const QFontMetrics& metrics, std::u16string_view text) {
    const int space = metrics.horizontalAdvance(QLatin1Char(' '));
    if (text.empty() || space <= 0)
        return 0;
    const int pixels = metrics.horizontalAdvance(toQString(text));
    return static_cast<int>(std::floor(static_cast<double>(pixels) / space + 0.5));
}

int textWidth(const QWidget* measureWindow, std::u16string_view text) {
    return textWidth(QFontMetrics(importMeasureFont(measureWindow)), text);
}

ImportProgressDialog::ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                                           const QFont& measureFont, QWidget* parent)
    : ImportProgressDialog(std::move(lines), settings, measureFont, std::make_shared<State>(), parent) {}

ImportProgressDialog::ImportProgressDialog(std::vector<ImportLine> lines, const ImportSettings& settings,
                                           const QFont& measureFont, std::shared_ptr<State> state,
                                           QWidget* parent)
    : WorkProgressDialog(
          QStringLiteral("正在导入..."), QStringLiteral("正在导入..."),
          [state, lines = std::move(lines), settings,
           font = measureFont](const WorkProgress& progress) mutable {
              // Built on the worker thread: font metrics belong to the thread that made them.
              const QFontMetrics metrics(font);
              state->result = runImport(
                  std::move(lines), settings,
                  [&metrics](std::u16string_view text) { return textWidth(metrics, text); }, state->cancel,
                  progress);
          },
          [state] { state->cancel.store(true); }, parent),
      m_state(std::move(state)) {}

void ImportProgressDialog::workEnded() {
    done(m_state->result.cancelled ? QDialog::Rejected : QDialog::Accepted);
}

ImportResult ImportProgressDialog::run(std::vector<ImportLine> lines, const ImportSettings& settings,
                                       const QFont& measureFont, QWidget* parent) {
    ImportProgressDialog dialog(std::move(lines), settings, measureFont, parent);
    dialog.exec();
    return dialog.result();
}

} // namespace kelvora
