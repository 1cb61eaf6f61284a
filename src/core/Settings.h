// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace navrik {

class SettingsDocument;
class SettingsFile;

// Every setting lives in this one section of tolvane.ini.
inline constexpr std::string_view kSettingsSection = "Inyou";

// The keys of tolvane.ini, in the order of the table below.
enum class SettingKey {
    String, FormLeft, FormTop, AutoPaste, AutoLines, StayOnTop, Charcters, FormWidth, FormHeight,
    SmartBreaks, Reflow, HotKey,
};

// Text is stored as it is; QuotedText between two double quotes, so that its blanks count (the
// reader drops the pair); a number in decimal; a flag as 1 or 0.
enum class SettingKind { Text, QuotedText, Number, Flag };

// Whose closing saves the key: the main window's, the settings dialog's, or each of them.
enum class SettingSaver : unsigned { MainWindow = 1, Dialog = 2, Both = 3 };

// The first nine keys are written at every save of their window. A key added later is written
// only once it is used (the file has its line, or its value is not the default), so the files of
// a user who never touches it stay as they always were.
enum class SettingWrite { Always, WhenUsed };

// A whole-number range with the step of the spin field that edits it.
struct SettingRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t step = 1;

    bool limits() const { return min < max; }
};

// One key: the word stored in the file, its kind, the value a load falls back to when the key is
// missing (a flag's default is 0 or 1), the range its editor and every save keep it in (none:
// min == max), whose closing saves it, and when.
struct SettingInfo {
    SettingKey key;
    std::string_view name;
    SettingKind kind;
    std::string_view textDefault;
    std::int32_t numberDefault;
    SettingRange range;
    SettingSaver savedBy;
    SettingWrite written;
};

// In the order each window writes its keys, so that a new key line goes where it always went.
// "Charcters" is spelled as the file has always spelled it, so files written by earlier versions
// keep working. SmartBreaks is smart breaking (SmartBreaker) when lines are broken; Reflow joins
// the soft-wrapped lines of each paragraph first (Reflower), and breaks smartly. HotKey is the
// global shortcut in Qt's portable text ("Ctrl+Alt+Q"); empty or "None" turns it off. Its default
// takes Ctrl, Alt and Shift together with Q, which the GNOME, KDE Plasma and Xfce default key
// bindings leave free.
inline constexpr std::array kSettingTable = [] {
    using enum SettingKey;
    using enum SettingKind;
    using enum SettingSaver;
    using enum SettingWrite;
    return std::to_array<SettingInfo>({
        // key       name           kind        text default        number  range           saved by    written
        {String,      "String",      QuotedText, "> ",               0,      {},             MainWindow, Always},
        {FormLeft,    "FormLeft",    Number,     {},                 201,    {},             MainWindow, Always},
        {FormTop,     "FormTop",     Number,     {},                 110,    {},             MainWindow, Always},
        {AutoPaste,   "AutoPaste",   Flag,       {},                 0,      {},             Both,       Always},
        {AutoLines,   "AutoLines",   Flag,       {},                 0,      {},             Dialog,     Always},
        {StayOnTop,   "StayOnTop",   Flag,       {},                 0,      {},             Both,       Always},
        {Charcters,   "Charcters",   Number,     {},                 70,     {20, 120, 1},   Dialog,     Always},
        {FormWidth,   "FormWidth",   Number,     {},                 300,    {300, 600, 50}, Dialog,     Always},
        {FormHeight,  "FormHeight",  Number,     {},                 200,    {200, 400, 50}, Dialog,     Always},
        {SmartBreaks, "SmartBreaks", Flag,       {},                 0,      {},             MainWindow, WhenUsed},
        {Reflow,      "Reflow",      Flag,       {},                 0,      {},             MainWindow, WhenUsed},
        {HotKey,      "HotKey",      Text,       "Ctrl+Alt+Shift+Q", 0,      {},             MainWindow, WhenUsed},
    });
}();

// Each key has its row, in the enumeration's order, so a key finds its row by its number.
static_assert([] {
    for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
        if (static_cast<std::size_t>(kSettingTable[i].key) != i)
            return false;
    }
    return true;
}());

constexpr const SettingInfo& settingInfo(SettingKey key)
{
    return kSettingTable[static_cast<std::size_t>(key)];
}

// The values tolvane.ini keeps, each at its default until loaded or set, by key: a text key
// holds text, a number or flag key a number (a flag 0 or 1). Values are as stored: the quote
// mark as the file's bytes (code page 932, or UTF-8 where the file held a mark that is not code
// page 932; the caller converts it), numbers unclamped.
class Settings {
public:
    Settings();

    const std::string& text(SettingKey key) const { return m_texts[index(key)]; }
    std::int32_t number(SettingKey key) const { return m_numbers[index(key)]; }
    bool flag(SettingKey key) const { return number(key) != 0; }

    void setText(SettingKey key, std::string text) { m_texts[index(key)] = std::move(text); }
    void setNumber(SettingKey key, std::int32_t value) { m_numbers[index(key)] = value; }
    void setFlag(SettingKey key, bool on) { setNumber(key, on ? 1 : 0); }

    // The numbers that have a range, moved into it.
    Settings clamped() const;

    bool operator==(const Settings&) const = default;

private:
    static constexpr std::size_t index(SettingKey key) { return static_cast<std::size_t>(key); }

    std::array<std::string, kSettingTable.size()> m_texts;
    std::array<std::int32_t, kSettingTable.size()> m_numbers{};
};

// Every key read from the document; a missing key gives the default.
Settings loadSettings(const SettingsDocument& document);
// Every key read from the file as it stands; no file, or one that can't be read, gives the defaults.
Settings loadSettings(const SettingsFile& file);

// What one window's closing saves: the values, and which window it is.
struct SettingsShare {
    const Settings& values;
    SettingSaver saver;
};

// Sets the keys each share's window saves (see kSettingTable), share by share, in the table's
// order; a number with a range is written moved into it. Returns the first key whose value can't
// be stored (the rest are then not set), or nothing.
[[nodiscard]] std::optional<SettingKey> writeSettings(SettingsDocument& document, std::initializer_list<SettingsShare> shares);

// writeSettings on the file as it stands, replacing it once. Throws navrik::Error when the file
// can't be written; the previous file is then left whole.
void saveSettings(const SettingsFile& file, std::initializer_list<SettingsShare> shares);

// The value limited to the range; a key without a range keeps any value.
std::int32_t clampSetting(SettingKey key, std::int64_t value);

} // namespace navrik
