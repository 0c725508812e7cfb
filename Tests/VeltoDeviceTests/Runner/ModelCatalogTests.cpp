#include "VeltoDevice/Runner/ModelCatalog.hpp"
#include "VeltoDevice/Runner/TextLines.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

using enum ModelEffort;

/// A catalog line with one list for "codex".
std::string codexLine(const std::string& models) {
    return R"({"models": {"codex": [)" + models + "]}}";
}

std::string model(const std::string& id, const std::string& name = "Name",
                  const std::string& rest = R"("efforts": ["low"])") {
    return R"({"id": ")" + id + R"(", "name": ")" + name + R"(", )" + rest + "}";
}

std::vector<HarnessModel> codexModels(const std::string& line) {
    auto catalog = ModelCatalog::parse(line);
    if (!catalog)
        return {{"(no catalog)", "", {}, std::nullopt}};
    auto found = catalog->models.find(HarnessKind::codex);
    return found == catalog->models.end() ? std::vector<HarnessModel>{} : found->second;
}

TEST(ModelCatalog, ValidatesEachModelOfAList) {
    const std::string smile = "\xF0\x9F\x98\x80"; // outside the BMP: two UTF-16 units
    std::string many;
    for (int i = 0; i < 70; ++i)
        many += (i ? "," : "") + model("m" + std::to_string(i));
    std::vector<HarnessModel> first64;
    for (int i = 0; i < 64; ++i)
        first64.push_back({"m" + std::to_string(i), "Name", {low}, std::nullopt});

    struct Case {
        std::string what;
        std::string models;
        std::vector<HarnessModel> expected;
    };
    const std::vector<Case> cases = {
        {"efforts in canonical order, each once, unknown and wrongly cased names dropped; a default not kept",
         model("gpt", "GPT",
               R"("efforts": ["high", "low", "high", "extreme", "Max"], "defaultEffort": "medium")"),
         {{"gpt", "GPT", {low, high}, std::nullopt}}},
        {"a default among the efforts",
         model("gpt", "GPT", R"("efforts": ["max", "low"], "defaultEffort": "max")"),
         {{"gpt", "GPT", {low, max}, max}}},
        {"no known effort",
         model("gpt", "GPT", R"("efforts": ["turbo"], "defaultEffort": null)"),
         {{"gpt", "GPT", {}, std::nullopt}}},
        {"a name of 100 UTF-16 units with a character outside the BMP",
         model("a", std::string(98, 'n') + smile),
         {{"a", std::string(98, 'n') + smile, {low}, std::nullopt}}},
        {"a name of 101 UTF-16 units", model("a", std::string(99, 'n') + smile), {}},
        {"an id of 101 units", model(std::string(101, 'i')), {}},
        {"an empty id", model(""), {}},
        {"an empty name", model("a", ""), {}},
        {"the first of two with one id",
         model("same", "First") + "," + model("same", "Second"),
         {{"same", "First", {low}, std::nullopt}}},
        {"the second when the first is invalid",
         model("same", "") + "," + model("same", "Second"),
         {{"same", "Second", {low}, std::nullopt}}},
        {"the first 64 of 70", many, first64},
        {"a model without efforts, an effort that is no string, a default that is no string, a number id",
         R"({"id": "a", "name": "A"}, {"id": "b", "name": "B", "efforts": ["low", 3]},)"
         R"({"id": "c", "name": "C", "efforts": [], "defaultEffort": 1}, {"id": 4, "name": "D", "efforts": []},)"
         R"("not an object", )" +
             model("e"),
         {{"e", "Name", {low}, std::nullopt}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(codexModels(codexLine(c.models)), c.expected) << c.what;
}

TEST(ModelCatalog, TakesTheLastLineThatDecodes) {
    const std::string good =
        R"({"models": {"claude-code": [{"id": "opus", "name": "Opus", "efforts": []}]}})";
    const ModelCatalog goodCatalog{{{HarnessKind::claudeCode, {{"opus", "Opus", {}, std::nullopt}}}}};
    const std::string other = R"({"models": {"muse": [{"id": "m1", "name": "M1", "efforts": ["low"]}]}})";
    const ModelCatalog otherCatalog{{{HarnessKind::muse, {{"m1", "M1", {low}, std::nullopt}}}}};
    struct Case {
        std::string what;
        std::string output;
        std::optional<ModelCatalog> expected;
    };
    const std::vector<Case> cases = {
        {"one line", good, goodCatalog},
        {"progress before it", "loading models...\n{\"progress\": 1}\n" + good + "\n", goodCatalog},
        {"garbage after it", good + "\nnot json at all\n", goodCatalog},
        {"a later catalog wins", good + "\n" + other, otherCatalog},
        {"carriage return and line feed", other + "\r\n" + good + "\r\n", goodCatalog},
        {"a lone carriage return", other + "\r" + good, goodCatalog},
        {"vertical tab", other + "\v" + good, goodCatalog},
        {"form feed", other + "\f" + good, goodCatalog},
        {"next line", other + "\xC2\x85" + good, goodCatalog},
        {"line separator", other + "\xE2\x80\xA8" + good, goodCatalog},
        {"paragraph separator", other + "\xE2\x80\xA9" + good + "\xE2\x80\xA9", goodCatalog},
        {"models that are not an object", good + "\n{\"models\": []}", goodCatalog},
        {"no known kind: an empty catalog",
         R"({"models": {"gemini": [], "codex": "not a list", "muse": []}})", ModelCatalog{}},
        {"no line decodes", "progress\n{\"generation\": 2}\n", std::nullopt},
        {"nothing at all", "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModelCatalog::parse(c.output), c.expected) << c.what;
}

TEST(ModelCatalog, SplitsAtEveryLineBreakAndDropsEmptyLines) {
    EXPECT_EQ(nonEmptyLines("a\r\n\r\nb\n\nc\rd\ve\ff\xC2\x85g\xE2\x80\xA8h\xE2\x80\xA9"),
              (std::vector<std::string_view>{"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(nonEmptyLines(""), std::vector<std::string_view>{});
    // Other characters that start with the same bytes are not breaks.
    EXPECT_EQ(nonEmptyLines("\xC2\xA9 \xE2\x80\xA6"),
              (std::vector<std::string_view>{"\xC2\xA9 \xE2\x80\xA6"}));
}

TEST(ModelCatalog, AttachesModelsToSignedInReportsOnly) {
    const std::vector<HarnessModel> codex{{"gpt", "GPT", {low}, low}};
    const ModelCatalog catalog{{{HarnessKind::codex, codex}, {HarnessKind::muse, codex}}};
    const std::vector<HarnessReport> reports{{HarnessKind::claudeCode, "2.1.3", true, std::nullopt},
                                             {HarnessKind::codex, "0.46.0", true, std::nullopt},
                                             {HarnessKind::muse, std::nullopt, false, codex}};
    EXPECT_EQ(catalog.attach(reports),
              (std::vector<HarnessReport>{{HarnessKind::claudeCode, "2.1.3", true, std::nullopt},
                                          {HarnessKind::codex, "0.46.0", true, codex},
                                          {HarnessKind::muse, std::nullopt, false, std::nullopt}}));
}

} // namespace
} // namespace velto
