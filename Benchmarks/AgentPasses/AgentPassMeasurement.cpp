// Two figures of the agent add-ons, each printed against its goal; exits with 1 when one is missed:
// - the digest of a skill folder of 2,000 files and 100 MiB: its time, and the memory it adds at its
//   peak (files are read in blocks, so it stays flat whatever the folder holds);
// - a pass over three harnesses where nothing changes, with fake tools that log their command lines:
//   its wall time, and the commands it ran (the plugin list only: skills are compared on disk, and
//   the Codex tool is never run).
#include "VeltoDevice/Agents/AgentIntegrations.hpp"
#include "VeltoDevice/Agents/CopiedSkill.hpp"
#include "VeltoDevice/Agents/InstalledSkillRecordFile.hpp"
#include "VeltoDevice/Agents/MuseSkill.hpp"
#include "VeltoDevice/Agents/SkillFolder.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <boost/asio/io_context.hpp>

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Measurement.hpp"
#include "ProcessStatus.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace {

namespace fs = std::filesystem;
using namespace velto;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int fileCount = 2000;
constexpr std::size_t folderBytes = 100 * 1024 * 1024;
constexpr double digestGoalMs = 500;
constexpr double digestMemoryGoalMiB = 8;
constexpr double passGoalMs = 200;

bool report(const std::string& figure, const std::string& value, const std::string& goal, bool met) {
    std::cout << figure << ": " << value << " (goal " << goal << ": " << (met ? "met" : "MISSED") << ")\n";
    return met;
}

/// 2,000 files of 50 KiB or so, spread over 20 subfolders.
void makeLargeSkill(const fs::path& folder) {
    const std::string block(folderBytes / fileCount, 'x');
    for (int i = 0; i < fileCount; ++i) {
        fs::path file = folder / ("part-" + std::to_string(i % 20)) / ("file-" + std::to_string(i) + ".md");
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << i << block;
    }
}

bool measureDigest(const fs::path& root) {
    const fs::path folder = root / "large-skill";
    makeLargeSkill(folder);
    SkillFolder::digest(folder); // the files in the page cache, as a pass finds a skill it read before
    benchmarks::resetPeakMemory();
    double before = benchmarks::statusMiB("VmHWM");
    auto start = std::chrono::steady_clock::now();
    FolderDigest digest = SkillFolder::digest(folder);
    Milliseconds took = std::chrono::steady_clock::now() - start;
    double added = benchmarks::statusMiB("VmHWM") - before;
    fs::remove_all(folder);
    if (digest.kind != FolderDigest::Case::digest) {
        std::cout << "skill folder digest: the folder could not be read\n";
        return false;
    }
    std::ostringstream time, memory;
    time << std::fixed << std::setprecision(1) << took.count() << " ms for 2000 files, 100 MiB";
    memory << std::fixed << std::setprecision(1) << added << " MiB more at the peak";
    bool timeMet = report("skill folder digest", time.str(),
                          "under " + std::to_string(int(digestGoalMs)) + " ms", took.count() < digestGoalMs);
    bool memoryMet =
        report("skill folder digest memory", memory.str(),
               "under " + std::to_string(int(digestMemoryGoalMiB)) + " MiB", added < digestMemoryGoalMiB);
    return timeMet && memoryMet;
}

/// The lines of the fake tools' log: one per command they ran.
std::size_t loggedCommands(const fs::path& log) {
    auto text = testing::readText(log).value_or("");
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool measurePass(const fs::path& root) {
    const fs::path resources = root / "Velto.app" / "agents";
    const fs::path log = root / "commands.log";
    fs::create_directories(root / "bin");
    for (const char* name : {"review", "triage", "explain"}) {
        fs::create_directories(resources / "skills" / name / "scripts");
        testing::writeShellScript(resources / "skills" / name / "scripts" / "run.sh", "exit 0\n");
        std::ofstream(resources / "skills" / name / "SKILL.md") << "# " << name << "\n";
    }
    fs::create_directories(resources / "claude" / "velto");
    const std::string list = R"([{"id":"velto@velto-for-mac","enabled":true,"readFromFolder":")" +
                             (resources / "claude" / "velto").string() + R"("}])";
    const auto claude = testing::writeShellScript(
        root / "bin" / "claude", "echo \"claude $*\" >> \"$COMMAND_LOG\"\necho '" + list + "'\n");
    const auto codex =
        testing::writeShellScript(root / "bin" / "codex", "echo \"codex $*\" >> \"$COMMAND_LOG\"\n");
    const auto muse =
        testing::writeShellScript(root / "bin" / "muse", "echo \"muse $*\" >> \"$COMMAND_LOG\"\n");

    auto records = std::make_shared<InstalledSkillRecordFile>(root / "data" / "agent-skills.json");
    AgentDependencies dependencies{
        .resources = resources,
        .environment = {{"COMMAND_LOG", log.string()},
                        {"PATH", "/usr/bin:/bin"},
                        {"CODEX_HOME", (root / "codex").string()},
                        {"XDG_CONFIG_HOME", (root / "config").string()}},
        .home = root / "home",
        .records = records,
        .runner = std::make_shared<ProcessRunner>(SystemClock::shared()),
    };
    // Everything in place as an earlier pass left it.
    for (const auto& name : dependencies.shippedSkills()) {
        for (const fs::path& installed :
             {CopiedSkill::codexSkills(dependencies.environment, dependencies.home) / name,
              MuseSkill::skills(dependencies.environment, dependencies.home) / name}) {
            fs::create_directories(installed.parent_path());
            fs::copy(resources / "skills" / name, installed, fs::copy_options::recursive);
        }
        records->record(
            SkillFolder::digest(CopiedSkill::codexSkills(dependencies.environment, dependencies.home) / name)
                .hex,
            {HarnessKind::codex, name});
        records->record(
            SkillFolder::digest(MuseSkill::skills(dependencies.environment, dependencies.home) / name).hex,
            {HarnessKind::muse, name});
    }

    boost::asio::io_context context;
    auto start = std::chrono::steady_clock::now();
    std::vector<AgentIntegrationOutcome> outcomes;
    for (auto [kind, executable] :
         {std::pair{HarnessKind::claudeCode, claude}, std::pair{HarnessKind::codex, codex},
          std::pair{HarnessKind::muse, muse}}) {
        auto plan = AgentIntegrations::plan(kind, executable, dependencies);
        outcomes.push_back(
            benchmarks::runToEnd(context, AgentIntegrations::reconcile(std::move(plan), true)));
    }
    Milliseconds took = std::chrono::steady_clock::now() - start;
    for (const auto& outcome : outcomes) {
        if (outcome != AgentIntegrationOutcome::unchanged()) {
            std::cout << "unchanged pass: a harness came out " << caseName(outcome.kind) << " "
                      << outcome.reason << "\n";
            return false;
        }
    }
    std::ostringstream time;
    time << std::fixed << std::setprecision(1) << took.count() << " ms";
    bool timeMet = report("unchanged pass over three harnesses", time.str(),
                          "under " + std::to_string(int(passGoalMs)) + " ms", took.count() < passGoalMs);
    std::size_t commands = loggedCommands(log);
    bool onlyList = commands == 1 && testing::readText(log) == "claude plugin list --json\n";
    bool commandsMet =
        report("commands run in that pass", std::to_string(commands), "the plugin list alone", onlyList);
    return timeMet && commandsMet;
}

} // namespace

int main() {
    try {
        testing::TemporaryFolder root;
        bool digestMet = measureDigest(root.path());
        bool passMet = measurePass(root.path());
        return digestMet && passMet ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "agent pass measurement: " << error.what() << "\n";
        return 1;
    }
}
