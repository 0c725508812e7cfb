#pragma once

#include "VeltoDesktop/Views/ViewWindows.hpp"

#include <QString>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace velto {

/// The shared module that holds the windows on Qt Quick, opened at the first window and never closed
/// (its QML types and resources stay registered). Where it cannot be opened, one log line says why and
/// the agent goes on without windows. `open` may run on any thread (loading and binding the module and
/// Qt Quick takes long enough to hold up a frame); the rest is the main thread's.
class WindowsModule {
public:
    /// Contents/lib/libVeltoWindows.so of the bundle the executable (in Contents/bin) is in.
    static QString standardPath();

    explicit WindowsModule(QString path = standardPath());

    /// Opens the module, once: later calls, from any thread, wait for the first and return.
    void open();
    /// The windows, from the module (opened now if it is not yet); nothing once it has failed to open.
    std::unique_ptr<ViewWindows> make(const ViewWindows::Context& context);
    /// Why the module could not be opened, after a failed `make`.
    const std::optional<std::string>& failure() const { return failure_; }

private:
    QString path_;
    std::once_flag opened_;
    // Written once, inside `opened_`.
    ViewWindows::Factory factory_ = nullptr;
    std::optional<std::string> failure_;
    bool told_ = false;
};

} // namespace velto
