#pragma once

#include "VeltoDesktop/Views/ViewWindows.hpp"

#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace velto {

/// The shared module that holds the windows on Qt Quick, opened at the first window and never closed
/// (its QML types and resources stay registered). Where it cannot be opened, one log line says why and
/// the agent goes on without windows. Main thread.
class WindowsModule {
public:
    /// Contents/lib/libVeltoWindows.so of the bundle the executable (in Contents/bin) is in.
    static QString standardPath();

    explicit WindowsModule(QString path = standardPath());

    /// The windows, from the module opened at the first call; nothing once it has failed to open.
    std::unique_ptr<ViewWindows> make(const ViewWindows::Context& context);
    /// Why the module could not be opened, after a failed `make`.
    const std::optional<std::string>& failure() const { return failure_; }

private:
    QString path_;
    ViewWindows::Factory factory_ = nullptr;
    std::optional<std::string> failure_;
};

} // namespace velto
