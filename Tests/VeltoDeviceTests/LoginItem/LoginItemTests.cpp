#include "VeltoDevice/LoginItem/LoginItem.hpp"
#include "VeltoDevice/LoginItem/LoginItemAnswer.hpp"
#include "VeltoDevice/LoginItem/LoginItemError.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = LoginItemState;

/// A service in a given state that records registrations; each call may be made to fail.
class FakeLoginItemService final : public LoginItemService {
public:
    explicit FakeLoginItemService(State state) : state_(state) {}

    std::exception_ptr failure;
    std::vector<std::string> calls;

    State state() const override { return state_; }
    void registerItem() override {
        calls.push_back("register");
        if (failure)
            std::rethrow_exception(failure);
        state_ = State::on;
    }
    void unregisterItem() override {
        calls.push_back("unregister");
        if (failure)
            std::rethrow_exception(failure);
        state_ = State::off;
    }

private:
    State state_;
};

TEST(LoginItem, SetChangesOnlyWhatDiffersFromTheWish) {
    struct Row {
        State state;
        bool opensAtLogin;
        std::vector<std::string> calls;
        bool throwsUnavailable;
    };
    const Row rows[] = {
        {State::off, true, {"register"}, false},
        {State::off, false, {}, false},
        {State::on, true, {}, false},
        {State::on, false, {"unregister"}, false},
        {State::needsApproval, true, {}, false},
        {State::needsApproval, false, {"unregister"}, false},
        {State::unavailable, true, {}, true},
        {State::unavailable, false, {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(static_cast<int>(row.state)) +
                     (row.opensAtLogin ? " on" : " off"));
        auto service = std::make_shared<FakeLoginItemService>(row.state);
        LoginItem item(service, true);
        if (row.throwsUnavailable)
            EXPECT_THROW(item.set(row.opensAtLogin), LoginItemError);
        else
            EXPECT_NO_THROW(item.set(row.opensAtLogin));
        EXPECT_EQ(service->calls, row.calls);
    }
}

TEST(LoginItem, ACopyThatCannotOpenAtLoginIsUnavailableAndRefusesBothWays) {
    auto service = std::make_shared<FakeLoginItemService>(State::on);
    LoginItem item(service, false);
    EXPECT_EQ(item.state(), State::unavailable);
    const std::string reason = "This copy of Velto cannot open at login. Start Velto from its Velto.app "
                               "folder on a disk that is not read-only.";
    EXPECT_EQ(item.change(true), (LoginItemRefusal{true, reason}));
    EXPECT_EQ(item.change(false), (LoginItemRefusal{false, reason}));
    EXPECT_TRUE(service->calls.empty());
    EXPECT_EQ(LoginItem(service, true).state(), State::on);
}

TEST(LoginItem, TheBundlesPlaceDecidesWhetherItCanOpenAtLogin) {
    testing::TemporaryFolder temporary;
    const fs::path bundle = temporary.path() / "Applications" / "Velto.app";
    fs::create_directories(bundle / "Contents");
    auto service = std::make_shared<FakeLoginItemService>(State::off);
    EXPECT_TRUE(LoginItem::inBundle(service, bundle).canOpenAtLogin());
    EXPECT_FALSE(LoginItem::inBundle(service, temporary.path() / "Velto").canOpenAtLogin())
        << "no app bundle";
    EXPECT_FALSE(LoginItem::inBundle(service, temporary.path() / "AppTranslocation" / "X" / "d" / "Velto.app")
                     .canOpenAtLogin());
    if (!testing::isRoot()) {
        fs::permissions(bundle.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_TRUE(LoginItem::inBundle(service, bundle).canOpenAtLogin())
            << "a folder the user cannot write";
        fs::permissions(bundle.parent_path(), fs::perms::owner_all);
    }
}

TEST(LoginItem, ChangeTurnsTheSystemsRefusalIntoOne) {
    auto service = std::make_shared<FakeLoginItemService>(State::off);
    service->failure =
        std::make_exception_ptr(FileError::write("/home/u/.config/autostart/x", "No space left on device"));
    LoginItem item(service, true);
    auto refusal = item.change(true);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message(),
              "Velto could not add itself to your startup applications. The system did not save "
              "/home/u/.config/autostart/x: No space left on device.");
    service->failure = nullptr;
    EXPECT_EQ(item.change(true), std::nullopt);
    EXPECT_EQ(item.state(), State::on);
}

TEST(LoginItemRefusal, MessagesAndWhatSettlesThem) {
    struct Row {
        LoginItemRefusal refusal;
        std::string message;
    };
    const Row rows[] = {
        {{true, std::nullopt}, "Velto could not add itself to your startup applications."},
        {{false, std::nullopt}, "Velto could not remove itself from your startup applications."},
        {{true, ""}, "Velto could not add itself to your startup applications. "},
        {{false, "Denied."}, "Velto could not remove itself from your startup applications. Denied."},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.refusal.message(), row.message);

    for (bool wish : {true, false}) {
        LoginItemRefusal refusal{wish, std::nullopt};
        EXPECT_EQ(refusal.isSettled(State::on), wish);
        EXPECT_EQ(refusal.isSettled(State::off), !wish);
        EXPECT_FALSE(refusal.isSettled(State::needsApproval));
        EXPECT_FALSE(refusal.isSettled(State::unavailable));
    }
}

TEST(LoginItemAnswer, TheSetupStepsAnswer) {
    const LoginItemRefusal refused{true, "Denied."};
    const LoginItemRefusal noReason{true, std::nullopt};
    struct Row {
        bool wantsLogin;
        std::optional<LoginItemRefusal> refusal;
        State state;
        LoginItemAnswer answer;
    };
    const Row rows[] = {
        {false, refused, State::off, LoginItemAnswer::finished()},
        {false, std::nullopt, State::unavailable, LoginItemAnswer::finished()},
        {true, refused, State::on, LoginItemAnswer::notTurnedOn(refused)},
        {true, std::nullopt, State::on, LoginItemAnswer::finished()},
        {true, std::nullopt, State::needsApproval, LoginItemAnswer::awaitingApproval()},
        {true, std::nullopt, State::off, LoginItemAnswer::notTurnedOn(noReason)},
        {true, std::nullopt, State::unavailable, LoginItemAnswer::notTurnedOn(noReason)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LoginItemAnswer::of(row.wantsLogin, row.refusal, row.state), row.answer);
}

} // namespace
} // namespace velto
