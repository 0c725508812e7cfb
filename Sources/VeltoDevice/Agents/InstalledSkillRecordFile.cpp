#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"

#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

InstalledSkillRecordFile InstalledSkillRecordFile::applicationSupport() {
    return InstalledSkillRecordFile(files::applicationSupportFile("agent-skills.json"));
}

std::map<std::string, std::string> InstalledSkillRecordFile::entries() const {
    auto content = files::readBounded(file_, maximumFileSize);
    auto value = content ? parseJson(*content) : std::nullopt;
    if (!value || !value->is_object())
        return {};
    std::map<std::string, std::string> result;
    for (const auto& [key, digest] : value->items()) {
        // An object of text members only; anything else makes the whole record unreadable.
        if (!digest.is_string())
            return {};
        result.emplace(key, digest.get<std::string>());
    }
    return result;
}

std::optional<std::string> InstalledSkillRecordFile::digest(const InstalledSkill& skill) const {
    auto all = entries();
    auto found = all.find(skill.recordKey());
    if (found == all.end())
        return std::nullopt;
    return found->second;
}

void InstalledSkillRecordFile::record(const std::optional<std::string>& digest, const InstalledSkill& skill) {
    auto all = entries();
    if (digest)
        all[skill.recordKey()] = *digest;
    else
        all.erase(skill.recordKey());
    Json object = Json::object();
    for (const auto& [key, value] : all)
        object[key] = value;
    std::string text;
    try {
        text = encodeCompact(object);
    } catch (const Json::exception&) {
        throw FileError::write(file_.string(), "a skill name is not UTF-8");
    }
    files::createFolders(file_.parent_path());
    files::writeAtomically(file_, text);
}

std::vector<std::string> InstalledSkillRecordFile::names(HarnessKind agent) const {
    std::string prefix(rawValue(agent));
    prefix += '/';
    std::vector<std::string> result;
    for (const auto& [key, digest] : entries()) {
        if (key.size() > prefix.size() && key.compare(0, prefix.size(), prefix) == 0)
            result.push_back(key.substr(prefix.size()));
    }
    return result; // the map's order is ascending
}

} // namespace velto
