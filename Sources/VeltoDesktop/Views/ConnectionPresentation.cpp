#include "VeltoDesktop/Views/ConnectionPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

namespace {

/// The whitespace set of the retry detail: space separators and the tab, not line breaks.
bool isSpaceOrTab(std::string_view text, std::size_t at, std::size_t& length) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c == ' ' || c == '\t') {
        length = 1;
        return true;
    }
    // U+00A0, U+1680, U+2000–U+200A, U+202F, U+205F, U+3000 in UTF-8.
    auto starts = [&](std::string_view bytes) { return text.substr(at, bytes.size()) == bytes; };
    static constexpr std::string_view separators[] = {
        "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83",
        "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
        "\xE2\x80\x8A", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    for (auto separator : separators) {
        if (starts(separator)) {
            length = separator.size();
            return true;
        }
    }
    return false;
}

std::string_view trimmed(std::string_view text) {
    std::size_t length = 0;
    while (!text.empty() && isSpaceOrTab(text, 0, length))
        text.remove_prefix(length);
    bool trimming = true;
    while (trimming && !text.empty()) {
        trimming = false;
        for (std::size_t size = 1; size <= 3 && size <= text.size(); ++size) {
            const auto at = text.size() - size;
            if (isSpaceOrTab(text, at, length) && length == size) {
                text.remove_suffix(size);
                trimming = true;
                break;
            }
        }
    }
    return text;
}

std::string shown(UserTexts::Connection connection, bool isPaused) {
    return UserTexts::connectionTitle(connection, isPaused).toStdString();
}

} // namespace

ConnectionPresentation::ConnectionPresentation(const ConnectionState& state, bool isPaused) {
    switch (state.kind()) {
    case ConnectionState::Case::connected:
        title = shown(UserTexts::Connection::connected, isPaused);
        tint = Tint::green;
        break;
    case ConnectionState::Case::retrying:
        title = shown(UserTexts::Connection::retrying, isPaused);
        detail = retrying(state.reason(), retrySeconds(state.afterMilliseconds()));
        tint = Tint::orange;
        break;
    case ConnectionState::Case::stopped:
        title = shown(UserTexts::Connection::stopped, isPaused);
        detail = state.reason();
        tint = Tint::red;
        break;
    case ConnectionState::Case::connecting:
        title = shown(UserTexts::Connection::connecting, isPaused);
        tint = Tint::orange;
        break;
    case ConnectionState::Case::offline:
        title = shown(UserTexts::Connection::offline, isPaused);
        tint = Tint::secondary;
        break;
    }
}

ConnectionPresentation ConnectionPresentation::notEnrolled() {
    return {UserTexts::notEnrolled().toStdString(), std::nullopt, Tint::secondary};
}

std::int64_t ConnectionPresentation::retrySeconds(std::int64_t milliseconds) {
    return milliseconds <= 999 ? 1 : milliseconds / 1000;
}

std::string ConnectionPresentation::retrying(std::string_view reason, std::int64_t seconds) {
    auto text = trimmed(reason);
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    return UserTexts::retryDetail(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                  seconds)
        .toStdString();
}

} // namespace velto
