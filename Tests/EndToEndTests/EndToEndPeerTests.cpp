#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <signal.h>

#include "EndToEndPeer.hpp"

namespace velto::testing {
namespace {

TEST(EndToEndPeer, LeavesNoProcessOrFileBehind) {
    pid_t pid;
    std::filesystem::path folder;
    {
        EndToEndPeer peer;
        pid = peer.pid();
        folder = peer.caFile().parent_path();
        ASSERT_EQ(::kill(pid, 0), 0);
        ASSERT_TRUE(std::filesystem::exists(peer.caFile()));
        EXPECT_EQ(peer.stats()["nonceRequests"], 0);
    }
    errno = 0;
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH) << "the peer's process is still there (or not reaped)";
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(EndToEndPeer, RefusesAControlRequestItDoesNotKnow) {
    EndToEndPeer peer;
    EXPECT_THROW(peer.configure({{"noSuchSetting", 1}}), std::runtime_error);
    EXPECT_THROW(peer.scriptChallenges({"no-such-challenge"}), std::runtime_error);
}

} // namespace
} // namespace velto::testing
