#include "FixedSigningKey.hpp"
#include "ModelFixture.hpp"

namespace velto {
namespace {

using testing::ModelFixture;
using testing::RoutedTransport;

class ScopesTest : public ModelFixture {
protected:
    void connectTwo() {
        build();
        model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"),
                                             std::make_shared<testing::FixedSigningKey>());
        model->organizations().addAndConnect(enrollment("dev-2", "org-b", "Bolt", "https://other.example"),
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
    loop.run(model->scopes().agreeEverywhere({}));
    EXPECT_TRUE(answers().empty());

    loop.run(model->scopes().agreeEverywhere(
        {DeviceScope::sreReach, DeviceScope::sreQuestions, DeviceScope::reviews}));
    EXPECT_EQ(answers(), (std::vector<std::string>{"velto.example/api/devices/dev-1/scopes/sre-questions",
                                                   "velto.example/api/devices/dev-1/scopes/sre-reach",
                                                   "other.example/api/devices/dev-2/scopes/sre-questions",
                                                   "other.example/api/devices/dev-2/scopes/sre-reach"}));
    EXPECT_EQ(model->scopes().deviceScopes().size(), 2u);
}

TEST_F(ScopesTest, AFailedAnswerKeepsItsRefusalUntilAnAnswerSucceeds) {
    services->transport->route(
        "PUT", "/api/devices/dev-1/scopes/reviews",
        {RoutedTransport::unreachable(), RoutedTransport::reply(200, scopesBody("dev-1", true))});
    services->transport->route("GET", "/api/devices/dev-1/scopes",
                               RoutedTransport::reply(200, scopesBody("dev-1", false)));
    connectTwo();
    loop.run(model->scopes().setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    ASSERT_EQ(model->scopes().scopeRefusals().count("dev-1"), 1u);
    EXPECT_EQ(model->scopes().scopeRefusals().at("dev-1").rfind("Velto did not get your answer: ", 0), 0u);
    EXPECT_EQ(model->scopes().deviceScopes().count("dev-1"), 0u);

    loop.run(model->scopes().refreshScopes("dev-1"));
    EXPECT_EQ(model->scopes().scopeRefusals().count("dev-1"), 1u) << "a read does not clear a refusal";
    EXPECT_FALSE(model->scopes().deviceScopes().at("dev-1").holds(DeviceScope::reviews));

    loop.run(model->scopes().setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    EXPECT_EQ(model->scopes().scopeRefusals().count("dev-1"), 0u);
    EXPECT_TRUE(model->scopes().deviceScopes().at("dev-1").holds(DeviceScope::reviews));
}

TEST_F(ScopesTest, AnOrganizationThatNeverConnectedIsNeitherReadNorAnswered) {
    services->save({enrollment("dev-1", "org-a", "Acme")});
    services->keys->storage("dev-1")->setContents(std::nullopt);
    build();
    loop.run(model->organizations().restore());
    loop.run(model->scopes().setScopeGranted(DeviceScope::reviews, true, "dev-1"));
    loop.run(model->scopes().refreshScopes("dev-1"));
    EXPECT_TRUE(services->transport->requests().empty());
    EXPECT_TRUE(model->scopes().scopeRefusals().empty());
}

} // namespace
} // namespace velto
