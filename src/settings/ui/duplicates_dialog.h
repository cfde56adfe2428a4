#pragma once
// "已去除的重复行": the lines an import dropped as duplicates, as they were pasted, and how many. The photo
// import's report of skipped hidden files has the same shape.

#include <QString>

#include <string_view>

#include "ui/centered_dialog.h"

namespace kelvora {

// A heading, a read-only box of lines joined with CR LF, their number and "确定".
class LinesReportDialog : public CenteredDialog {
    Q_OBJECT
public:
    LinesReportDialog(const QString& title, const QString& heading, int count, std::u16string_view lines,
                      QWidget* parent);
};

class DuplicatesDialog : public LinesReportDialog {
    Q_OBJECT
public:
    DuplicatesDialog(int count, std::u16string_view lines, QWidget* parent);
};

} // namespace kelvora
