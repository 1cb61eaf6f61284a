// SPDX-License-Identifier: MIT
#include "core/SettingsFile.h"

#include "core/Error.h"
#include "core/IntegerText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unicode/ucnv.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace navrik {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

template <class Ch> using View = std::basic_string_view<Ch>;
template <class Ch> using Text = std::basic_string<Ch>;

// ---- Parsing, over bytes or over UTF-16 code units -----------------------------------------

template <class Ch> bool isBlank(Ch c) { return c == Ch(' ') || c == Ch('\t'); }
template <class Ch> bool isLineBreak(Ch c) { return c == Ch('\r') || c == Ch('\n'); }

template <class Ch> View<Ch> trim(View<Ch> s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

template <class Ch> Ch asciiLower(Ch c) { return (c >= Ch('A') && c <= Ch('Z')) ? Ch(c - 'A' + 'a') : c; }

template <class Ch> bool sameName(View<Ch> a, View<Ch> b)
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

template <class Ch> Line lineAt(View<Ch> text, std::size_t pos)
{
    std::size_t brk = pos;
    while (brk < text.size() && !isLineBreak(text[brk]))
        ++brk;
    if (brk == text.size())
        return {pos, brk, brk};
    // CR LF, LF or a lone CR, as breakAt reads them, over bytes or UTF-16 code units alike.
    const bool crLf = text[brk] == Ch('\r') && brk + 1 < text.size() && text[brk + 1] == Ch('\n');
    return {pos, brk, brk + (crLf ? 2 : 1)};
}

// Where a section and a key stand in the file. Only the first section with the name counts,
// and in it the first line that names the key: "key=value", or the bare name, which holds no
// value and so reads as the default.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    bool hasValue = false;        // the key's line has an equals sign
    Line keyLine;                 // the key's line, when found
    std::size_t nameEnd = 0;      // just after the key's name as the line spells it
    std::size_t valueBegin = 0;   // just after the key line's equals sign
    Line lastLine;                // the section's last key line, or its header without any
};

template <class Ch>
Location locate(View<Ch> text, std::size_t start, View<Ch> section, View<Ch> key)
{
    Location where;
    section = trim(section);
    key = trim(key);
    bool inSection = false;
    for (std::size_t pos = start; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        const View<Ch> content = text.substr(line.begin, line.contentEnd - line.begin);
        const View<Ch> trimmed = trim(content);
        // A header needs its closing bracket; "[name" without one is an ordinary line.
        const std::size_t close = trimmed.find(Ch(']'));
        if (trimmed.starts_with(Ch('[')) && close != View<Ch>::npos) {
            if (inSection)
                break;
            if (sameName(trim(trimmed.substr(1, close - 1)), section)) {
                where.sectionFound = inSection = true;
                where.lastLine = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = content.find(Ch('='));
        const View<Ch> name = trim(content.substr(0, equals));
        if (equals != View<Ch>::npos)
            where.lastLine = line;
        if (!name.empty() && sameName(name, key)) {
            where.keyFound = true;
            where.hasValue = equals != View<Ch>::npos;
            where.keyLine = line;
            where.nameEnd = std::size_t(name.data() + name.size() - text.data());
            where.valueBegin = where.hasValue ? line.begin + equals + 1 : line.contentEnd;
            break;
        }
    }
    return where;
}

// The key's value as stored, blanks around it trimmed.
template <class Ch> View<Ch> rawValue(View<Ch> text, const Location& where)
{
    return trim(text.substr(where.valueBegin, where.keyLine.contentEnd - where.valueBegin));
}

// The value as a reader gets it: it ends at a NUL, as a C string does, and then loses one pair
// of matching double quotes or apostrophes around it.
template <class Ch> View<Ch> readValue(View<Ch> raw)
{
    raw = raw.substr(0, raw.find(Ch('\0')));
    if (raw.size() >= 2 && (raw.front() == Ch('"') || raw.front() == Ch('\'')) && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

// The file with the key's line set to "key=value", every other unit kept. A key that is
// already there keeps its own spelling and what stands before it on its line.
template <class Ch>
Text<Ch> withKey(View<Ch> text, std::size_t start, const Location& where, View<Ch> section,
                 View<Ch> key, View<Ch> value)
{
    static constexpr Ch lineBreak[] = {Ch('\r'), Ch('\n')};
    const View<Ch> crlf(lineBreak, 2);
    const Ch equals = Ch('=');
    Text<Ch> out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    auto appendKeyLine = [&] { out.append(key).append(1, equals).append(value); };

    if (where.keyFound) {
        out.append(text.substr(0, where.nameEnd)).append(1, equals).append(value);
        out.append(text.substr(where.keyLine.contentEnd));
    } else if (where.sectionFound) {
        const Line after = where.lastLine;
        out.append(text.substr(0, after.end));
        if (after.end == after.contentEnd)
            out.append(crlf);
        appendKeyLine();
        out.append(crlf);
        out.append(text.substr(after.end));
    } else {
        out.append(text);
        if (text.size() > start && !isLineBreak(text.back()))
            out.append(crlf);
        out.append(1, Ch('[')).append(section).append(1, Ch(']')).append(crlf);
        appendKeyLine();
        out.append(crlf);
    }
    return out;
}

// ---- Encodings ----------------------------------------------------------------------------

// A file that starts with a UTF-16 byte-order mark is UTF-16 throughout, and stays so when it
// is rewritten; any other file is bytes (code page 932 in practice), with an optional UTF-8
// byte-order mark that is skipped.
enum class Encoding { Bytes, Utf16LE, Utf16BE };

Encoding encodingOf(std::string_view file)
{
    if (file.starts_with("\xFF\xFE"))
        return Encoding::Utf16LE;
    if (file.starts_with("\xFE\xFF"))
        return Encoding::Utf16BE;
    return Encoding::Bytes;
}

// The code units after the byte-order mark. An odd last byte is left out; the writer puts it
// back where it was.
std::u16string decodeUtf16(std::string_view file, bool bigEndian)
{
    std::u16string units;
    units.reserve(file.size() / 2);
    for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
        const auto first = static_cast<unsigned char>(file[i]);
        const auto second = static_cast<unsigned char>(file[i + 1]);
        units.push_back(bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first));
    }
    return units;
}

std::string encodeUtf16(std::u16string_view units, bool bigEndian, std::string_view oddByte)
{
    std::string file(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    file.reserve(2 + units.size() * 2 + oddByte.size());
    for (const char16_t unit : units) {
        const char high = char(unit >> 8);
        const char low = char(unit & 0xFF);
        file.push_back(bigEndian ? high : low);
        file.push_back(bigEndian ? low : high);
    }
    return file.append(oddByte);
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name)
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    return U_FAILURE(status) ? nullptr : std::move(converter);
}

// Bytes to UTF-16 with the given converter, failing on bytes it does not define.
std::optional<std::u16string> strictlyToUtf16(const char* encoding, std::string_view bytes)
{
    Converter converter = openConverter(encoding);
    if (!converter)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string units(bytes.size() + 1, u'\0');
    const int32_t length = ucnv_toUChars(converter.get(), units.data(), int32_t(units.size()),
                                         bytes.data(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    units.resize(std::size_t(length));
    return units;
}

// A value or a name for a UTF-16 file: the caller's bytes are code page 932, or else UTF-8.
std::optional<std::u16string> toUtf16(std::string_view bytes)
{
    if (auto units = strictlyToUtf16("cp932", bytes))
        return units;
    return strictlyToUtf16("UTF-8", bytes);
}

// A value read from a UTF-16 file, in code page 932 as every other value; a character that
// code page has no bytes for becomes '?'.
std::string toCp932(std::u16string_view units)
{
    Converter converter = openConverter("cp932");
    if (!converter || units.empty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    std::string bytes(units.size() * 2 + 1, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), bytes.data(), int32_t(bytes.size()),
                                           units.data(), int32_t(units.size()), &status);
    if (U_FAILURE(status))
        return {};
    bytes.resize(std::size_t(length));
    return bytes;
}

std::string readText(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view defaultValue)
{
    const Encoding encoding = encodingOf(file);
    if (encoding == Encoding::Bytes) {
        const std::size_t start = file.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
        const Location where = locate(file, start, section, key);
        if (!where.hasValue)
            return std::string(defaultValue);
        return std::string(readValue(rawValue(file, where)));
    }
    const std::u16string units = decodeUtf16(file, encoding == Encoding::Utf16BE);
    const auto section16 = toUtf16(section);
    const auto key16 = toUtf16(key);
    if (!section16 || !key16)
        return std::string(defaultValue);
    const Location where = locate<char16_t>(units, 0, *section16, *key16);
    if (!where.hasValue)
        return std::string(defaultValue);
    return toCp932(readValue(rawValue<char16_t>(units, where)));
}

// The file's new contents with the key set: nothing when the key already holds the value (its
// line is then left exactly as it is), and an empty string when the value can't be stored.
std::optional<std::string> rewrite(std::string_view file, std::string_view section,
                                   std::string_view key, std::string_view value)
{
    const Encoding encoding = encodingOf(file);
    if (encoding == Encoding::Bytes) {
        const std::size_t start = file.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
        const Location where = locate(file, start, section, key);
        if (where.hasValue && rawValue(file, where) == value)
            return std::nullopt;
        return withKey(file, start, where, section, key, value);
    }
    const bool bigEndian = encoding == Encoding::Utf16BE;
    const std::u16string units = decodeUtf16(file, bigEndian);
    const auto section16 = toUtf16(section);
    const auto key16 = toUtf16(key);
    const auto value16 = toUtf16(value);
    if (!section16 || !key16 || !value16)
        return std::string();
    const Location where = locate<char16_t>(units, 0, *section16, *key16);
    // A stored value that code page 932 can't hold reads as '?': writing back what was read
    // must keep the original characters.
    if (where.hasValue && toCp932(rawValue<char16_t>(units, where)) == value)
        return std::nullopt;
    const std::u16string changed = withKey<char16_t>(units, 0, where, *section16, *key16, *value16);
    return encodeUtf16(changed, bigEndian, file.size() % 2 ? file.substr(file.size() - 1) : "");
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
    bool reset(int fd = -1)
    {
        const bool ok = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = fd;
        return ok;
    }

private:
    int m_fd;
};

// The whole of an open regular file, however large, or nothing when reading fails.
std::optional<std::string> readAll(int fd, const struct stat& info)
{
    std::string text;
    text.reserve(std::size_t(info.st_size));
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n == 0)
            return text;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        text.append(buffer, std::size_t(n));
        offset += n;
    }
}

bool writeAll(int fd, std::string_view data, off_t offset)
{
    while (!data.empty()) {
        const ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
        offset += n;
    }
    return true;
}

enum class LoadStatus { Loaded, Missing, Unreadable };

struct LoadedFile {
    LoadStatus status = LoadStatus::Unreadable;
    std::string text;
};

// Reads the whole file. Only a regular file is read; a directory, a pipe or a device in its
// place counts as unreadable (O_NONBLOCK keeps a pipe from blocking the open).
LoadedFile loadFile(const fs::path& path)
{
    LoadedFile file;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0) {
        if (errno == ENOENT)
            file.status = LoadStatus::Missing;
        return file;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return file;
    if (auto text = readAll(fd.get(), info)) {
        file.text = std::move(*text);
        file.status = LoadStatus::Loaded;
    }
    return file;
}

fs::path folderOf(const fs::path& path)
{
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

// The file a write changes. A symbolic link is followed only to an existing regular file that
// belongs to the owner of the folder holding the link, so a link can't lead a write (by root
// with a user's HOME, say) to someone else's file; a dangling link is an error, and no folder
// is created for it.
struct WriteTarget {
    fs::path path;
    bool throughLink = false;
    uid_t owner = 0;   // whom the file must belong to, when reached through a link
};

std::optional<WriteTarget> writeTarget(const fs::path& path)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        std::error_code ec;
        fs::create_directories(folderOf(path), ec);
        if (ec)
            return std::nullopt;
        return WriteTarget{path};
    }
    const fs::path folder = folderOf(path);
    struct stat folderInfo {};
    std::error_code ec;
    fs::path target = fs::canonical(path, ec);
    if (ec || ::stat(folder.c_str(), &folderInfo) != 0)
        return std::nullopt;
    return WriteTarget{std::move(target), true, folderInfo.st_uid};
}

// The target, opened and locked (flock) for this save, so that two processes saving at once
// take turns and neither loses the other's keys. The lock is on the file itself: a save that
// finds the file replaced while it waited opens the new one. A missing file is created empty
// here, with the mode the kernel gives a new file (0666 less the umask, or the folder's
// default ACL), which the finished file then keeps.
struct LockedFile {
    FileDescriptor fd;
    struct stat info {};
    bool writable = false;
    bool created = false;
};

// How long a save waits for another process's save to end before it reports the write error;
// a process stopped in the middle of a save must not freeze this one for ever.
constexpr std::chrono::milliseconds kLockWait{2000};

bool lockWithin(int fd, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno == ENOLCK || errno == EOPNOTSUPP; // no locks here: save without one
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool openLocked(const WriteTarget& target, LockedFile& file)
{
    const char* path = target.path.c_str();
    constexpr int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        file.fd.reset();
        file.created = false;
        file.writable = true;
        int fd = ::open(path, O_RDWR | flags);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            file.writable = false;
            fd = ::open(path, O_RDONLY | flags);
        }
        if (fd < 0 && errno == ENOENT && !target.throughLink) {
            fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | flags, 0666);
            if (fd < 0 && errno == EEXIST)
                continue;
            file.created = file.writable = fd >= 0;
        }
        file.fd.reset(fd);
        if (fd < 0 || ::fstat(file.fd.get(), &file.info) != 0 || !S_ISREG(file.info.st_mode)
            || (target.throughLink && file.info.st_uid != target.owner))
            return false;
        if (!lockWithin(file.fd.get(), kLockWait))
            return false;
        struct stat now {};
        if (::lstat(path, &now) != 0 || now.st_dev != file.info.st_dev || now.st_ino != file.info.st_ino)
            continue;
        return ::fstat(file.fd.get(), &file.info) == 0;
    }
    return false;
}

// A save killed before its rename leaves its temporary file behind. Every save holds the
// target's lock and its own temporary file's lock, so one that this save can lock is stale.
void removeStaleTemporaries(const fs::path& folder, const std::string& prefix)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name.size() != prefix.size() + 6)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        FileDescriptor fd(::openat(::dirfd(dir.get()), entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

std::optional<std::string> attributeNames(int fd)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::optional<std::string>("") : std::nullopt;
        std::string names(std::size_t(size), '\0');
        const ssize_t got = ::flistxattr(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(std::size_t(got));
            return names;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

template <class F> void forEachName(std::string_view names, F f)
{
    for (std::size_t pos = 0; pos < names.size();) {
        const std::size_t end = names.find('\0', pos);
        f(std::string(names.substr(pos, end - pos)));
        pos = end == std::string_view::npos ? names.size() : end + 1;
    }
}

// Gives the new file the old one's extended attributes (its ACL among them) and no others.
bool copyAttributes(int from, int to)
{
    const auto oldNames = attributeNames(from);
    const auto newNames = attributeNames(to);
    if (!oldNames || !newNames)
        return false;
    bool ok = true;
    const std::string oldList = '\0' + *oldNames;
    forEachName(*newNames, [&](const std::string& name) {
        if (oldList.find('\0' + name + '\0') == std::string::npos)
            ok = ok && ::fremovexattr(to, name.c_str()) == 0;
    });
    forEachName(*oldNames, [&](const std::string& name) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        std::string value(std::size_t(std::max<ssize_t>(size, 0)), '\0');
        ok = ok && size >= 0 && ::fgetxattr(from, name.c_str(), value.data(), value.size()) == size
             && ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0;
    });
    return ok;
}

enum class Replaced { Done, Failed, FolderRefused, CannotKeep };

// Writes the contents to a temporary file beside the target, with the target's owner, mode
// and extended attributes, flushes it to disk and renames it over the target, so a reader sees
// either the old file or the new one, never a part.
Replaced replaceFile(const fs::path& target, const struct stat& old, int oldFd, std::string_view contents)
{
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return (errno == EACCES || errno == EPERM) ? Replaced::FolderRefused : Replaced::Failed;
    ::flock(fd.get(), LOCK_EX);
    auto discard = [&](Replaced result) {
        ::unlink(pattern.c_str());
        return result;
    };
    // Keeps the owner when someone else's file is rewritten (root, or a shared group file).
    [[maybe_unused]] const int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
    struct stat made {};
    if (::fstat(fd.get(), &made) != 0 || made.st_uid != old.st_uid || made.st_gid != old.st_gid
        || ::fchmod(fd.get(), old.st_mode & 07777) != 0 || !copyAttributes(oldFd, fd.get()))
        return discard(Replaced::CannotKeep);
    if (!writeAll(fd.get(), contents, 0) || ::fsync(fd.get()) != 0 || !fd.reset()
        || ::rename(pattern.c_str(), target.c_str()) != 0)
        return discard(Replaced::Failed);
    FileDescriptor dir(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return Replaced::Done;
}

// Rewrites the open file itself, for when it can't be replaced (its folder refuses new files,
// it has other hard links, or its owner or attributes can't be carried over). A failure puts
// the old contents back as far as it can.
bool rewriteInPlace(int fd, std::string_view contents, std::string_view old)
{
    if (writeAll(fd, contents, 0) && ::ftruncate(fd, off_t(contents.size())) == 0 && ::fsync(fd) == 0)
        return true;
    if (writeAll(fd, old, 0)) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd, off_t(old.size()));
    }
    ::fsync(fd);
    return false;
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
    return readText(file.text, section, key, defaultValue).substr(0, kMaxTextLength);
}

void SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view value) const
{
    // A line break inside a name or a value would split the line and corrupt the file.
    if (holdsLineBreakOrNul(section) || holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value))
        failWrite();

    const std::optional<WriteTarget> target = writeTarget(m_path);
    LockedFile file;
    if (!target || !openLocked(*target, file))
        failWrite();
    const fs::path& path = target->path;
    // A save that fails leaves no empty file of its own making behind.
    auto fail = [&]() {
        struct stat now {};
        if (file.created && ::lstat(path.c_str(), &now) == 0 && now.st_ino == file.info.st_ino
            && now.st_dev == file.info.st_dev)
            ::unlink(path.c_str());
        failWrite();
    };

    const std::optional<std::string> old = readAll(file.fd.get(), file.info);
    if (!old)
        fail();
    // A file without any write permission is read-only on purpose; the rename below would
    // otherwise replace it, since only the directory's permissions are checked for that.
    if (!file.created
        && (!file.writable || (file.info.st_mode & 0222) == 0
            || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0))
        fail();

    const std::optional<std::string> contents = rewrite(*old, section, key, value);
    if (!contents)
        return;
    if (contents->empty())
        fail();

    const std::string temporaryPrefix = "." + path.filename().string() + ".";
    removeStaleTemporaries(folderOf(path), temporaryPrefix);
    const Replaced replaced = file.info.st_nlink > 1
        ? Replaced::CannotKeep
        : replaceFile(path, file.info, file.fd.get(), *contents);
    if (replaced == Replaced::Done)
        return;
    if (replaced == Replaced::Failed || !rewriteInPlace(file.fd.get(), *contents, *old))
        fail();
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
