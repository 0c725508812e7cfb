#pragma once

#include "VeltoDevice/Support/Error.hpp"

#include <string>

namespace velto {

/// The system refused a file operation on a file of Velto's own; the detail is the system's
/// description of why.
class FileError : public Error {
public:
    enum class Case { createFolder, write, setAside, remove, noHomeFolder };

    static FileError createFolder(std::string path, std::string detail);
    static FileError write(std::string path, std::string detail);
    static FileError setAside(std::string path, std::string detail);
    static FileError remove(std::string path, std::string detail);
    static FileError noHomeFolder();

    /// The error of a failed system call: `error` is its errno.
    static std::string describe(int error);

    Case kind() const { return kind_; }
    const std::string& path() const { return path_; }
    const std::string& detail() const { return detail_; }

    friend bool operator==(const FileError& a, const FileError& b) {
        return a.kind_ == b.kind_ && a.path_ == b.path_ && a.detail_ == b.detail_;
    }

private:
    FileError(Case kind, std::string path, std::string detail);

    Case kind_;
    std::string path_;
    std::string detail_;
};

} // namespace velto
