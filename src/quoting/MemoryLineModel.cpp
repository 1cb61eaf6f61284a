#include "quoting/MemoryLineModel.h"

namespace navrik {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLf = "\n";
constexpr std::string_view kCr = "\r";

bool holdsBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

MemoryLineModel::MemoryLineModel(std::optional<std::string>& clipboard, std::string_view text)
    : m_clipboard(clipboard)
{
    load(text);
}

int MemoryLineModel::lineCount() const
{
    return static_cast<int>(m_lines.size());
}

std::string MemoryLineModel::readLine(int index) const
{
    return names(index) ? m_lines[std::size_t(index)].content : std::string();
}

void MemoryLineModel::replaceLine(int index, std::string_view text)
{
    if (!names(index))
        return;
    Line& line = m_lines[std::size_t(index)];
    // An emptied line could let a CR before it and an LF after it meet as one CR LF; a text
    // with breaks adds lines. Both go through the text itself.
    if (text.empty() || holdsBreak(text)) {
        const std::size_t start = offsetOf(index);
        splice(start, start + line.content.size(), text);
        return;
    }
    line.content.assign(text);
    placeCaret(index, text.size());
}

void MemoryLineModel::insertLine(int index, std::string_view text)
{
    if (!names(index))
        return;
    const std::size_t i = std::size_t(index);
    std::string_view ending = m_lines[i].ending;
    if (ending.empty())
        ending = i > 0 ? m_lines[i - 1].ending : kLf;
    if (text.empty() || holdsBreak(text)) {
        const std::size_t start = offsetOf(index);
        splice(start, start, std::string(text).append(ending));
        return;
    }
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(i), Line{std::string(text), ending});
    placeCaret(index + 1, 0);
}

void MemoryLineModel::clear()
{
    setText({});
}

void MemoryLineModel::paste()
{
    if (!m_clipboard)
        return;
    resolveSelection();
    splice(m_selectionStart, m_selectionEnd, *m_clipboard);
}

void MemoryLineModel::selectAll()
{
    m_caretLine = -1;
    m_selectionStart = 0;
    m_selectionEnd = offsetOf(lineCount());
}

void MemoryLineModel::copySelection()
{
    resolveSelection();
    if (m_selectionStart == m_selectionEnd)
        return;
    m_clipboard = text().substr(m_selectionStart, m_selectionEnd - m_selectionStart);
}

void MemoryLineModel::hide()
{
    m_visible = false;
}

void MemoryLineModel::show()
{
    m_visible = true;
}

std::string MemoryLineModel::text() const
{
    std::string all;
    all.reserve(offsetOf(lineCount()));
    for (const Line& line : m_lines)
        all.append(line.content).append(line.ending);
    return all;
}

void MemoryLineModel::setText(std::string_view text)
{
    load(text);
    m_caretLine = -1;
    m_selectionStart = m_selectionEnd = 0;
}

std::size_t MemoryLineModel::selectionStart() const
{
    resolveSelection();
    return m_selectionStart;
}

std::size_t MemoryLineModel::selectionEnd() const
{
    resolveSelection();
    return m_selectionEnd;
}

void MemoryLineModel::placeCaret(int line, std::size_t column)
{
    m_caretLine = line;
    m_caretColumn = column;
}

void MemoryLineModel::resolveSelection() const
{
    if (m_caretLine < 0)
        return;
    m_selectionStart = m_selectionEnd = offsetOf(m_caretLine) + m_caretColumn;
    m_caretLine = -1;
}

bool MemoryLineModel::names(int index) const
{
    return index >= 0 && index < lineCount();
}

std::size_t MemoryLineModel::offsetOf(int index) const
{
    std::size_t offset = 0;
    for (int i = 0; i < index; ++i)
        offset += m_lines[std::size_t(i)].content.size() + m_lines[std::size_t(i)].ending.size();
    return offset;
}

void MemoryLineModel::splice(std::size_t from, std::size_t to, std::string_view bytes)
{
    std::string all = text();
    all.replace(from, to - from, bytes);
    load(all);
    m_caretLine = -1;
    m_selectionStart = m_selectionEnd = from + bytes.size();
}

void MemoryLineModel::load(std::string_view text)
{
    m_lines.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            m_lines.push_back(Line{std::string(text.substr(pos)), {}});
            break;
        }
        std::string_view ending = kLf;
        if (text[end] == '\r')
            ending = text.substr(end, 2) == kCrLf ? kCrLf : kCr;
        m_lines.push_back(Line{std::string(text.substr(pos, end - pos)), ending});
        pos = end + ending.size();
    }
}

} // namespace navrik
