#pragma once

#include "VeltoDevice/Agents/AgentCommandRunning.hpp"

#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velto::testing {

/// A harness tool that records each command line and answers from a script keyed by the first
/// arguments' text (their join by spaces); unscripted commands exit 0 without output. An answer may
/// be an output or an exception to throw.
class ScriptedCommand final : public AgentCommandRunning {
public:
    using Answer = std::function<ProcessOutput()>;

    /// The next run whose command line starts with `prefix` answers `output`.
    ScriptedCommand& answer(const std::string& prefix, ProcessOutput output) {
        script_[prefix].push_back([output] { return output; });
        return *this;
    }
    /// The next run whose command line starts with `prefix` answers what `answer` returns (or throws).
    ScriptedCommand& respond(const std::string& prefix, Answer answer) {
        script_[prefix].push_back(std::move(answer));
        return *this;
    }
    /// The next run whose command line starts with `prefix` throws `error`.
    template <typename Error> ScriptedCommand& fail(const std::string& prefix, Error error) {
        script_[prefix].push_back([error]() -> ProcessOutput { throw error; });
        return *this;
    }

    boost::asio::awaitable<ProcessOutput> run(std::vector<std::string> arguments) override {
        std::string line;
        for (const auto& argument : arguments)
            line += (line.empty() ? "" : " ") + argument;
        lines_.push_back(line);
        // The longest matching prefix answers.
        auto best = script_.end();
        for (auto it = script_.begin(); it != script_.end(); ++it) {
            if (!it->second.empty() && line.starts_with(it->first) &&
                (best == script_.end() || it->first.size() > best->first.size()))
                best = it;
        }
        if (best == script_.end())
            co_return ProcessOutput{};
        Answer next = std::move(best->second.front());
        best->second.pop_front();
        co_return next();
    }

    /// Every command line run, in order, its arguments joined by spaces.
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::map<std::string, std::deque<Answer>> script_;
    std::vector<std::string> lines_;
};

} // namespace velto::testing
