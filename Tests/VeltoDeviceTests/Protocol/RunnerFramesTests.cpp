#include "VeltoDevice/Protocol/RunnerFrames.hpp"
#include "VeltoDevice/Support/Json.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(RunnerFrames, ForwardedLinesAreStampedWithTheRunningJob) {
    struct Case {
        std::string_view line;
        RunnerFrame frame;
    };
    const Case cases[] = {
        // Another job's id is replaced; keys come out sorted, slashes unescaped, nested values kept.
        {R"({"v":1,"type":"job.event","jobId":"other","event":{"url":"https://x.test/a/b","n":[1,-2,"s",null]}})",
         {R"({"event":{"n":[1,-2,"s",null],"url":"https://x.test/a/b"},"jobId":"job-7","type":"job.event","v":1})",
          false}},
        {R"(  {"type":"tool.call","v":1,"callId":"c1","args":{"path":"src/main.cpp"}}  )",
         {R"({"args":{"path":"src/main.cpp"},"callId":"c1","jobId":"job-7","type":"tool.call","v":1})",
          false}},
        {R"({"v":1,"type":"job.finish","result":{"status":"done","finalText":"ok \"quoted\"\n"}})",
         {R"({"jobId":"job-7","result":{"finalText":"ok \"quoted\"\n","status":"done"},"type":"job.finish","v":1})",
          true}},
        {R"({"v":1,"type":"job.event","text":"caf\u00e9 \u2713"})",
         {"{\"jobId\":\"job-7\",\"text\":\"caf\xc3\xa9 \xe2\x9c\x93\",\"type\":\"job.event\",\"v\":1}",
          false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunnerFrames::socketFrame(c.line, "job-7"), c.frame) << c.line;
}

TEST(RunnerFrames, OtherLinesAreDropped) {
    const std::string_view lines[] = {
        // not forwarded, whatever "v" says
        R"({"v":1,"type":"job.accept","jobId":"j"})",
        R"({"v":1,"type":"tool.result","callId":"c"})",
        R"({"v":1,"type":"Job.Finish"})",
        R"({"v":1,"type":"log","text":"starting"})",
        R"({"v":1})",
        R"({"v":1,"type":["job.event"]})",
        // forwarded type of another or no version
        R"({"type":"job.event"})",
        R"({"v":2,"type":"job.event"})",
        R"({"v":"1","type":"job.event"})",
        R"({"v":true,"type":"job.event"})",
        R"({"v":1.5,"type":"job.event"})",
        R"({"v":null,"type":"job.finish"})",
        // not a JSON object
        "",
        "starting runner",
        "[1,2]",
        "42",
        R"("job.event")",
        R"({"v":1,"type":"job.event")",
        "{\"v\":1,\"type\":\"job.event\",\"text\":\"\xff\xfe\"}",
    };
    for (std::string_view line : lines)
        EXPECT_FALSE(RunnerFrames::socketFrame(line, "job-7")) << line;
}

TEST(RunnerFrames, AJobIdThatIsNotUTF8DropsTheLineInsteadOfThrowing) {
    EXPECT_FALSE(RunnerFrames::socketFrame(R"({"v":1,"type":"job.event"})", "job\xc3"));
}

TEST(RunnerFrames, ToolResultsReachTheRunnerWithoutTheirJobId) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {R"({"v":1,"type":"tool.result","jobId":"j1","callId":"c/1","ok":true,)"
         R"("result":{"files":[{"path":"a/b.txt","lines":[1,2,{"deep":{"deeper":[null,false]}}]}]}})",
         R"({"callId":"c/1","ok":true,"result":{"files":[{"lines":[1,2,{"deep":{"deeper":[null,false]}}],)"
         R"("path":"a/b.txt"}]},"type":"tool.result","v":1})"},
        // "v" is not looked at, and a result without "jobId" passes as it is.
        {R"({"type":"tool.result","v":2,"callId":"c2","ok":false,"error":"denied"})",
         R"({"callId":"c2","error":"denied","ok":false,"type":"tool.result","v":2})"},
    };
    for (const auto& [frame, line] : cases)
        EXPECT_EQ(RunnerFrames::runnerLine(frame), std::string(line)) << frame;

    for (std::string_view frame : {
             R"({"v":1,"type":"tool.call","jobId":"j1","callId":"c1"})",
             R"({"v":1,"jobId":"j1","callId":"c1","ok":true})",
             R"({"v":1,"type":true,"jobId":"j1"})",
             R"([{"type":"tool.result"}])",
             "tool.result",
             "{\"v\":1,\"type\":\"tool.result\",\"callId\":\"\xc0\xaf\"}",
         }) {
        EXPECT_FALSE(RunnerFrames::runnerLine(frame)) << frame;
    }
}

TEST(RunnerFrames, TheJobDocumentIsTheOffersJobObject) {
    // Keys the typed offer does not read stay; nothing of the frame around "job" comes along.
    std::optional<Bytes> document = RunnerFrames::jobDocument(
        R"({"v":1,"type":"job.offer","trace":"t1","job":{"jobId":"j1","harness":"codex",)"
        R"("prompt":"Review https://x.test/pr/2","limits":{"turns":40,"ratio":0.5},"tags":[]}})");
    ASSERT_TRUE(document);
    EXPECT_EQ(toString(*document), R"({"harness":"codex","jobId":"j1","limits":{"ratio":0.5,"turns":40},)"
                                   R"("prompt":"Review https://x.test/pr/2","tags":[]})");

    for (std::string_view frame : {
             R"({"v":1,"type":"job.offer"})",
             R"({"v":1,"type":"job.offer","job":null})",
             R"({"v":1,"type":"job.offer","job":"j1"})",
             R"({"v":1,"type":"job.offer","job":[{"jobId":"j1"}]})",
             R"([{"job":{}}])",
             "not json",
             "{\"job\":{\"jobId\":\"\xff\"}}",
         }) {
        EXPECT_FALSE(RunnerFrames::jobDocument(frame)) << frame;
    }
}

TEST(RunnerFrames, TextNestedTooDeeplyGivesNothingInsteadOfOverflowingTheStack) {
    // Levels of arrays and objects, the outer object included.
    auto nested = [](std::size_t levels) {
        std::size_t arrays = levels - 2;
        return R"({"v":1,"type":"tool.result","jobId":"j1","callId":"c1","ok":true,"job":{"deep":)" +
               std::string(arrays, '[') + R"("[\"{")" + std::string(arrays, ']') + "}}";
    };
    for (std::size_t levels : {std::size_t{512}, std::size_t{513}, std::size_t{200000}}) {
        SCOPED_TRACE(levels);
        const std::string text = nested(levels);
        const bool fits = levels <= 512;
        EXPECT_EQ(RunnerFrames::runnerLine(text).has_value(), fits);
        EXPECT_EQ(RunnerFrames::jobDocument(text).has_value(), fits);
        std::string line = text;
        line.replace(line.find("tool.result"), 11, "job.event");
        EXPECT_EQ(RunnerFrames::socketFrame(line, "job-7").has_value(), fits);
    }
}

TEST(RunnerFrames, FailedFinishByteForByte) {
    EXPECT_EQ(
        RunnerFrames::failedFinish("job-1", "The runner on this computer could not start."),
        R"({"jobId":"job-1","result":{"error":"The runner on this computer could not start.","finalText":"",)"
        R"("model":null,"retryAfter":null,"status":"failed","usage":null},"type":"job.finish","v":1})");
    EXPECT_EQ(
        RunnerFrames::failedFinish("a/b",
                                   "The runner on this computer stopped without a result (exit 9)\n\"x\""),
        R"({"jobId":"a/b","result":{"error":"The runner on this computer stopped without a result (exit 9)\n\"x\"",)"
        R"("finalText":"","model":null,"retryAfter":null,"status":"failed","usage":null},)"
        R"("type":"job.finish","v":1})");
}

TEST(RunnerFrames, FailedFinishStillReportsTextThatIsNotUTF8) {
    std::string text = RunnerFrames::failedFinish("job-1", "exit \xff");
    std::optional<Json> frame = parseJson(text);
    ASSERT_TRUE(frame) << text;
    EXPECT_EQ((*frame)["result"]["error"], "exit \xef\xbf\xbd");
    EXPECT_EQ((*frame)["jobId"], "job-1");
}

TEST(RunnerFrames, ForwardedTypes) {
    EXPECT_EQ(RunnerFrames::forwardedTypes(),
              (std::set<std::string, std::less<>>{"tool.call", "job.event", "job.finish"}));
}

} // namespace
} // namespace velto
