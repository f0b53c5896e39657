// Paths as the settings file keeps them (Windows forms: ".\BASE\", back-slashes, drive letters) and as
// the program uses them (native Linux paths). Stored forms are never rewritten unless a path changes, so
// installations keep working when their settings file travels between systems.
//
// Drive letters: "C:" is the system's temporary folder (the one stored default on it, "C:\pelgo.tmp", is
// a scratch folder); any other letter X maps to /mnt/x, where administrators mount their shares.
#pragma once

#include <string>
#include <string_view>

namespace pelgo::shell {

class PathRules {
public:
    // `programDirectory`: the installation folder, native, with or without a trailing '/'.
    explicit PathRules(std::string programDirectory);

    const std::string& ProgramDirectory() const { return m_programDirectory; }
    const std::string& BaseDirectory() const { return m_baseDirectory; }
    // Sets the base (data) directory from its native form; a trailing '/' is added.
    void SetBaseDirectory(std::string native);

    // ".\x" relative to the program folder, "X:\x" through the drive map, back-slashes become '/', a path
    // without a root is relative to the program folder.
    std::string ToNative(std::string_view stored) const;
    // Inside the program folder: ".\" + the rest with back-slashes; elsewhere the native path itself.
    std::string ToStored(std::string_view native) const;

    // A data-file name from the settings: used as it is when it names a drive, is absolute, is relative to
    // the program folder (".\"), or already
    // contains the base directory (compared upper-cased, Cyrillic included); otherwise inside the base
    // directory. Returns the native path.
    std::string CheckPath(std::string_view stored) const;
    // The inverse for writing: the base directory prefix is removed; returns the stored form.
    std::string DelPath(std::string_view native) const;

private:
    std::string m_programDirectory;
    std::string m_baseDirectory;
};

} // namespace pelgo::shell
