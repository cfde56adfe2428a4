#pragma once
// The faces the font dialogs offer. The settings name fonts by their Chinese face names, which the alias file
// maps to installed fonts; these lists say which of them, and which other Chinese fonts, can be chosen here.

#include <QStringList>

namespace kelvora {

// Every face a title or the info bar may use: the mapped face names that resolve to an installed font, then
// the installed families that write Simplified Chinese; never "幼圆" nor a name starting with "@".
QStringList fontFaceChoices();

// The faces a space-aligned name list keeps its columns in (one character exactly two spaces wide): "楷体",
// "黑体", "仿宋", "隶书", "新宋体", each only when installed.
QStringList spaceAlignedFaceChoices();

} // namespace kelvora
