#pragma once
// The winners as one workbook: "全部奖项" (prize, order, name and the name's columns), one sheet per prize in
// draw order, and "还未中奖" with the pool. A name's columns are its parts between runs of spaces, as the
// list import joined them; in picture mode the name is the picture's file name without its extension.

#include <filesystem>
#include <string_view>

#include "draw/draw_progress.h"
#include "sheets/xlsx_writer.h"

namespace kelvora {

inline constexpr std::u16string_view kAllPrizesSheetName = u"全部奖项";
inline constexpr std::u16string_view kNotYetWonSheetName = u"还未中奖";

// The sheets, without writing them (tests read them directly).
std::vector<SheetOut> winnersSheets(const WinnerList& winners, const EntrantPool& pool, bool pictureMode);

XlsxWriteResult writeWinnersWorkbook(const std::filesystem::path& file, const WinnerList& winners,
                                     const EntrantPool& pool, bool pictureMode,
                                     const XlsxCancelFn& cancelled = {}, const XlsxProgressFn& progress = {});

} // namespace kelvora
