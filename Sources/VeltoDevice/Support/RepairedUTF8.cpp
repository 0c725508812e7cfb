#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include "VeltoDevice/Support/UTF8.hpp"

namespace velto {

std::string repairedUTF8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        std::size_t good = utf8::wellFormedLength(bytes);
        out.append(bytes.substr(0, good));
        bytes.remove_prefix(good);
        if (bytes.empty())
            break;
        out.append("\xEF\xBF\xBD");
        bytes.remove_prefix(utf8::illFormedLength(bytes));
    }
    return out;
}

std::string repairedUTF8(std::string&& bytes) {
    if (utf8::isValid(bytes))
        return std::move(bytes);
    return repairedUTF8(std::string_view(bytes));
}

} // namespace velto
