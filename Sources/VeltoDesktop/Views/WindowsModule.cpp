#include "VeltoDesktop/Views/WindowsModule.hpp"

#include "VeltoDesktop/AppLog.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <dlfcn.h>

namespace velto {

QString WindowsModule::standardPath() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../lib/libVeltoWindows.so"));
}

WindowsModule::WindowsModule(QString path) : path_(std::move(path)) {}

void WindowsModule::open() {
    std::call_once(opened_, [this] {
        // Every symbol bound now: a module that does not fit the executable fails here, not at a click.
        void* handle = dlopen(QFile::encodeName(path_).constData(), RTLD_NOW | RTLD_LOCAL);
        void* factory = handle ? dlsym(handle, ViewWindows::factoryName) : nullptr;
        if (!factory) {
            const char* reason = dlerror();
            failure_ = reason ? reason : "no reason given";
            return;
        }
        factory_ = reinterpret_cast<ViewWindows::Factory>(factory);
    });
}

std::unique_ptr<ViewWindows> WindowsModule::make(const ViewWindows::Context& context) {
    open();
    if (!factory_) {
        if (!told_)
            appLog().error("the windows cannot be shown: " + failure_.value_or("no reason given"));
        told_ = true;
        return nullptr;
    }
    return std::unique_ptr<ViewWindows>(factory_(context));
}

} // namespace velto
