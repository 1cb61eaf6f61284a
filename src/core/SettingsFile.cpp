// SPDX-License-Identifier: MIT
#include "core/SettingsFile.h"

#include "core/Error.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// What a failed save says: the file and why, or the file and the key whose value it cannot store.
constexpr const char* kCannotWrite = NAVRIK_MESSAGE("%1 に書き込めません（%2）");
constexpr const char* kCannotStore = NAVRIK_MESSAGE("%1 に書き込めません（%2 の値に保存できない文字があります）");
constexpr const char* kReadOnly = NAVRIK_MESSAGE("読み取り専用のファイルです");

// Why a save failed, as the user is told: the system's own words for an error number, or a
// message of the program's.
std::string systemReason(int error)
{
    return std::generic_category().message(error);
}

std::optional<WriteTarget> writeTarget(const fs::path& path, std::string& reason)
{
    struct stat link {};
    std::error_code ec;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        fs::create_directories(folderOf(path), ec);
        if (ec) {
            reason = ec.message();
            return std::nullopt;
        }
        return WriteTarget{path};
    }
    const fs::path folder = folderOf(path);
    struct stat folderInfo {};
    fs::path target = fs::canonical(path, ec);
    if (ec || ::stat(folder.c_str(), &folderInfo) != 0) {
        reason = ec ? ec.message() : systemReason(errno);
        return std::nullopt;
    }
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

bool lockWithin(int fd, std::chrono::milliseconds wait, std::string& reason)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason = systemReason(errno);
            return errno == ENOLCK || errno == EOPNOTSUPP; // no locks here: save without one
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            reason = NAVRIK_MESSAGE("ほかのプログラムが保存を終えません");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool openLocked(const WriteTarget& target, LockedFile& file, std::string& reason)
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
        if (fd < 0) {
            reason = systemReason(errno);
            return false;
        }
        file.fd.reset(fd);
        if (::fstat(file.fd.get(), &file.info) != 0) {
            reason = systemReason(errno);
            return false;
        }
        if (!S_ISREG(file.info.st_mode)) {
            reason = NAVRIK_MESSAGE("ふつうのファイルではありません");
            return false;
        }
        if (target.throughLink && file.info.st_uid != target.owner) {
            reason = NAVRIK_MESSAGE("リンク先がほかのユーザーのファイルです");
            return false;
        }
        if (!lockWithin(file.fd.get(), kLockWait, reason))
            return false;
        struct stat now {};
        if (::lstat(path, &now) != 0 || now.st_dev != file.info.st_dev || now.st_ino != file.info.st_ino)
            continue;
        return ::fstat(file.fd.get(), &file.info) == 0;
    }
    reason = systemReason(EBUSY);
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
Replaced replaceFile(const fs::path& target, const struct stat& old, int oldFd, std::string_view contents,
                     int& error)
{
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    error = errno;
    if (fd.get() < 0)
        return (errno == EACCES || errno == EPERM) ? Replaced::FolderRefused : Replaced::Failed;
    ::flock(fd.get(), LOCK_EX);
    auto discard = [&](Replaced result) {
        error = errno;
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
bool rewriteInPlace(int fd, std::string_view contents, std::string_view old, int& error)
{
    if (writeAll(fd, contents, 0) && ::ftruncate(fd, off_t(contents.size())) == 0 && ::fsync(fd) == 0)
        return true;
    error = errno;
    if (writeAll(fd, old, 0)) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd, off_t(old.size()));
    }
    ::fsync(fd);
    return false;
}

} // namespace

SettingsFile::SettingsFile(fs::path path) : m_path(std::move(path)) {}

void SettingsFile::failWrite(const std::string& reason) const
{
    throw Error(kCannotWrite, {m_path.filename().string(), reason});
}

SettingsDocument SettingsFile::load() const
{
    LoadedFile file = loadFile(m_path);
    return file.status == LoadStatus::Loaded ? SettingsDocument(std::move(file.text)) : SettingsDocument();
}

void SettingsFile::save(const std::function<std::string(SettingsDocument&)>& change) const
{
    std::string reason;
    const std::optional<WriteTarget> target = writeTarget(m_path, reason);
    LockedFile file;
    if (!target || !openLocked(*target, file, reason))
        failWrite(reason);
    const fs::path& path = target->path;
    // A save that fails, or finds nothing to write, leaves no empty file of its own making behind.
    auto removeCreated = [&]() {
        struct stat now {};
        if (file.created && ::lstat(path.c_str(), &now) == 0 && now.st_ino == file.info.st_ino
            && now.st_dev == file.info.st_dev)
            ::unlink(path.c_str());
    };
    auto fail = [&](const std::string& why) {
        removeCreated();
        failWrite(why);
    };

    const std::optional<std::string> old = readAll(file.fd.get(), file.info);
    if (!old)
        fail(systemReason(errno));
    // A file without any write permission is read-only on purpose; the rename below would
    // otherwise replace it, since only the directory's permissions are checked for that.
    if (!file.created && (!file.writable || (file.info.st_mode & 0222) == 0))
        fail(kReadOnly);
    if (!file.created && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        fail(systemReason(errno));

    SettingsDocument document(*old);
    if (const std::string unstored = change(document); !unstored.empty()) {
        removeCreated();
        throw Error(kCannotStore, {m_path.filename().string(), unstored});
    }
    const std::string contents = document.bytes();
    if (contents == *old) {
        removeCreated();
        return;
    }

    const std::string temporaryPrefix = "." + path.filename().string() + ".";
    removeStaleTemporaries(folderOf(path), temporaryPrefix);
    int error = 0;
    const Replaced replaced = file.info.st_nlink > 1
        ? Replaced::CannotKeep
        : replaceFile(path, file.info, file.fd.get(), contents, error);
    if (replaced == Replaced::Done)
        return;
    if (replaced == Replaced::Failed || !rewriteInPlace(file.fd.get(), contents, *old, error))
        fail(systemReason(error));
}

} // namespace navrik
