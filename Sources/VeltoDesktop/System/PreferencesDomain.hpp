#pragma once

#include "VeltoDevice/Support/Json.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// One preferences domain: a JSON object in one file, "<config>/Velto/<domain>.json", read once and
/// written whole (atomically) at each assignment. JSON keeps each value's type and presence, so a
/// stored false or empty text reads back as exactly that. A file that is not a JSON object is set
/// aside under a new name on first read and never written over; the domain then starts empty.
/// Used on the main thread only; the writes can run on a writer of their own (a strand), in order.
class PreferencesDomain {
public:
    /// The wall clock that names set-aside files.
    using Now = std::function<std::chrono::system_clock::time_point()>;

    /// A preferences file is a few hundred bytes; a larger one counts as damaged.
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    explicit PreferencesDomain(std::filesystem::path file, Now now = std::chrono::system_clock::now);
    /// Writes the file on `writer` (a strand, so that the last assignment is the last written) instead
    /// of in `set`: a write syncs the file and its folder, which must not hold up the caller.
    PreferencesDomain(std::filesystem::path file, boost::asio::any_io_executor writer,
                      Now now = std::chrono::system_clock::now);

    /// The domain's file under the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config),
    /// in "Velto"; nothing when there is no configuration folder.
    static std::optional<std::filesystem::path> standardFile(std::string_view domain);

    const std::filesystem::path& file() const { return file_; }

    /// The stored value of `key`, of whatever type; nothing when absent.
    std::optional<Json> value(std::string_view key) const;
    /// The stored value when it is a Boolean / a text; a value of another type counts as absent.
    std::optional<bool> boolean(std::string_view key) const;
    std::optional<std::string> text(std::string_view key) const;

    /// Stores the value and writes the file (on the writer when there is one). A failed write is logged
    /// ("app") and the value kept for this run; so is every value while a file that could not be read or set
    /// aside stands in the way.
    void set(std::string_view key, Json value);

private:
    void load() const;

    std::filesystem::path file_;
    boost::asio::any_io_executor writer_;
    Now now_;
    mutable bool isLoaded_ = false;
    /// False while the file holds what this domain could not read: it is never written over.
    mutable bool isWritable_ = true;
    mutable Json values_ = Json::object();
};

} // namespace velto
