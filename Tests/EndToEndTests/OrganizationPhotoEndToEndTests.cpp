#include "VeltoDevice/Photos/OrganizationPhoto.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoCache.hpp"
#include "VeltoDevice/Photos/OrganizationPhotoClient.hpp"
#include "VeltoDevice/Server/ConnectionError.hpp"
#include "VeltoDevice/Support/Base64URL.hpp"

#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <string>

#include "EnrolledDeviceTest.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using testing::EnrolledDeviceTest;

/// A few bytes of a PNG file, with a zero byte and bytes above 0x7f.
const Bytes picture = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0x00, 0xff, 0x10};

struct OrganizationPhotoEndToEnd : EnrolledDeviceTest {
    void SetUp() override {
        offerCodes(Json::parse(R"([{"code":"7KQ2MX9D","organization":{"id":"org-acme","name":"Acme"}}])"));
        enrollment = enrolled(identity, "7KQ2MX9D");
    }

    /// The organization's picture on the peer; `etag` null for none.
    void setPhoto(const std::string& contentType, const Json& etag) const {
        // Node reads either base64 alphabet, padded or not.
        std::string base64 = Base64URL::encode(picture);
        peer.control(
            "POST", "/control/organization-photo",
            {{"organizationId", "org-acme"}, {"data", base64}, {"contentType", contentType}, {"etag", etag}});
    }

    OrganizationPhotoClient client() const { return {server, identity.http}; }

    DeviceIdentity identity = newIdentity();
    std::optional<Enrollment> enrollment;
};

TEST_F(OrganizationPhotoEndToEnd, ThePictureOfTheSigningDevicesOrganization) {
    setPhoto("Image/PNG; charset=binary", "W/\"v7\"");
    auto photo = loop.run(client().fetch());
    ASSERT_TRUE(photo);
    EXPECT_EQ(*photo, (OrganizationPhoto{picture, "image/png", "v7"}));

    setPhoto("image/webp", nullptr);
    photo = loop.run(client().fetch());
    ASSERT_TRUE(photo);
    EXPECT_EQ(*photo, (OrganizationPhoto{picture, "image/webp", std::nullopt}));
}

TEST_F(OrganizationPhotoEndToEnd, NoPictureIsNothingAndAnotherTypeIsRefused) {
    EXPECT_EQ(loop.run(client().fetch()), std::nullopt);

    setPhoto("image/gif", "\"v1\"");
    try {
        loop.run(client().fetch());
        ADD_FAILURE() << "a GIF was accepted";
    } catch (const ServerError& error) {
        EXPECT_EQ(error, ServerError::malformedResponse());
    }
}

TEST_F(OrganizationPhotoEndToEnd, AKeyThePeerDoesNotKnowIsRevoked) {
    setPhoto("image/png", "\"v1\"");
    OrganizationPhotoClient stranger{server, newIdentity().http};
    try {
        loop.run(stranger.fetch());
        ADD_FAILURE() << "an unknown key got the picture";
    } catch (const ConnectionError& error) {
        EXPECT_EQ(error, ConnectionError::revoked());
    }
}

TEST_F(OrganizationPhotoEndToEnd, TheCacheFetchesOnlyANewVersion) {
    setPhoto("image/jpeg", "\"v2\"");
    testing::TemporaryFolder folder;
    // Written on a strand of a pool of its own, as the application's storage strand does.
    boost::asio::thread_pool pool(2);
    OrganizationPhotoCache cache(folder.path() / "photos", boost::asio::make_strand(pool.get_executor()));
    auto fetch = [photos = client()] { return photos.fetch(); };

    EXPECT_EQ(loop.run(cache.sync(enrollment->deviceId, "v2", fetch)), PhotoChange::saved);
    EXPECT_EQ(cache.photo(enrollment->deviceId), picture);
    EXPECT_EQ(cache.version(enrollment->deviceId), "v2");
    int proofs = peer.stats()["verifiedProofs"].get<int>();

    EXPECT_EQ(loop.run(cache.sync(enrollment->deviceId, "v2", fetch)), PhotoChange::unchanged);
    EXPECT_EQ(peer.stats()["verifiedProofs"].get<int>(), proofs);
}

} // namespace
} // namespace velto
