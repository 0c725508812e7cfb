#include "VeltoDevice/Support/FileError.hpp"

#include <system_error>

namespace velto {

namespace {

std::string sentence(FileError::Case kind, const std::string& path, const std::string& detail) {
    switch (kind) {
    case FileError::Case::createFolder:
        return "The system did not create the folder " + path + ": " + detail + ".";
    case FileError::Case::write:
        return "The system did not save " + path + ": " + detail + ".";
    case FileError::Case::setAside:
        return "The system did not set " + path + " aside: " + detail + ".";
    case FileError::Case::remove:
        return "The system did not remove " + path + ": " + detail + ".";
    case FileError::Case::noHomeFolder:
        return "The system did not name a home folder for Velto's files.";
    }
    return {};
}

} // namespace

FileError::FileError(Case kind, std::string path, std::string detail)
    : Error(sentence(kind, path, detail)), kind_(kind), path_(std::move(path)), detail_(std::move(detail)) {}

FileError FileError::createFolder(std::string path, std::string detail) {
    return {Case::createFolder, std::move(path), std::move(detail)};
}
FileError FileError::write(std::string path, std::string detail) {
    return {Case::write, std::move(path), std::move(detail)};
}
FileError FileError::setAside(std::string path, std::string detail) {
    return {Case::setAside, std::move(path), std::move(detail)};
}
FileError FileError::remove(std::string path, std::string detail) {
    return {Case::remove, std::move(path), std::move(detail)};
}
FileError FileError::noHomeFolder() {
    return {Case::noHomeFolder, {}, {}};
}

std::string FileError::describe(int error) {
    return std::generic_category().message(error);
}

} // namespace velto
