// SPDX-License-Identifier: MIT
#pragma once

#include "core/ConfigLocation.h"
#include "core/SettingsDocument.h"

#include <filesystem>
#include <functional>

namespace navrik {

// The settings file on disk. The object holds only the path: making it touches no file, and
// each load and save opens, reads or replaces the file itself, so nothing is cached between them.
//
// A load never fails: a missing or unreadable file gives an empty document. A file of any size
// is read whole.
// A save holds an advisory lock (flock) on the file from reading it to replacing it, so two
// processes saving at once lose no key, and replaces the whole file atomically, once, with one
// that has its owner, mode and extended attributes (ACLs among them); where that can't be done
// (the folder refuses the temporary file, the file has other hard links, its owner or attributes
// can't be carried over) the file is rewritten in place. A new file gets the mode the kernel
// gives any new file. Temporary files that a killed save left behind are removed. A symbolic
// link is followed only to an existing regular file owned by the owner of the link's folder.
class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path path = settingsFilePath());

    const std::filesystem::path& path() const { return m_path; }

    // The file as it stands now.
    SettingsDocument load() const;

    // Reads the file as it stands under the lock, lets `change` set its keys (it returns the
    // name of a key whose value can't be stored, else nothing) and writes the result in one
    // step; a file that comes out as it was is left untouched. Throws navrik::Error when the
    // file can't be written, saying why (the system's reason, or the key that can't be
    // stored), and leaves the previous file whole.
    void save(const std::function<std::string(SettingsDocument&)>& change) const;

private:
    [[noreturn]] void failWrite(const std::string& reason) const;

    std::filesystem::path m_path;
};

} // namespace navrik
