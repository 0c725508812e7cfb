#include "VeltoDevice/Protocol/DeviceMessage.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

DeviceMessage::Hello sampleHello() {
    HarnessModel opus{"opus", "Opus", {ModelEffort::low, ModelEffort::high}, ModelEffort::high};
    return DeviceMessage::Hello{"1.4.2",
                                {HarnessReport{HarnessKind::claudeCode, "2.0.1", true, std::vector{opus}},
                                 HarnessReport{HarnessKind::codex, std::nullopt, false, std::nullopt}},
                                16,
                                2};
}

TEST(DeviceMessage, HelloIsOneFlatObjectWithSortedKeys) {
    EXPECT_EQ(
        DeviceMessage::hello(sampleHello()).encodedFrame(),
        R"({"appVersion":"1.4.2","capacity":16,"harnesses":[{"kind":"claude-code","models":[)"
        R"({"defaultEffort":"high","efforts":["low","high"],"id":"opus","name":"Opus"}],"signedIn":true,)"
        R"("version":"2.0.1"},{"kind":"codex","signedIn":false,"version":null}],"runner":2,)"
        R"("type":"hello","v":1})");
}

TEST(DeviceMessage, FramesOfEveryCase) {
    struct Case {
        DeviceMessage message;
        std::string_view type;
        std::string_view frame;
    };
    const Case cases[] = {
        {DeviceMessage::hello({"1.0", {}, 0, RunnerGeneration::first}), "hello",
         R"({"appVersion":"1.0","capacity":0,"harnesses":[],"runner":1,"type":"hello","v":1})"},
        {DeviceMessage::proof("n/1+2", "eyJ.a/b.c"), "proof",
         R"({"nonce":"n/1+2","proof":"eyJ.a/b.c","type":"proof","v":1})"},
        {DeviceMessage::jobAccept("job/7"), "job.accept", R"({"jobId":"job/7","type":"job.accept","v":1})"},
        {DeviceMessage::jobDecline("j1", JobDeclineReason::notSupported), "job.decline",
         R"({"jobId":"j1","reason":"not-supported","type":"job.decline","v":1})"},
        {DeviceMessage::jobDecline("j1", JobDeclineReason::busy), "job.decline",
         R"({"jobId":"j1","reason":"busy","type":"job.decline","v":1})"},
        {DeviceMessage::jobDecline("j1", JobDeclineReason::runnerUnavailable), "job.decline",
         R"({"jobId":"j1","reason":"runner-unavailable","type":"job.decline","v":1})"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.message.type(), c.type);
        EXPECT_EQ(c.message.encodedFrame(), c.frame);
    }
}

TEST(DeviceMessage, TextThatIsNotUTF8IsWrittenAsReplacementCharacters) {
    // Versions and model texts are tools' output; a stray byte must not stop the hello.
    DeviceMessage::Hello hello = sampleHello();
    hello.harnesses[1].version = std::string("0.9\xff");
    hello.harnesses[0].models->at(0).name = std::string("Op\xe2\x82us");
    hello.appVersion = "1.4\xc3";
    EXPECT_EQ(
        DeviceMessage::hello(hello).encodedFrame(),
        "{\"appVersion\":\"1.4\uFFFD\",\"capacity\":16,\"harnesses\":[{\"kind\":\"claude-code\",\"models\":["
        "{\"defaultEffort\":\"high\",\"efforts\":[\"low\",\"high\"],\"id\":\"opus\",\"name\":\"Op\uFFFDus\"}]"
        ","
        "\"signedIn\":true,\"version\":\"2.0.1\"},{\"kind\":\"codex\",\"signedIn\":false,\"version\":"
        "\"0.9\uFFFD\"}],\"runner\":2,\"type\":\"hello\",\"v\":1}");
    EXPECT_EQ(DeviceMessage::jobAccept("J\xc3").encodedFrame(),
              "{\"jobId\":\"J\uFFFD\",\"type\":\"job.accept\",\"v\":1}");
    EXPECT_EQ(DeviceMessage::jobDecline("\xff", JobDeclineReason::busy).encodedFrame(),
              "{\"jobId\":\"\uFFFD\",\"reason\":\"busy\",\"type\":\"job.decline\",\"v\":1}");
}

TEST(DeviceMessage, HelloEqualityComparesEveryField) {
    DeviceMessage::Hello hello = sampleHello();
    EXPECT_EQ(DeviceMessage::hello(hello), DeviceMessage::hello(sampleHello()));
    DeviceMessage::Hello other = hello;
    other.harnesses[0].models->at(0).efforts = {ModelEffort::high, ModelEffort::low};
    EXPECT_NE(other, hello);
    other = hello;
    other.capacity = 0;
    EXPECT_NE(DeviceMessage::hello(other), DeviceMessage::hello(hello));
    EXPECT_NE(DeviceMessage::jobAccept("a"), DeviceMessage::jobDecline("a", JobDeclineReason::busy));
}

TEST(DeviceMessage, HelloDecodesOnlyWithAllFourKeys) {
    Json full = sampleHello().toJson();
    EXPECT_EQ(DeviceMessage::Hello::decode(full), sampleHello());

    for (const char* key : {"appVersion", "harnesses", "capacity", "runner"}) {
        Json partial = full;
        partial.erase(key);
        EXPECT_FALSE(DeviceMessage::Hello::decode(partial)) << key;
    }
    const std::pair<const char*, Json> mistyped[] = {
        {"capacity", true},  {"capacity", 1.5},      {"capacity", "16"},
        {"runner", nullptr}, {"harnesses", nullptr}, {"harnesses", Json::array({{{"kind", "vim"}}})},
        {"appVersion", 1.4}, {"capacity", 1e12},
    };
    for (const auto& [key, value] : mistyped) {
        Json changed = full;
        changed[key] = value;
        EXPECT_FALSE(DeviceMessage::Hello::decode(changed)) << key << " = " << value.dump();
    }
}

TEST(JobDeclineReason, RawValuesAreExact) {
    EXPECT_EQ(jobDeclineReasonFromRawValue("runner-unavailable"), JobDeclineReason::runnerUnavailable);
    EXPECT_EQ(jobDeclineReasonFromRawValue("not-supported"), JobDeclineReason::notSupported);
    EXPECT_FALSE(jobDeclineReasonFromRawValue("Busy"));
    EXPECT_FALSE(jobDeclineReasonFromRawValue("notSupported"));
}

} // namespace
} // namespace velto
