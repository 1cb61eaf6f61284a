// SPDX-License-Identifier: MIT
#include "core/Error.h"
#include "core/Settings.h"
#include "core/SettingsDocument.h"
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace navrik;
using Key = SettingKey;

static std::string saved(const std::string& before, std::initializer_list<SettingsShare> shares)
{
    SettingsDocument document(before);
    EXPECT_EQ(writeSettings(document, shares), std::nullopt);
    return document.bytes();
}

// First-run files hold the first nine keys; keys added since only once they left their defaults.
TEST(Settings, FirstRunFilesHoldTheFirstNineKeys)
{
    const Settings defaults;
    const std::string place = "String=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\n";
    const std::string mainShare = place + "AutoPaste=0\r\nStayOnTop=0\r\n";
    EXPECT_EQ(saved("", {{defaults, SettingSaver::MainWindow}}), "[Inyou]\r\n" + mainShare);
    EXPECT_EQ(saved("", {{defaults, SettingSaver::Dialog}, {defaults, SettingSaver::MainWindow}}),
              "[Inyou]\r\nAutoPaste=0\r\nAutoLines=0\r\nStayOnTop=0\r\nCharcters=70\r\nFormWidth=300\r\n"
              "FormHeight=200\r\n" + place);

    // An added key is written once it differs from its default, and from then on also at it.
    Settings used;
    used.setFlag(Key::SmartBreaks, true);
    used.setText(Key::HotKey, "None");
    const std::string withThem = saved("", {{used, SettingSaver::MainWindow}});
    EXPECT_EQ(withThem, "[Inyou]\r\n" + mainShare + "SmartBreaks=1\r\nHotKey=None\r\n");
    EXPECT_EQ(saved(withThem, {{defaults, SettingSaver::MainWindow}}),
              "[Inyou]\r\n" + mainShare + "SmartBreaks=0\r\nHotKey=Ctrl+Alt+Shift+Q\r\n");
}

// A save of the values read leaves every line as it was; numbers are saved within their ranges.
TEST(Settings, LoadAndSaveBack)
{
    const std::string file = "[ inyou ]\n string = '> ' \nformleft=0x20\r\nAutoPaste = 1\nCharcters=200\n"
                             "FormWidth=1000\nFormHeight=abc\nHotKey = ctrl+alt+q\n";
    const Settings loaded = loadSettings(SettingsDocument(file));
    EXPECT_EQ(std::tuple(loaded.number(Key::FormTop), loaded.number(Key::Charcters), loaded.number(Key::FormHeight)), std::tuple(110, 200, 200));
    EXPECT_EQ(loaded.text(Key::HotKey), "ctrl+alt+q");
    const Settings inForce = loaded.clamped();
    EXPECT_EQ(std::tuple(inForce.number(Key::Charcters), inForce.number(Key::FormWidth), inForce.number(Key::FormLeft)), std::tuple(120, 600, 32));

    Settings share = loaded;
    share.setText(Key::String, "> ");
    share.setNumber(Key::FormLeft, 32);
    share.setFlag(Key::AutoPaste, true);
    EXPECT_EQ(saved(file, {{share, SettingSaver::MainWindow}}),
              "[ inyou ]\n string=\"> \"\nformleft=32\r\nAutoPaste = 1\nCharcters=200\nFormWidth=1000\n"
              "FormHeight=abc\nHotKey = ctrl+alt+q\nFormTop=110\r\nStayOnTop=0\r\n");
    EXPECT_EQ(saved(file, {{share, SettingSaver::Dialog}}),
              "[ inyou ]\n string = '> ' \nformleft=0x20\r\nAutoPaste = 1\nCharcters=120\nFormWidth=600\n"
              "FormHeight=200\nHotKey = ctrl+alt+q\nAutoLines=0\r\nStayOnTop=0\r\n");
}

// A save that can't store one of its values writes none of them.
TEST(Settings, AFailedSaveKeepsTheWholeFile)
{
    const SettingsFile file(fs::path(testing::TempDir()) / ("settings-" + std::to_string(::getpid()) + ".ini"));
    const std::string before = "[Inyou]\r\nFormLeft=5\r\n";
    std::ofstream(file.path()) << before;
    Settings values;
    values.setText(Key::HotKey, "Ctrl+Q\r\nFormTop=1");
    EXPECT_THROW(saveSettings(file, {{values, SettingSaver::MainWindow}}), Error);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(std::ifstream(file.path()).rdbuf()), {}), before);
    fs::remove(file.path());
}
