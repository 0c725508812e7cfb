#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <mutex>

namespace velto::testing {

/// Records every warning Qt reports while it is installed (QML's among them), so that a view test
/// fails on any: the same rule as QTest::failOnWarning, for GoogleTest. The offscreen platform's
/// notes that it lacks a window feature ("This plugin does not support …") are not the views'.
class QmlWarnings {
public:
    QmlWarnings() {
        std::lock_guard lock(mutex());
        current() = this;
        previous_ = qInstallMessageHandler(&QmlWarnings::handle);
    }
    ~QmlWarnings() {
        std::lock_guard lock(mutex());
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }

    QStringList take() {
        std::lock_guard lock(mutex());
        auto out = warnings_;
        warnings_.clear();
        return out;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtDebugMsg || type == QtInfoMsg ||
            message.startsWith(QLatin1String("This plugin does not support")))
            return;
        std::lock_guard lock(mutex());
        if (current())
            current()->warnings_.push_back(message);
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static QmlWarnings*& current() {
        static QmlWarnings* c = nullptr;
        return c;
    }

    QtMessageHandler previous_ = nullptr;
    QStringList warnings_;
};

} // namespace velto::testing
