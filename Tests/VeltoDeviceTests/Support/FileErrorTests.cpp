#include "VeltoDevice/Support/FileError.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace velto {
namespace {

TEST(FileError, Descriptions) {
    const std::pair<FileError, const char*> table[] = {
        {FileError::createFolder("/d/Velto", "Not a directory"),
         "The system did not create the folder /d/Velto: Not a directory."},
        {FileError::write("/d/a.json", "No space left on device"),
         "The system did not save /d/a.json: No space left on device."},
        {FileError::setAside("/d/a.json", "File exists"),
         "The system did not set /d/a.json aside: File exists."},
        {FileError::remove("/d/a.json", "Is a directory"),
         "The system did not remove /d/a.json: Is a directory."},
        {FileError::noHomeFolder(), "The system did not name a home folder for Velto's files."},
    };
    for (const auto& [error, text] : table)
        EXPECT_STREQ(error.what(), text);
}

} // namespace
} // namespace velto
