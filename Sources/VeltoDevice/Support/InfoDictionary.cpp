#include "VeltoDevice/Support/InfoDictionary.hpp"

#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/PropertyListScreen.hpp"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <plist/plist.h>

namespace velto {

InfoDictionary InfoDictionary::read(const std::filesystem::path& file) {
    auto bytes = files::readBounded(file, maximumFileSize);
    return bytes ? parse(*bytes) : InfoDictionary();
}

InfoDictionary InfoDictionary::parse(std::string_view bytes) {
    InfoDictionary dictionary;
    if (bytes.empty() || bytes.size() > maximumFileSize || !PropertyListScreen::admits(bytes))
        return dictionary;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (root == nullptr || plist_get_node_type(root) != PLIST_DICT)
        return dictionary;
    // The screen has refused every key with a NUL, which libplist would abort on while iterating.
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(root, &iterator);
    std::unique_ptr<void, decltype(&std::free)> iteratorOwner(iterator, &std::free);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root, iterator, &key, &value);
        if (key == nullptr)
            break;
        std::string name(key);
        std::free(key);
        std::optional<std::string> text;
        if (value != nullptr && plist_get_node_type(value) == PLIST_STRING) {
            // The node's length first: libplist aborts, or cuts the text, when asked for a string
            // that holds a NUL. Such a string makes the whole file unreadable.
            std::uint64_t length = 0;
            const char* string = plist_get_string_ptr(value, &length);
            if (string == nullptr || std::strlen(string) != length)
                return InfoDictionary();
            text = std::string(string, length);
        }
        dictionary.values_.insert_or_assign(std::move(name), std::move(text));
    }
    return dictionary;
}

bool InfoDictionary::contains(std::string_view key) const {
    return values_.find(key) != values_.end();
}

std::optional<std::string> InfoDictionary::text(std::string_view key) const {
    auto found = values_.find(key);
    return found == values_.end() ? std::nullopt : found->second;
}

} // namespace velto
