#pragma once

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "CapturingLogSink.hpp"
#include "DesktopTestLoop.hpp"
#include "TestServices.hpp"

namespace velto::testing {

/// A model over TestServices, built by `build()` once the test has arranged its services.
class ModelFixture : public ::testing::Test {
protected:
    void build() { model = std::make_unique<AppModel>(loop.mainExecutor(), services); }

    void TearDown() override {
        model.reset();
        loop.drain();
    }

    static Enrollment enrollment(const std::string& deviceId, const std::string& organizationId,
                                 const std::string& name,
                                 const std::string& server = "https://velto.example") {
        Enrollment made{VeltoServer::fromAddress(server),
                        deviceId,
                        {organizationId, name, std::nullopt},
                        {"ana", std::nullopt, std::nullopt, std::nullopt}};
        return made;
    }

    /// The enroll endpoint's answer for a new device in an organization.
    static RoutedTransport::Answer joined(const std::string& deviceId, const std::string& organizationId,
                                          const std::string& name) {
        Json body{{"deviceId", deviceId},
                  {"organization", {{"id", organizationId}, {"name", name}}},
                  {"user", {{"login", "ana"}}}};
        return RoutedTransport::reply(201, body.dump());
    }

    static RoutedTransport::Answer refused(const std::string& code) {
        return RoutedTransport::reply(400, Json{{"code", code}}.dump());
    }

    /// A scopes answer: the four scopes, each held or not, every one allowed.
    static std::string scopesBody(const std::string& deviceId, bool held) {
        Json scopes = Json::array();
        for (const char* name : {"reviews", "sre-questions", "sre-investigations", "sre-reach"})
            scopes.push_back({{"scope", name}, {"isHeld", held}, {"isAllowed", true}});
        return Json{{"deviceId", deviceId}, {"scopes", scopes}}.dump();
    }

    /// A 2×2 red PNG.
    static std::string pngBytes() {
        QImage image(2, 2, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes.toStdString();
    }

    static std::string welcome(const std::string& deviceId, const std::string& profile = {}) {
        std::string frame = R"({"v":1,"type":"welcome","deviceId":")" + deviceId +
                            R"(","nonce":"renewal-1","renewWithinMs":600000)";
        if (!profile.empty())
            frame += R"(,"profile":)" + profile;
        return frame + "}";
    }

    /// The hellos sent on every dialled socket, in dial order.
    std::vector<Json> sentHellos() const {
        std::vector<Json> hellos;
        for (const auto& channel : services->dialer->opened()) {
            for (const auto& text : channel->sentOfType("hello"))
                hellos.push_back(*parseJson(text));
        }
        return hellos;
    }

    std::vector<std::string> rowIds() const {
        std::vector<std::string> ids;
        for (const auto& row : model->organizations().rows())
            ids.push_back(row.id());
        return ids;
    }

    std::vector<std::string> socketIds() const { return services->sockets->ids(); }

    std::shared_ptr<CapturingLogSink> log = CapturingLogSink::install();
    DesktopTestLoop loop;
    std::shared_ptr<TestServices> services = std::make_shared<TestServices>(loop);
    std::unique_ptr<AppModel> model;
};

} // namespace velto::testing
