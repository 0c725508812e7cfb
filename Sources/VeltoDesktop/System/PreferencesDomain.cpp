#include "VeltoDesktop/System/PreferencesDomain.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <boost/asio/post.hpp>

#include <exception>

namespace velto {

PreferencesDomain::PreferencesDomain(std::filesystem::path file, Now now)
    : file_(std::move(file)), now_(std::move(now)) {}

PreferencesDomain::PreferencesDomain(std::filesystem::path file, boost::asio::any_io_executor writer, Now now)
    : file_(std::move(file)), writer_(std::move(writer)), now_(std::move(now)) {}

namespace {

void save(const std::filesystem::path& file, const std::string& text) {
    try {
        files::createFolders(file.parent_path());
        files::writeAtomically(file, text);
    } catch (const std::exception& error) {
        appLog().error(std::string("could not save the preferences: ") + error.what());
    }
}

} // namespace

std::optional<std::filesystem::path> PreferencesDomain::standardFile(std::string_view domain) {
    auto config = UserFolders::configHome();
    if (!config)
        return std::nullopt;
    return *config / "Velto" / (std::string(domain) + ".json");
}

void PreferencesDomain::load() const {
    if (isLoaded_)
        return;
    isLoaded_ = true;
    std::optional<std::string> text;
    try {
        text = files::readIfPresent(file_, maximumFileSize);
    } catch (const std::length_error&) {
        text = std::string(); // too large: damaged
    } catch (const std::exception&) {
        appLog().error("could not read the preferences " + file_.filename().string());
        isWritable_ = false;
        return;
    }
    if (!text)
        return;
    auto parsed = parseJson(*text);
    if (parsed && parsed->is_object()) {
        values_ = std::move(*parsed);
        return;
    }
    try {
        auto aside = files::setAside(file_, now_());
        appLog().error("set aside damaged preferences as " + aside.filename().string());
    } catch (const std::exception& error) {
        appLog().error(std::string("could not set aside damaged preferences: ") + error.what());
        isWritable_ = false;
    }
}

std::optional<Json> PreferencesDomain::value(std::string_view key) const {
    load();
    auto found = values_.find(key);
    if (found == values_.end())
        return std::nullopt;
    return *found;
}

std::optional<bool> PreferencesDomain::boolean(std::string_view key) const {
    load();
    return json::boolean(values_, key);
}

std::optional<std::string> PreferencesDomain::text(std::string_view key) const {
    load();
    return json::string(values_, key);
}

void PreferencesDomain::set(std::string_view key, Json value) {
    load();
    values_[std::string(key)] = std::move(value);
    if (!isWritable_)
        return;
    auto text = encodePretty(values_);
    if (!writer_) {
        save(file_, text);
        return;
    }
    boost::asio::post(writer_, [file = file_, text = std::move(text)] { save(file, text); });
}

} // namespace velto
