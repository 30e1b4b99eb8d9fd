// Every visible text of the program comes from a caption table: a text
// resource per language (ENGLISH, KOREAN), one row per line holding a form
// name, a component name and the quoted text. The settings value "Language"
// picks the table. Each call reads the setting, so a change of language shows
// at the next call; a table's text is decoded and split into rows only once.
#pragma once

#include "toolkit/Component.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx::ui {

// The text of one table fetched by (form name, component name); both names
// ignore the case of A to Z and the last matching row wins. Gives "" when no
// row matches or the table cannot be read.
std::wstring GetCaption(std::wstring_view formName, std::wstring_view componentName, HMODULE module = nullptr) noexcept;

// Sets the window's title and the captions of the labels, panels, buttons,
// menu items and memos it owns from the table rows of its form name.
void ApplyCaptions(CaptionTarget& target, HMODULE module = nullptr) noexcept;

// The pieces below are the steps of the two operations, open to tests.
// `module` null means the program's own module.

// "Language" from the settings key (default "english"), lower-cased A to Z.
std::wstring CaptionLanguage();

// The table resource named `language` (letter case ignored) as decoded text,
// or nothing when the module has no such table.
std::optional<std::wstring> LoadCaptionTable(std::wstring_view language, HMODULE module = nullptr);

// Decodes by byte-order mark (FF FE UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8),
// else in the system's ANSI code page. The mark is dropped; a NUL ends the text.
std::wstring DecodeCaptionTable(std::span<const std::byte> bytes);

// Lines ended by CR LF, a lone CR or a lone LF; the last line needs no end.
std::vector<std::wstring> SplitCaptionLines(std::wstring_view text);

// The fields of one row: blanks and control characters (codes 1 to 32)
// separate and surround fields; commas separate; a field may be quoted, with
// doubled quotes standing for one.
std::vector<std::wstring> SplitCaptionRow(std::wstring_view line);

// GetCaption and ApplyCaptions over a decoded table text.
std::wstring FindCaption(std::wstring_view table, std::wstring_view formName, std::wstring_view componentName);
void ApplyCaptionTable(std::wstring_view table, CaptionTarget& target);

} // namespace vx::ui
