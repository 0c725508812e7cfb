#pragma once

#include "VeltoDesktop/Views/RemoteImageCache.hpp"
#include "VeltoDesktop/Views/ViewEngine.hpp"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <memory>

#include "DesktopTestLoop.hpp"
#include "QmlWarnings.hpp"
#include "ScriptedTransport.hpp"

namespace velto::testing {

/// The views' engine over a scripted picture transport; any Qt warning fails the test.
class ViewFixture : public ::testing::Test {
protected:
    void TearDown() override {
        views.reset();
        loop.drain();
        const auto seen = warnings.take();
        EXPECT_TRUE(seen.isEmpty()) << seen.join("\n").toStdString();
    }

    /// A view of an inline QML document in the module's context, laid out and exposed.
    std::unique_ptr<QQuickView> show(const QByteArray& qml, QSize size) {
        auto view = std::make_unique<QQuickView>(&views->engine(), nullptr);
        view->setColor(Qt::white);
        QQmlComponent component(&views->engine());
        component.setData("import QtQuick\nimport Velto.Views\n" + qml, QUrl("qrc:/tests/inline.qml"));
        auto* item = qobject_cast<QQuickItem*>(component.create());
        EXPECT_TRUE(item) << component.errorString().toStdString();
        if (!item)
            return view;
        view->setContent(QUrl(), &component, item);
        view->resize(size);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    QmlWarnings warnings;
    DesktopTestLoop loop;
    std::shared_ptr<ScriptedTransport> pictureTransport = std::make_shared<ScriptedTransport>();
    RemoteImageCache remote{loop.mainExecutor(), loop.deviceExecutor(), loop.deviceExecutor(),
                            pictureTransport};
    std::unique_ptr<ViewEngine> views = std::make_unique<ViewEngine>(nullptr, remote);
};

} // namespace velto::testing
