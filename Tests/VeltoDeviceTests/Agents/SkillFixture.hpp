#pragma once

#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"
#include "VeltoDevice/Agents/AgentReconciler.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"

#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "AsyncTestLoop.hpp"
#include "FileFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto::testing {

/// A shipped skill folder (two files and a link) in a temporary folder, and a record file beside it.
class SkillFixture : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(shipped / "SKILL.md", "# Review\n");
        writeFile(shipped / "scripts" / "run.sh", "#!/bin/sh\n");
        std::filesystem::create_symlink("scripts/run.sh", shipped / "run");
    }

    AgentIntegrationState state(AgentIntegration& integration) { return loop.run(integration.state()); }
    AgentIntegrationOutcome reconcile(AgentIntegration& integration, bool isWanted) {
        return loop.run(AgentReconciler::reconcile(integration, isWanted));
    }

    TemporaryFolder temporary;
    AsyncTestLoop loop;
    boost::asio::thread_pool pool{1};
    const std::filesystem::path shipped = temporary.path() / "Velto.app" / "agents" / "skills" / "review";
    const std::filesystem::path installed = temporary.path() / "home" / ".codex" / "skills" / "review";
    std::shared_ptr<InstalledSkillRecordFile> records =
        std::make_shared<InstalledSkillRecordFile>(temporary.path() / "data" / "agent-skills.json");
    const InstalledSkill skill{HarnessKind::codex, "review"};
};

} // namespace velto::testing
