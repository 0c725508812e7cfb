#include "VeltoDevice/Enrollment/HarnessModel.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParsedJson.hpp"

namespace velto {
namespace {

using testing::parsed;

HarnessModel fast() {
    return {"fast-1", "Fast", {ModelEffort::low, ModelEffort::high}, ModelEffort::low};
}

TEST(HarnessReport, AbsentVersionIsNullAndAbsentModelsAreLeftOut) {
    HarnessReport bare{HarnessKind::codex, std::nullopt, false, std::nullopt};
    EXPECT_EQ(encodeCompact(bare.toJson()), R"({"kind":"codex","signedIn":false,"version":null})");

    HarnessReport empty = bare.reporting(std::vector<HarnessModel>{});
    EXPECT_EQ(encodeCompact(empty.toJson()),
              R"({"kind":"codex","models":[],"signedIn":false,"version":null})");
    EXPECT_NE(bare, empty);
}

TEST(HarnessReport, FullReportEncodesEveryModel) {
    HarnessModel plain{"deep", "Deep", {}, std::nullopt};
    HarnessReport report{HarnessKind::claudeCode, "2.1.0 [Claude Code]", true,
                         std::vector<HarnessModel>{fast(), plain}};
    EXPECT_EQ(encodeCompact(report.toJson()),
              R"({"kind":"claude-code","models":[)"
              R"({"defaultEffort":"low","efforts":["low","high"],"id":"fast-1","name":"Fast"},)"
              R"({"defaultEffort":null,"efforts":[],"id":"deep","name":"Deep"}],)"
              R"("signedIn":true,"version":"2.1.0 [Claude Code]"})");
    EXPECT_EQ(HarnessReport::decode(report.toJson()), report);
}

TEST(HarnessReport, ToolTextsThatAreNotUTF8AreWrittenWithReplacementCharacters) {
    HarnessModel model{"fast\xc0", "F\xe2\x82st", {}, std::nullopt};
    HarnessReport report{HarnessKind::codex, std::string("0.9\xff"), true, std::vector<HarnessModel>{model}};
    EXPECT_EQ(encodeCompact(report.toJson()),
              "{\"kind\":\"codex\",\"models\":[{\"defaultEffort\":null,\"efforts\":[],\"id\":\"fast\uFFFD\","
              "\"name\":\"F\uFFFDst\"}],\"signedIn\":true,\"version\":\"0.9\uFFFD\"}");
}

TEST(HarnessReport, DecodingOptionalsAndUnknownKeys) {
    struct Row {
        const char* name;
        const char* text;
        HarnessReport expected;
    };
    const std::vector<Row> rows = {
        {"no version, no models",
         R"({"kind":"muse","signedIn":true})",
         {HarnessKind::muse, std::nullopt, true, std::nullopt}},
        {"null version and models",
         R"({"kind":"muse","signedIn":false,"version":null,"models":null})",
         {HarnessKind::muse, std::nullopt, false, std::nullopt}},
        {"empty version is kept",
         R"({"kind":"codex","signedIn":false,"version":""})",
         {HarnessKind::codex, "", false, std::nullopt}},
        {"unknown keys ignored",
         R"({"kind":"codex","signedIn":true,"extra":[1],"models":[]})",
         {HarnessKind::codex, std::nullopt, true, std::vector<HarnessModel>{}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(HarnessReport::decode(parsed(row.text)), row.expected);
    }
}

TEST(HarnessReport, DecodingFailures) {
    for (const char* text : {
             R"({"signedIn":true})",
             R"({"kind":"codex"})",
             R"({"kind":"Codex","signedIn":true})",
             R"({"kind":"gemini","signedIn":true})",
             R"({"kind":"codex","signedIn":1})",
             R"({"kind":"codex","signedIn":true,"version":2})",
             R"({"kind":"codex","signedIn":true,"models":{}})",
             R"({"kind":"codex","signedIn":true,"models":[{"id":"a","name":"A","efforts":["low","ultra"]}]})",
             R"([])",
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(HarnessReport::decode(parsed(text)));
    }
}

TEST(HarnessModel, DefaultEffortMissingOrNullIsAbsent) {
    HarnessModel expected{"m", "M", {ModelEffort::max}, std::nullopt};
    EXPECT_EQ(HarnessModel::decode(parsed(R"({"id":"m","name":"M","efforts":["max"]})")), expected);
    EXPECT_EQ(HarnessModel::decode(parsed(R"({"id":"m","name":"M","efforts":["max"],"defaultEffort":null})")),
              expected);
    EXPECT_EQ(encodeCompact(expected.toJson()),
              R"({"defaultEffort":null,"efforts":["max"],"id":"m","name":"M"})");
}

TEST(HarnessModel, DecodingFailures) {
    for (const char* text : {
             R"({"name":"M","efforts":[]})",
             R"({"id":"m","efforts":[]})",
             R"({"id":"m","name":"M"})",
             R"({"id":"m","name":"M","efforts":"low"})",
             R"({"id":"m","name":"M","efforts":["low","High"]})",
             R"({"id":"m","name":"M","efforts":[1]})",
             R"({"id":"m","name":"M","efforts":[],"defaultEffort":"none"})",
             R"({"id":"m","name":"M","efforts":[],"defaultEffort":3})",
             R"({"id":7,"name":"M","efforts":[]})",
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(HarnessModel::decode(parsed(text)));
    }
}

TEST(HarnessReport, EqualityIsExactAndOrdered) {
    HarnessModel other{"other", "Other", {ModelEffort::medium}, std::nullopt};
    HarnessReport base{HarnessKind::codex, "1.0", true, std::vector<HarnessModel>{fast(), other}};

    HarnessModel reordered = fast();
    reordered.efforts = {ModelEffort::high, ModelEffort::low};
    HarnessModel noDefault = fast();
    noDefault.defaultEffort.reset();

    struct Row {
        const char* name;
        HarnessReport changed;
    };
    const std::vector<Row> rows = {
        {"kind", {HarnessKind::muse, "1.0", true, base.models}},
        {"version", {HarnessKind::codex, "1.1", true, base.models}},
        {"absent version", {HarnessKind::codex, std::nullopt, true, base.models}},
        {"signed in", {HarnessKind::codex, "1.0", false, base.models}},
        {"model order", {HarnessKind::codex, "1.0", true, std::vector<HarnessModel>{other, fast()}}},
        {"effort order", {HarnessKind::codex, "1.0", true, std::vector<HarnessModel>{reordered, other}}},
        {"default effort", {HarnessKind::codex, "1.0", true, std::vector<HarnessModel>{noDefault, other}}},
        {"no models", base.reporting(std::nullopt)},
        {"empty models", base.reporting(std::vector<HarnessModel>{})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(base, row.changed);
    }
    EXPECT_EQ(base,
              (HarnessReport{HarnessKind::codex, "1.0", true, std::vector<HarnessModel>{fast(), other}}));
}

TEST(HarnessReport, ReportingReplacesOnlyTheModels) {
    HarnessReport report{HarnessKind::muse, "0.9", true, std::vector<HarnessModel>{fast()}};
    EXPECT_EQ(report.reporting(std::nullopt), (HarnessReport{HarnessKind::muse, "0.9", true, std::nullopt}));
    EXPECT_EQ(report.reporting(std::vector<HarnessModel>{}).models, std::vector<HarnessModel>{});
}

} // namespace
} // namespace velto
