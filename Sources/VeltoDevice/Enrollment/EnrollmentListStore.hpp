#pragma once

#include "VeltoDevice/Enrollment/EnrollmentListStorage.hpp"
#include "VeltoDevice/Enrollment/EnrollmentStore.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// The list of enrollments in "enrollments.json": a JSON array, pretty-printed with sorted keys and
/// replaced atomically on every save.
class EnrollmentListStore final : public EnrollmentListStorage {
public:
    explicit EnrollmentListStore(std::filesystem::path filePath,
                                 EnrollmentStore::Now now = std::chrono::system_clock::now);

    /// A store for "enrollments.json" in Velto's folder (files::applicationSupportFile).
    /// Throws FileError.
    static EnrollmentListStore applicationSupport();

    /// The list a file's text holds. Throws EnrollmentError::corruptEnrollments for text that is not a
    /// JSON array of records, or when one record does not decode.
    static std::vector<Enrollment> decode(std::string_view text);
    /// The file's text for a list, as `save` writes it.
    static std::string encode(const std::vector<Enrollment>& enrollments);

    const std::filesystem::path& filePath() const { return filePath_; }

    std::vector<Enrollment> load() const override;
    /// Creates the folder when missing. Throws FileError.
    void save(const std::vector<Enrollment>& enrollments) override;
    /// files::setAside of the list file.
    void setAsideCorrupt() override;

private:
    std::filesystem::path filePath_;
    EnrollmentStore::Now now_;
};

} // namespace velto
