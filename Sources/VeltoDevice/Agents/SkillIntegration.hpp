#pragma once

#include "VeltoDevice/Agents/AgentIntegration.hpp"
#include "VeltoDevice/Agents/RecordedSkill.hpp"

#include <filesystem>
#include <utility>

namespace velto {

/// An add-on that installs a shipped skill folder: its state is RecordedSkill's rule; how it is
/// installed and removed is the tool's own.
class SkillIntegration : public AgentIntegration {
public:
    const InstalledSkill& skill() const { return skill_.skill(); }
    const std::filesystem::path& shipped() const { return skill_.shipped(); }
    const std::filesystem::path& installed() const { return skill_.installed(); }

    boost::asio::awaitable<AgentIntegrationState> state() override { return skill_.state(); }

protected:
    explicit SkillIntegration(RecordedSkill skill) : skill_(std::move(skill)) {}

    const RecordedSkill& recorded() const { return skill_; }

private:
    RecordedSkill skill_;
};

} // namespace velto
