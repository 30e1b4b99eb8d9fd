#include "ui/Captions.h"

#include "core/Constants.h"
#include "core/Settings.h"
#include "core/Text.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <mutex>

namespace vx::ui {
namespace {

bool IsCaptionSpace(wchar_t c) {
    return c >= 1 && c <= 32;
}

std::wstring UpperAscii(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return result;
}

std::wstring DecodeUtf16(std::span<const std::byte> bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0'); // an odd last byte is no character
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned>(bytes[2 * i]);
        const auto second = static_cast<unsigned>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return text;
}

std::wstring DecodeMultiByte(std::span<const std::byte> bytes, UINT codePage) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const auto* source = reinterpret_cast<const char*>(bytes.data());
    const int sourceLength = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, source, sourceLength, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, 0, source, sourceLength, text.data(), length) != length) return {};
    return text;
}

bool StartsWith(std::span<const std::byte> bytes, std::initializer_list<unsigned char> mark) {
    if (bytes.size() < mark.size()) return false;
    std::size_t i = 0;
    for (unsigned char b : mark)
        if (bytes[i++] != static_cast<std::byte>(b)) return false;
    return true;
}

// Reads a quoted field starting at the opening quote; `pos` ends after the
// closing quote. Without a closing quote the field is the rest of the line
// less its last character.
std::wstring ReadQuotedField(std::wstring_view line, std::size_t& pos) {
    std::wstring field;
    ++pos;
    while (true) {
        const std::size_t quote = line.find(L'"', pos);
        if (quote == std::wstring_view::npos) {
            field.append(line.substr(pos));
            if (!field.empty()) field.pop_back();
            pos = line.size();
            return field;
        }
        field.append(line.substr(pos, quote - pos));
        if (quote + 1 < line.size() && line[quote + 1] == L'"') {
            field.push_back(L'"');
            pos = quote + 2;
            continue;
        }
        pos = quote + 1;
        return field;
    }
}

std::wstring ReadPlainField(std::wstring_view line, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != L',' && !IsCaptionSpace(line[pos])) ++pos;
    return std::wstring(line.substr(start, pos - start));
}

void SkipSpace(std::wstring_view line, std::size_t& pos) {
    while (pos < line.size() && IsCaptionSpace(line[pos])) ++pos;
}

// A table split into rows of fields, empty lines left out.
using CaptionRows = std::vector<std::vector<std::wstring>>;

CaptionRows SplitCaptionTable(std::wstring_view table) {
    CaptionRows rows;
    for (const std::wstring& line : SplitCaptionLines(table))
        if (!line.empty()) rows.push_back(SplitCaptionRow(line));
    return rows;
}

// Scans the rows for the key; a row missing a field it needs ends the scan,
// leaving `result` at what the rows before it gave.
void ScanForCaption(const CaptionRows& rows, std::wstring_view formName, std::wstring_view componentName,
                    std::wstring& result) {
    for (const std::vector<std::wstring>& fields : rows) {
        if (fields.empty()) return;
        if (!EqualsIgnoreAsciiCase(fields[0], formName)) continue;
        if (fields.size() < 2) return;
        if (!EqualsIgnoreAsciiCase(fields[1], componentName)) continue;
        if (fields.size() < 3) return;
        result = fields[2];
    }
}

bool TakesCaption(ComponentKind kind) {
    switch (kind) {
    case ComponentKind::Label:
    case ComponentKind::Panel:
    case ComponentKind::Button:
    case ComponentKind::MenuItem:
    case ComponentKind::Memo: // the memo's caption is its whole content
        return true;
    default:
        return false;
    }
}

void ApplyCaptionRows(const CaptionRows& rows, CaptionTarget& target) {
    const std::wstring& formName = target.Name();
    for (const std::vector<std::wstring>& fields : rows) {
        if (fields.empty()) return;
        if (!EqualsIgnoreAsciiCase(fields[0], formName)) continue;
        if (fields.size() < 2) return;
        if (fields[1] == formName) {
            if (fields.size() < 3) return;
            target.SetTitle(fields[2]);
            continue;
        }
        Component* component = target.FindComponent(fields[1]);
        if (!component || !TakesCaption(component->Kind())) continue;
        if (fields.size() < 3) return;
        component->SetCaption(fields[2]);
    }
}

// The bytes of the table resource named `language` (letter case ignored), or
// nothing when the module has no such table.
std::optional<std::span<const std::byte>> CaptionTableBytes(std::wstring_view language, HMODULE module) {
    // "#123" would name a numbered resource, which is never a caption table.
    if (language.empty() || language.front() == L'#') return std::nullopt;
    const std::wstring name = UpperAscii(language);
    HRSRC info = FindResourceW(module, name.c_str(), RT_RCDATA);
    if (!info) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return std::span(static_cast<const std::byte*>(data), SizeofResource(module, info));
}

// A table is decoded and split once: the rows are kept with a copy of the
// bytes they came from, and found again only by those exact bytes, so a
// module loaded at the address of one freed before never sees the old rows.
// The language is still read at every call, so a change shows at the next one.
class CaptionRowsCache {
public:
    std::shared_ptr<const CaptionRows> RowsFor(std::span<const std::byte> bytes) {
        {
            std::lock_guard lock(mutex_);
            for (const Entry& entry : entries_)
                if (std::ranges::equal(entry.bytes, bytes)) return entry.rows;
        }
        auto rows = std::make_shared<const CaptionRows>(SplitCaptionTable(DecodeCaptionTable(bytes)));
        std::lock_guard lock(mutex_);
        if (entries_.size() >= kMaxEntries) entries_.erase(entries_.begin());
        entries_.push_back({std::vector<std::byte>(bytes.begin(), bytes.end()), rows});
        return rows;
    }

private:
    static constexpr std::size_t kMaxEntries = 8; // two languages in a few modules
    struct Entry {
        std::vector<std::byte> bytes;
        std::shared_ptr<const CaptionRows> rows;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

std::shared_ptr<const CaptionRows> CurrentCaptionRows(HMODULE module) {
    static CaptionRowsCache cache;
    const std::optional<std::span<const std::byte>> bytes = CaptionTableBytes(CaptionLanguage(), module);
    if (!bytes) return nullptr;
    return cache.RowsFor(*bytes);
}

} // namespace

std::wstring DecodeCaptionTable(std::span<const std::byte> bytes) {
    std::wstring text;
    if (StartsWith(bytes, {0xFF, 0xFE})) text = DecodeUtf16(bytes.subspan(2), false);
    else if (StartsWith(bytes, {0xFE, 0xFF})) text = DecodeUtf16(bytes.subspan(2), true);
    else if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) text = DecodeMultiByte(bytes.subspan(3), CP_UTF8);
    else text = DecodeMultiByte(bytes, CP_ACP);
    const std::size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) text.resize(nul);
    return text;
}

std::vector<std::wstring> SplitCaptionLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::wstring> SplitCaptionRow(std::wstring_view line) {
    std::vector<std::wstring> fields;
    std::size_t pos = 0;
    SkipSpace(line, pos);
    while (pos < line.size()) {
        fields.push_back(line[pos] == L'"' ? ReadQuotedField(line, pos) : ReadPlainField(line, pos));
        SkipSpace(line, pos);
        if (pos < line.size() && line[pos] == L',') {
            // A comma that ends the line still opens one (empty) field.
            if (pos + 1 == line.size()) fields.emplace_back();
            ++pos;
            SkipSpace(line, pos);
        }
    }
    return fields;
}

std::wstring FindCaption(std::wstring_view table, std::wstring_view formName, std::wstring_view componentName) {
    std::wstring result;
    ScanForCaption(SplitCaptionTable(table), formName, componentName, result);
    return result;
}

void ApplyCaptionTable(std::wstring_view table, CaptionTarget& target) {
    ApplyCaptionRows(SplitCaptionTable(table), target);
}

std::wstring CaptionLanguage() {
    return LowerAscii(settings::Language());
}

std::optional<std::wstring> LoadCaptionTable(std::wstring_view language, HMODULE module) {
    const std::optional<std::span<const std::byte>> bytes = CaptionTableBytes(language, module);
    if (!bytes) return std::nullopt;
    return DecodeCaptionTable(*bytes);
}

std::wstring GetCaption(std::wstring_view formName, std::wstring_view componentName, HMODULE module) noexcept {
    std::wstring result;
    try {
        const std::shared_ptr<const CaptionRows> rows = CurrentCaptionRows(module);
        if (rows) ScanForCaption(*rows, formName, componentName, result);
    } catch (...) {
        // A caption that cannot be read shows as what was found so far.
    }
    return result;
}

void ApplyCaptions(CaptionTarget& target, HMODULE module) noexcept {
    try {
        const std::shared_ptr<const CaptionRows> rows = CurrentCaptionRows(module);
        if (rows) ApplyCaptionRows(*rows, target);
    } catch (...) {
        // The window keeps whatever texts it has.
    }
}

} // namespace vx::ui
