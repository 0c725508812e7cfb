#include "VeltoDevice/Server/ConnectionError.hpp"

#include <QImage>
#include <filesystem>
#include <fstream>

#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RoutedTransport;

class PhotosTest : public ModelFixture {
protected:
    void connectAcme() {
        build();
        model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"),
                                             std::make_shared<testing::FixedSigningKey>());
        loop.drain();
    }

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
    connectAcme();
    welcomeWith("v1");
    ASSERT_EQ(model->photos().organizationPhotos().count("dev-1"), 1u);
    EXPECT_EQ(model->photos().organizationPhotos().at("dev-1").width(), 2);
    welcomeWith("v1");
    EXPECT_EQ(photoDownloads(), 1u) << "the same version is not downloaded again";

    welcomeWith("");
    EXPECT_EQ(model->photos().organizationPhotos().count("dev-1"), 0u);
    EXPECT_FALSE(services->photoCache->photo("dev-1"));
}

TEST_F(PhotosTest, TheCachedPictureLoadsAfterTheCallAndAForgottenOneStaysForgotten) {
    build();
    const auto file = services->photoCache->directory() / "dev-1";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << pngBytes();

    model->photos().loadCachedPhoto("dev-1");
    EXPECT_EQ(model->photos().organizationPhotos().count("dev-1"), 0u)
        << "read and decoded off the main thread";
    loop.drain();
    ASSERT_EQ(model->photos().organizationPhotos().count("dev-1"), 1u);

    // A load still under way when the picture is forgotten must not bring it back.
    model->photos().loadCachedPhoto("dev-1");
    model->photos().forgetPhoto("dev-1");
    loop.drain();
    EXPECT_EQ(model->photos().organizationPhotos().count("dev-1"), 0u);
}

TEST_F(PhotosTest, LeavingForgetsThePictureAndTheScopes) {
    services->transport->route(
        "GET", "/api/devices/organization-photo",
        RoutedTransport::reply(200, pngBytes(), {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}}));
    services->transport->route("GET", "/api/devices/dev-1/scopes",
                               RoutedTransport::reply(200, scopesBody("dev-1", true)));
    connectAcme();
    welcomeWith("v1");
    ASSERT_EQ(model->photos().organizationPhotos().count("dev-1"), 1u);
    ASSERT_EQ(model->scopes().deviceScopes().count("dev-1"), 1u);

    loop.run(model->organizations().remove(model->organizations().rows()[0]));
    loop.drain();
    EXPECT_EQ(model->photos().organizationPhotos().count("dev-1"), 0u);
    EXPECT_FALSE(services->photoCache->photo("dev-1")) << "the cached file goes too";
    EXPECT_EQ(model->scopes().deviceScopes().count("dev-1"), 0u);
}

TEST_F(PhotosTest, BytesThatAreNoPictureLeaveNoEntryAndNoLogLine) {
    services->transport->route(
        "GET", "/api/devices/organization-photo",
        RoutedTransport::reply(200, "<html>", {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}}));
    connectAcme();
    welcomeWith("v1");
    EXPECT_TRUE(services->photoCache->photo("dev-1"));
    EXPECT_EQ(model->photos().organizationPhotos().count("dev-1"), 0u);
    for (const auto& line : log->messages("app"))
        EXPECT_EQ(line.find("photo"), std::string::npos) << line;
    EXPECT_FALSE(model->photos().photo(nullptr));
}

TEST_F(PhotosTest, AFailedFetchIsLoggedWithTheOrganizationId) {
    services->transport->route("GET", "/api/devices/organization-photo", RoutedTransport::reply(401));
    connectAcme();
    welcomeWith("v1");
    auto lines = log->messages("app");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "could not fetch the photo of org-a: " + ConnectionError::revoked().description()),
              lines.end());
}

} // namespace
} // namespace velto
