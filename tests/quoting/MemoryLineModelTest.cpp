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

TEST(MemoryLineModel, replaceAndInsertKeepEveryLineItsOwnBreak)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, "a\rb\nlast");
    buffer.replaceLine(2, "LAST");
    buffer.insertLine(0, "top");
    buffer.insertLine(3, "x"); // the last line has no break: the one before it is used
    EXPECT_EQ(buffer.text(), "top\ra\rb\nx\nLAST");
    EXPECT_EQ(buffer.selectionStart(), 10u);

    MemoryLineModel single(clipboard, "only");
    single.insertLine(0, "new");
    EXPECT_EQ(single.text(), "new\nonly");

    // An index naming no line, the uncounted one after a final break included, does nothing.
    MemoryLineModel ended(clipboard, "a\r\n");
    for (int index : {-1, 1, 7}) {
        ended.replaceLine(index, "x");
        ended.insertLine(index, "x");
        EXPECT_EQ(ended.readLine(index), "");
    }
    EXPECT_EQ(ended.text(), "a\r\n");

    // A replacement that lets CR and LF meet, or that holds a break, is read as text.
    MemoryLineModel joined(clipboard, "a\rb\nc");
    joined.replaceLine(1, "");
    EXPECT_EQ(joined.lineCount(), 2);
    joined.replaceLine(0, "x\ny");
    EXPECT_EQ(joined.text(), "x\ny\r\nc");
    EXPECT_EQ(joined.lineCount(), 3);
}

TEST(MemoryLineModel, clipboardOperations)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, "kept");
    buffer.paste();
    buffer.copySelection(); // empty selection: the clipboard stays without text
    EXPECT_EQ(buffer.text(), "kept");
    EXPECT_FALSE(clipboard.has_value());

    clipboard = "one\r\ntwo\r";
    buffer.clear();
    buffer.paste();
    EXPECT_EQ(buffer.text(), *clipboard);
    buffer.paste(); // at the caret, after the first copy
    EXPECT_EQ(buffer.lineCount(), 4);

    buffer.setText("whole\ntext");
    buffer.selectAll();
    buffer.copySelection();
    EXPECT_EQ(clipboard, "whole\ntext");
}
