// The program's exception types. Each carries the user-facing message in cp1251, ready for a dialog or a
// work-log line; the command-line program converts it to UTF-8 for the terminal.
#pragma once

#include <stdexcept>
#include <string>

namespace pelgo::core {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened, read or written.
class FileError : public Error {
public:
    using Error::Error;
};

// "Cannot open file %s" with the file name: a file held by another writer, missing rights.
class CannotOpenFile : public FileError {
public:
    explicit CannotOpenFile(const std::string& fileName) : FileError("Cannot open file " + fileName) {}
};

} // namespace pelgo::core
