#pragma once
// "彩排检查": the pre-show check's report, one line a finding, the most serious first and coloured by how
// serious, with the dry run's count, and a way from a finding to the editor where it is fixed.

#include "rehearsal/dry_run.h"
#include "rehearsal/findings.h"
#include "ui/centered_dialog.h"

class QListWidget;
class QPushButton;

namespace kelvora {

class RehearsalCheckDialog : public CenteredDialog {
    Q_OBJECT
public:
    // odds: the dry run's lines for the listed entrants (dryRunOddsLines), shown under the findings.
    RehearsalCheckDialog(Findings findings, const DryRunResult& dryRun,
                         const std::vector<std::u16string>& odds, QWidget* parent);

    // After exec(): the editor the operator asked to open with "去修改" (None: closed), or whether "重新检查"
    // was asked for.
    FixPlace chosenPlace() const { return m_chosen; }
    bool againRequested() const { return m_again; }

private:
    Findings m_findings;
    QListWidget* m_list = nullptr;
    QPushButton* m_fix = nullptr;
    FixPlace m_chosen = FixPlace::None;
    bool m_again = false;
};

// "12 个错误，3 个警告，1 个提示；试抽 1000 次" (or "没有发现问题；…", "试抽已取消").
std::u16string checkSummary(const Findings& findings, const DryRunResult& dryRun);

} // namespace kelvora
