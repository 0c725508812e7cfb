#include "VeltoDesktop/Model/OrganizationNames.hpp"
#include "VeltoDevice/Server/VeltoServer.hpp"

#include <gtest/gtest.h>
#include <unicode/locid.h>

namespace velto {
namespace {

TEST(OrganizationNamesTest, NamesAreJoinedAsTheLocaleWritesAList) {
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale::getUS(), status);
    ASSERT_TRUE(U_SUCCESS(status));
    struct Case {
        std::vector<std::string> names;
        std::string joined;
    };
    for (const auto& c :
         std::vector<Case>{{{}, ""},
                           {{"Acme"}, "Acme"},
                           {{"Acme", "Bolt"}, "Acme and Bolt"},
                           {{"Acme", "Bolt", "Ünïcode Café"}, "Acme, Bolt, and Ünïcode Café"}}) {
        std::vector<Enrollment> enrollments;
        for (const auto& name : c.names)
            enrollments.push_back({VeltoServer::fromAddress("https://velto.example"),
                                   "dev-" + name,
                                   {"org-" + name, name, std::nullopt},
                                   {"ana", std::nullopt, std::nullopt, std::nullopt}});
        EXPECT_EQ(OrganizationNames::list(enrollments), c.joined);
    }
    icu::Locale::setDefault(previous, status);
}

} // namespace
} // namespace velto
