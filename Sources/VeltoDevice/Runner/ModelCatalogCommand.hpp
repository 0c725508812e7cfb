#pragma once

#include "VeltoDevice/Harness/LoginPathResolving.hpp"
#include "VeltoDevice/Harness/ProcessOutput.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Runner/ModelCatalog.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// Asks the runner script for its model catalog with `node <script> device models`. Log lines go to
/// the category "runner".
class ModelCatalogCommand {
public:
    static constexpr std::chrono::seconds timeout{30};

    /// `environment` is the application's process environment; the command runs with the login PATH
    /// in it.
    ModelCatalogCommand(std::optional<std::filesystem::path> runnerScript, Environment environment,
                        std::shared_ptr<LoginPathResolving> pathResolver,
                        std::shared_ptr<ProcessRunning> runner);

    /// The catalog, or nothing: no script, no file there, no node on the login PATH (these three
    /// without a log line), a run that cannot start or hangs ("device models did not run: "), a
    /// non-zero exit ("device models exited N") or no usable line ("device models printed no
    /// catalog"). Never fails.
    boost::asio::awaitable<std::optional<ModelCatalog>> fetch() const;

    /// Reads a finished run: logs each non-empty line of its standard error ("device models: "), then
    /// judges its status and standard output.
    static std::optional<ModelCatalog> catalog(const ProcessOutput& output);

private:
    std::optional<std::filesystem::path> runnerScript_;
    Environment environment_;
    std::shared_ptr<LoginPathResolving> pathResolver_;
    std::shared_ptr<ProcessRunning> runner_;
};

} // namespace velto
