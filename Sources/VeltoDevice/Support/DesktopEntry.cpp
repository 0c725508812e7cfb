#include "VeltoDevice/Support/DesktopEntry.hpp"

#include "VeltoDevice/Support/UTF8.hpp"

namespace velto {

namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";

bool isControl(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

/// The string escapes of values, applied after any quoting: "\\", "\s" for a leading space. Control
/// characters never reach here (the writer refuses them), so "\n", "\t" and "\r" are not needed.
std::string escaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            // Not one of the string escapes (";" belongs to lists): kept as written.
            out += '\\';
            out += value[i];
        }
    }
    return out;
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string DesktopEntry::text() const {
    std::string out(kGroup);
    out += '\n';
    for (const auto& [key, value] : fields) {
        out += key;
        out += '=';
        out += escaped(value);
        out += '\n';
    }
    return out;
}

std::optional<std::string> DesktopEntry::value(std::string_view key) const {
    std::optional<std::string> found;
    for (const auto& field : fields) {
        if (field.first == key)
            found = field.second;
    }
    return found;
}

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
    if (text.size() > maximumFileSize)
        return std::nullopt;
    DesktopEntry entry;
    bool inGroup = false;
    bool sawGroup = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view content = trimmedBlanks(line);
        if (content.empty() || content.front() == '#')
            continue;
        if (content.front() == '[') {
            if (content.back() != ']')
                return std::nullopt;
            inGroup = content == kGroup;
            sawGroup = sawGroup || inGroup;
            continue;
        }
        auto equals = content.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        if (!inGroup)
            continue;
        auto value = unescaped(trimmedBlanks(content.substr(equals + 1)));
        if (!value)
            return std::nullopt;
        entry.fields.emplace_back(std::string(trimmedBlanks(content.substr(0, equals))), std::move(*value));
    }
    if (!sawGroup)
        return std::nullopt;
    return entry;
}

std::optional<std::string> DesktopEntry::execArgument(std::string_view argument) {
    // An entry is UTF-8 text: desktops refuse to read one that is not.
    if (!utf8::isValid(argument))
        return std::nullopt;
    std::string out = "\"";
    for (char c : argument) {
        if (isControl(c))
            return std::nullopt;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    out += '"';
    return out;
}

std::optional<std::string> DesktopEntry::execCommand(std::string_view program) {
    auto argument = execArgument(program);
    if (!argument || program.find('%') == std::string_view::npos)
        return argument;
    return R"(/bin/sh -c "exec \"\$0\" \"\$@\"" )" + *argument;
}

std::optional<std::string> DesktopEntry::execProgram(std::string_view exec) {
    std::size_t i = 0;
    while (i < exec.size() && exec[i] == ' ')
        ++i;
    std::string program;
    bool quoted = false;
    bool any = false;
    for (; i < exec.size(); ++i) {
        char c = exec[i];
        if (c == '%') {
            // Field codes are expanded before the quoting is read; only "%%" may stand in a program.
            if (i + 1 == exec.size() || exec[i + 1] != '%')
                return std::nullopt;
            program += '%';
            ++i;
            any = true;
            continue;
        }
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                program += exec[++i];
            } else {
                program += c;
            }
            continue;
        }
        if (c == ' ')
            break;
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == '\\') {
            if (++i == exec.size())
                return std::nullopt;
            program += exec[i];
            any = true;
        } else {
            program += c;
            any = true;
        }
    }
    if (quoted || !any)
        return std::nullopt;
    return program;
}

} // namespace velto
