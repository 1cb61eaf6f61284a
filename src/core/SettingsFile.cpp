#include "core/SettingsFile.h"

#include "core/Error.h"
#include "core/IntegerText.h"
#include "core/LineBreak.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace navrik {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A settings file is a few hundred bytes; anything beyond this is not ours to load whole.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

// ---- Parsing ------------------------------------------------------------------------------

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// One line of the file as offsets into it: [begin, contentEnd) is the text, [contentEnd, end)
// its line break (CR LF, LF, a lone CR, or nothing on an unterminated last line).
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

Line lineAt(std::string_view text, std::size_t pos)
{
    const std::size_t brk = text.find_first_of("\r\n", pos);
    if (brk == std::string_view::npos)
        return {pos, text.size(), text.size()};
    return {pos, brk, brk + breakAt(text, brk).size()};
}

std::size_t firstLineStart(std::string_view text)
{
    return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// Where a section and a key stand in the file. Only the first section with the name counts,
// and only the first matching key line in it.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine;                 // the key's line, when found
    std::size_t valueBegin = 0;   // just after the key line's equals sign
    Line lastLine;                // the section's last key line, or its header without any
};

Location locate(std::string_view text, std::string_view section, std::string_view key)
{
    Location where;
    section = trim(section);
    key = trim(key);
    bool inSection = false;
    for (std::size_t pos = firstLineStart(text); pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
        const std::string_view trimmed = trim(content);
        if (trimmed.starts_with('[')) {
            if (inSection)
                break;
            std::string_view name = trimmed.substr(1);
            name = trim(name.substr(0, name.find(']')));
            if (sameName(name, section)) {
                where.sectionFound = inSection = true;
                where.lastLine = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            continue;
        where.lastLine = line;
        if (sameName(trim(content.substr(0, equals)), key)) {
            where.keyFound = true;
            where.keyLine = line;
            where.valueBegin = line.begin + equals + 1;
            break;
        }
    }
    return where;
}

bool hasUnterminatedLastLine(std::string_view text)
{
    return text.size() > firstLineStart(text) && text.back() != '\n' && text.back() != '\r';
}

// The file with the key's line set to "key=value", every other byte kept.
std::string withKey(std::string_view text, std::string_view section, std::string_view key,
                    std::string_view value)
{
    const Location where = locate(text, section, key);
    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    auto appendKeyLine = [&] { out.append(key).append("=").append(value); };

    if (where.keyFound) {
        out.append(text.substr(0, where.keyLine.begin));
        appendKeyLine();
        out.append(text.substr(where.keyLine.contentEnd));
    } else if (where.sectionFound) {
        const Line after = where.lastLine;
        out.append(text.substr(0, after.end));
        if (after.end == after.contentEnd)
            out.append(kCrLf);
        appendKeyLine();
        out.append(kCrLf);
        out.append(text.substr(after.end));
    } else {
        out.append(text);
        if (hasUnterminatedLastLine(text))
            out.append(kCrLf);
        out.append("[").append(section).append("]").append(kCrLf);
        appendKeyLine();
        out.append(kCrLf);
    }
    return out;
}

// ---- File access --------------------------------------------------------------------------

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }
    int get() const { return m_fd; }
    // Closes now and tells whether the close went well (a delayed write error shows here).
    bool reset()
    {
        const bool ok = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

enum class LoadStatus { Loaded, Missing, Unreadable };

struct LoadedFile {
    LoadStatus status = LoadStatus::Unreadable;
    std::string text;
    struct stat info {};
};

// Reads the whole file. Only a regular file is read; a directory, a pipe or a device in its
// place counts as unreadable (O_NONBLOCK keeps a pipe from blocking the open).
LoadedFile loadFile(const fs::path& path)
{
    LoadedFile file;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            file.status = LoadStatus::Missing;
        return file;
    }
    if (::fstat(fd.get(), &file.info) != 0 || !S_ISREG(file.info.st_mode)
        || file.info.st_size > kMaxFileSize)
        return file;
    file.text.reserve(std::size_t(file.info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return file;
        }
        file.text.append(buffer, std::size_t(n));
        if (file.text.size() > std::size_t(kMaxFileSize))
            return file;
    }
    file.status = LoadStatus::Loaded;
    return file;
}

// The file that a write replaces: the path itself, or the final target when the path is a
// symbolic link, so the link stays in place and its target gets the new contents.
std::optional<fs::path> writeTarget(fs::path path)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec))
            return path;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return std::nullopt;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return std::nullopt;
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

mode_t newFileMode()
{
    // umask can only be read by setting it. Only the program's main thread saves settings
    // and, while it does, no other thread of the program creates files.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes the contents to a temporary file beside the target, flushes it to disk and renames
// it over the target, so a reader sees either the old file or the new one, never a part.
bool replaceFile(const fs::path& target, std::string_view contents, const struct stat* old)
{
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    bool ok = writeAll(fd.get(), contents)
              && ::fchmod(fd.get(), old ? (old->st_mode & 07777) : newFileMode()) == 0;
    if (ok && old) {
        // Keeps the owner when someone else's file is rewritten (root); harmless otherwise.
        [[maybe_unused]] int ignored = ::fchown(fd.get(), old->st_uid, old->st_gid);
    }
    ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.reset() && ok;
    ok = ok && ::rename(pattern.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.c_str());
        return false;
    }
    FileDescriptor dir(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

bool holdsLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

SettingsFile::SettingsFile(fs::path path) : m_path(std::move(path)) {}

void SettingsFile::failWrite() const
{
    throw Error(m_path.filename().string() + " に書き込めません");
}

std::string SettingsFile::ReadText(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const
{
    const LoadedFile file = loadFile(m_path);
    if (file.status != LoadStatus::Loaded)
        return std::string(defaultValue);
    const Location where = locate(file.text, section, key);
    if (!where.keyFound)
        return std::string(defaultValue);
    std::string_view value = trim(std::string_view(file.text).substr(
        where.valueBegin, where.keyLine.contentEnd - where.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kMaxTextLength));
}

void SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view value) const
{
    // A line break inside a name or a value would split the line and corrupt the file.
    if (holdsLineBreakOrNul(section) || holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value))
        failWrite();

    const std::optional<fs::path> target = writeTarget(m_path);
    if (!target)
        failWrite();
    const fs::path directory = target->parent_path().empty() ? fs::path(".") : target->parent_path();
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec)
        failWrite();

    const fs::path file = directory / target->filename();
    const LoadedFile old = loadFile(file);
    if (old.status == LoadStatus::Unreadable)
        failWrite();
    const bool exists = old.status == LoadStatus::Loaded;
    // A file without any write permission is read-only on purpose; the rename below would
    // otherwise replace it, since only the directory's permissions are checked for that.
    if (exists
        && ((old.info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0))
        failWrite();

    const std::string contents = withKey(old.text, section, key, value);
    if (exists && contents == old.text)
        return;
    if (!replaceFile(file, contents, exists ? &old.info : nullptr))
        failWrite();
}

std::int32_t SettingsFile::ReadNumber(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const
{
    std::string text = ReadText(section, key, {});
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return readInt32(text).value_or(defaultValue);
}

void SettingsFile::WriteNumber(std::string_view section, std::string_view key,
                               std::int32_t value) const
{
    WriteText(section, key, std::to_string(value));
}

bool SettingsFile::ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::WriteFlag(std::string_view section, std::string_view key, bool value) const
{
    WriteText(section, key, value ? "1" : "0");
}

} // namespace navrik
