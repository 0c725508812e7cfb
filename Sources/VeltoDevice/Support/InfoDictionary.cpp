#include "VeltoDevice/Support/InfoDictionary.hpp"

#include "VeltoDevice/Support/Files.hpp"

#include <cstdlib>
#include <memory>
#include <plist/plist.h>

namespace velto {

InfoDictionary InfoDictionary::read(const std::filesystem::path& file) {
    auto bytes = files::readBounded(file, maximumFileSize);
    return bytes ? parse(*bytes) : InfoDictionary();
}

InfoDictionary InfoDictionary::parse(std::string_view bytes) {
    InfoDictionary dictionary;
    if (bytes.empty() || bytes.size() > maximumFileSize)
        return dictionary;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (root == nullptr || plist_get_node_type(root) != PLIST_DICT)
        return dictionary;
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
            char* string = nullptr;
            plist_get_string_val(value, &string);
            if (string != nullptr) {
                text = std::string(string);
                std::free(string);
            }
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
