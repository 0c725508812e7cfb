#pragma once

#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStorage.hpp"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// The earlier single-enrollment file, "enrollment.json".
class EnrollmentStore final : public EnrollmentStorage {
public:
    /// The wall clock that names set-aside files.
    using Now = std::function<std::chrono::system_clock::time_point()>;

    explicit EnrollmentStore(std::filesystem::path filePath, Now now = std::chrono::system_clock::now);

    /// A store for "enrollment.json" in Velto's folder (files::applicationSupportFile). Throws FileError.
    static EnrollmentStore applicationSupport();

    /// The most an enrollment file may hold: far beyond any list of organizations, and a bound on what
    /// a damaged or planted file can cost to read.
    static constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

    /// The text of an enrollment file; nothing when there is none. A file that cannot be read
    /// throws EnrollmentError::unreadableEnrollment; one larger than `maximumFileSize` is damaged and
    /// throws `damaged`, so that it is set aside like any other damaged file.
    static std::optional<std::string> readEnrollmentFile(const std::filesystem::path& file,
                                                         const EnrollmentError& damaged);

    /// The record a file's text holds. Throws EnrollmentError::corruptEnrollment when it holds none.
    static Enrollment decode(std::string_view text);
    /// The file's text for a record, as `save` writes it.
    static std::string encode(const Enrollment& enrollment);

    const std::filesystem::path& filePath() const { return filePath_; }

    std::optional<Enrollment> load() const override;
    void save(const Enrollment& enrollment) override;
    void remove() override;
    void setAsideCorrupt() override;

private:
    std::filesystem::path filePath_;
    Now now_;
};

} // namespace velto
