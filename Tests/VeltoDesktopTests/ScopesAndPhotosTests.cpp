#include "VeltoDevice/Server/ConnectionError.hpp"

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>

#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RoutedTransport;

std::string scopesBody(const std::string& deviceId, bool held) {
    Json scopes = Json::array();
    for (const char* name : {"reviews", "sre-questions", "sre-investigations", "sre-reach"})
        scopes.push_back({{"scope", name}, {"isHeld", held}, {"isAllowed", true}});
    return Json{{"deviceId", deviceId}, {"scopes", scopes}}.dump();
}

std::string pngBytes() {
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class ScopesTest : public ModelFixture {
protected:
    void connectTwo() {
        build();
        model->addAndConnect(enrollment("dev-1", "org-a", "Acme"), std::make_shared<testing::FixedSigningKey>());
        model->addAndConnect(enrollment("dev-2", "org-b", "Bolt", "https://other.example"),
                     std::make_shared<testing::FixedSigningKey>());
        loop.drain();
    }

    std::vector<std::string> answers() const {
        std::vector<std::string> sent;
        for (const auto& request : services->transport->requests()) {
            if (request.method == "PUT")
                sent.push_back(std::string(request.url.host()) + std::string(request.url.path()));
        }
        return sent;
    }
};

TEST_F(ScopesTest, AgreeingEverywhereAnswersTheAgreedScopesOrganizationByOrganization) {
    for (const auto& id : {"dev-1", "dev-2"}) {
        for (const auto& scope : {"sre-questions", "sre-investigations", "sre-reach"})
            services->transport->route("PUT", std::string("/api/devices/") + id + "/scopes/" + scope,
                                       RoutedTransport::reply(200, scopesBody(id, true)));
    }
    connectTwo();
    loop.run(model->agreeEverywhere({}));
    EXPECT_TRUE(answers().empty());

    loop.run(
        model->agreeEverywhere({DeviceScope::sreReach, DeviceScope::sreQuestions, DeviceScope::reviews}));
    EXPECT_EQ(answers(), (std::vector<std::string>{"velto.example/api/devices/dev-1/scopes/sre-questions",
                                                   "velto.example/api/devices/dev-1/scopes/sre-reach",
                                                   "other.example/api/devices/dev-2/scopes/sre-questions",
                                                   "other.example/api/devices/dev-2/scopes/sre-reach"}));
    EXPECT_EQ(model->deviceScopes().size(), 2u);
}

TEST_F(ScopesTest, AFailedAnswerKeepsItsRefusalUntilAnAnswerSucceeds) {
    services->transport->route(
        "PUT", "/api/devices/dev-1/scopes/reviews",
        {RoutedTransport::unreachable(), RoutedTransport::reply(200, scopesBody("dev-1", true))});
    services->transport->route("GET", "/api/devices/dev-1/scopes",
                               RoutedTransport::reply(200, scopesBody("dev-1", false)));
    connectTwo();
    loop.run(model->setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    ASSERT_EQ(model->scopeRefusals().count("dev-1"), 1u);
    EXPECT_EQ(model->scopeRefusals().at("dev-1").rfind("Velto did not get your answer: ", 0), 0u);
    EXPECT_EQ(model->deviceScopes().count("dev-1"), 0u);

    loop.run(model->refreshScopes("dev-1"));
    EXPECT_EQ(model->scopeRefusals().count("dev-1"), 1u) << "a read does not clear a refusal";
    EXPECT_FALSE(model->deviceScopes().at("dev-1").holds(DeviceScope::reviews));

    loop.run(model->setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    EXPECT_EQ(model->scopeRefusals().count("dev-1"), 0u);
    EXPECT_TRUE(model->deviceScopes().at("dev-1").holds(DeviceScope::reviews));
}

TEST_F(ScopesTest, AnOrganizationThatNeverConnectedIsNeitherReadNorAnswered) {
    services->save({enrollment("dev-1", "org-a", "Acme")});
    services->keys->storage("dev-1")->setContents(std::nullopt);
    build();
    loop.run(model->restore());
    loop.run(model->setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    loop.run(model->refreshScopes("dev-1"));
    EXPECT_TRUE(services->transport->requests().empty());
    EXPECT_TRUE(model->scopeRefusals().empty());
}

class PhotosTest : public ModelFixture {
protected:
    void welcomeWith(const std::string& photoVersion) {
        std::string profile = R"({"organization":{"id":"org-a","name":"Acme")";
        if (!photoVersion.empty())
            profile += R"(,"photoVersion":")" + photoVersion + "\"";
        profile += R"(},"user":{"login":"ana"}})";
        services->dialer->latest().deliver(welcome("dev-1", profile));
        loop.drain();
    }
    std::size_t photoDownloads() const {
        auto gets = services->transport->paths("GET");
        return static_cast<std::size_t>(
            std::count(gets.begin(), gets.end(), "/api/devices/organization-photo"));
    }
};

TEST_F(PhotosTest, AProfileFetchesThePictureOnceAndOneWithoutAVersionRemovesIt) {
    services->transport->route(
        "GET", "/api/devices/organization-photo",
        RoutedTransport::reply(200, pngBytes(), {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}}));
    build();
    model->addAndConnect(enrollment("dev-1", "org-a", "Acme"), std::make_shared<testing::FixedSigningKey>());
    loop.drain();
    welcomeWith("v1");
    ASSERT_EQ(model->organizationPhotos().count("dev-1"), 1u);
    EXPECT_EQ(model->organizationPhotos().at("dev-1").width(), 2);
    welcomeWith("v1");
    EXPECT_EQ(photoDownloads(), 1u) << "the same version is not downloaded again";

    welcomeWith("");
    EXPECT_EQ(model->organizationPhotos().count("dev-1"), 0u);
    EXPECT_FALSE(services->photoCache->photo("dev-1"));
}

TEST_F(PhotosTest, TheCachedPictureLoadsAfterTheCallAndAForgottenOneStaysForgotten) {
    build();
    const auto file = services->photoCache->directory() / "dev-1";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << pngBytes();

    model->loadCachedPhoto("dev-1");
    EXPECT_EQ(model->organizationPhotos().count("dev-1"), 0u) << "read and decoded off the main thread";
    loop.drain();
    ASSERT_EQ(model->organizationPhotos().count("dev-1"), 1u);

    // A load still under way when the picture is forgotten must not bring it back.
    model->loadCachedPhoto("dev-1");
    model->forgetPhoto("dev-1");
    loop.drain();
    EXPECT_EQ(model->organizationPhotos().count("dev-1"), 0u);
}

TEST_F(PhotosTest, LeavingForgetsThePictureAndTheScopes) {
    services->transport->route(
        "GET", "/api/devices/organization-photo",
        RoutedTransport::reply(200, pngBytes(), {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}}));
    services->transport->route("GET", "/api/devices/dev-1/scopes",
                               RoutedTransport::reply(200, scopesBody("dev-1", true)));
    build();
    model->addAndConnect(enrollment("dev-1", "org-a", "Acme"), std::make_shared<testing::FixedSigningKey>());
    loop.drain();
    welcomeWith("v1");
    ASSERT_EQ(model->organizationPhotos().count("dev-1"), 1u);
    ASSERT_EQ(model->deviceScopes().count("dev-1"), 1u);

    loop.run(model->remove(model->organizations()[0]));
    loop.drain();
    EXPECT_EQ(model->organizationPhotos().count("dev-1"), 0u);
    EXPECT_FALSE(services->photoCache->photo("dev-1")) << "the cached file goes too";
    EXPECT_EQ(model->deviceScopes().count("dev-1"), 0u);
}

TEST_F(PhotosTest, BytesThatAreNoPictureLeaveNoEntryAndNoLogLine) {
    services->transport->route(
        "GET", "/api/devices/organization-photo",
        RoutedTransport::reply(200, "<html>", {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}}));
    build();
    model->addAndConnect(enrollment("dev-1", "org-a", "Acme"), std::make_shared<testing::FixedSigningKey>());
    loop.drain();
    welcomeWith("v1");
    EXPECT_TRUE(services->photoCache->photo("dev-1"));
    EXPECT_EQ(model->organizationPhotos().count("dev-1"), 0u);
    for (const auto& line : log->messages("app"))
        EXPECT_EQ(line.find("photo"), std::string::npos) << line;
    EXPECT_FALSE(model->photo(nullptr));
}

TEST_F(PhotosTest, AFailedFetchIsLoggedWithTheOrganizationId) {
    services->transport->route("GET", "/api/devices/organization-photo", RoutedTransport::reply(401));
    build();
    model->addAndConnect(enrollment("dev-1", "org-a", "Acme"), std::make_shared<testing::FixedSigningKey>());
    loop.drain();
    welcomeWith("v1");
    auto lines = log->messages("app");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "could not fetch the photo of org-a: " + ConnectionError::revoked().description()),
              lines.end());
}

} // namespace
} // namespace velto
