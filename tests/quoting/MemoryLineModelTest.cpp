#include "quoting/MemoryLineModel.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using navrik::MemoryLineModel;

TEST(MemoryLineModel, countsLinesByEveryKindOfBreak)
{
    const std::pair<std::string, int> cases[] = {
        {"", 0}, {"a", 1}, {"a\r\n", 1}, {"a\r\n\r\n", 2}, {"\r\n", 1}, {"a\nb\rc\r\nd", 4}, {"\r\r\n\n", 3},
    };
    std::optional<std::string> clipboard;
    for (const auto& [text, count] : cases) {
        MemoryLineModel buffer(clipboard, text);
        EXPECT_EQ(buffer.lineCount(), count) << text;
        EXPECT_EQ(buffer.text(), text);
    }
}

TEST(MemoryLineModel, editsKeepEveryLineItsOwnBreak)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, "a\rb\nc\r\nlast");
    buffer.replaceLine(3, "LAST");
    buffer.insertLine(0, "top");
    buffer.insertLine(4, "x"); // the last line has no break: the one before it is used
    buffer.insertLine(6, "x"); // no such line, nor is there one after a final break
    EXPECT_EQ(buffer.text(), "top\ra\rb\nc\r\nx\r\nLAST");
    // A replacement that lets CR and LF meet is read as one break.
    buffer.replaceLine(1, "");
    buffer.replaceLine(2, "");
    EXPECT_EQ(buffer.lineCount(), 5);
    MemoryLineModel ended(clipboard, "a\r\n");
    ended.replaceLine(1, "x");
    EXPECT_EQ(ended.text(), "a\r\n");
}

TEST(MemoryLineModel, clipboardOperations)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, "kept");
    buffer.paste();         // no text on the clipboard
    buffer.copySelection(); // nothing selected
    EXPECT_EQ(buffer.text(), "kept");
    EXPECT_FALSE(clipboard.has_value());
    clipboard = "one\r\ntwo\r";
    buffer.clear();
    buffer.paste();
    buffer.paste(); // at the caret, after the first copy
    buffer.selectAll();
    clipboard.reset();
    buffer.copySelection();
    EXPECT_EQ(clipboard, "one\r\ntwo\rone\r\ntwo\r");
}
