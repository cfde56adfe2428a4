#pragma once
// The report-style list every editor shows.

class QTableView;

namespace kelvora {

// Whole rows selected, several at once; grid lines; no editing in place; no row header; one fixed row height,
// so that the view lays out 30000 rows without measuring any of them.
void setUpReportView(QTableView& view);

} // namespace kelvora
