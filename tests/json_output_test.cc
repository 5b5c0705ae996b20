// Every JSON the tools print is valid UTF-8 that a strict parser reads,
// whatever bytes the texts, the compiled files and the paths hold.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

#include "app/text_output.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::read_bytes;
using test::temp_folder;
using test::write_bytes;

std::string parsed_string(const std::string& json) { return nlohmann::json::parse(json).get<std::string>(); }

TEST(JsonOutput, TextsOfTheFilesAreWindows1252) {
  const struct {
    std::string bytes;
    std::string text;  // UTF-8
  } cases[] = {
      {"Citt\xe0", "Citt\xc3\xa0"},
      {"\x80 \x9f \xff", "\xe2\x82\xac \xc5\xb8 \xc3\xbf"},
      // The five bytes that code no character are shown as their value.
      {"\x81\x8d\x8f\x90\x9d", "\\x81\\x8d\\x8f\\x90\\x9d"},
      {std::string("\"\\\x01\x7f\0", 5), std::string("\"\\\x01\x7f\0", 5)},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed_string(json_string(c.bytes)), c.text) << json_string(c.bytes);
  std::string every_byte;
  for (int b = 0; b < 256; ++b) every_byte += static_cast<char>(b);
  EXPECT_NO_THROW(nlohmann::json::parse(json_string(every_byte)));
}

TEST(JsonOutput, NamesAreUtf8WithOtherBytesShownAsTheirValue) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"Citt\xc3\xa0/\xf0\x9f\x9a\x86", "Citt\xc3\xa0/\xf0\x9f\x9a\x86"},
      {"Citt\xe0", "Citt\\xe0"},
      // An overlong '/', a surrogate, a code point past U+10FFFF, a cut sequence.
      {"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82", "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \\xe2\\x82"},
      {"a\"b\\c\n", "a\"b\\c\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed_string(json_name(c.bytes)), c.text) << json_name(c.bytes);
}

// A folder whose name is Latin-1, a station named with every kind of
// byte, a text row of hostile bytes: check and inspect print JSON that
// parses, and give the folder's name as documented.
TEST(JsonOutput, HostileNamesTextsAndPathsGiveValidJson) {
  temp_folder top;
  const std::string dir = top.file("Citt\xe0 \"x\\");
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  const std::string small = test::test_data("cases/small_line");
  write_bytes(join_path(dir, "Prova_linea.txt"), read_bytes(small + "/Prova_linea.txt"));
  std::string train = read_bytes(small + "/Prova_7-.txt");
  const std::string hostile_name = "\x80\x81\xe0\xff\"\\";
  train.replace(train.find(", A"), 3, ", " + hostile_name);
  train.insert(train.find("[fine]"), "\xe0\x9d\x01\x7f\xc3\n");
  write_bytes(join_path(dir, "Prova_7-.txt"), train);

  const std::vector<std::string> scenario = {"--route", "Prova", "--train", "7", "--dir", dir};
  auto check = scenario;
  check.insert(check.begin(), {"check", "--format", "json"});
  const auto checked = test::run_program(test::program_path(), check);
  ASSERT_LE(checked.exit_status, 1) << checked.err;
  const auto report = nlohmann::json::parse(checked.out);
  ASSERT_FALSE(report["diagnostics"].empty()) << checked.out;
  for (const auto& d : report["diagnostics"])
    EXPECT_EQ(d["file"], top.path() + "/Citt\\xe0 \"x\\/Prova_7-.txt") << d["message"];

  auto compile = scenario;
  compile.insert(compile.begin(), "compile");
  ASSERT_EQ(test::run_program(test::program_path(), compile).exit_status, 0);
  for (const char* file : {"Prova_7.sim", "Prova_7.dat", "Prova_linea.dat"}) {
    SCOPED_TRACE(file);
    const auto r = test::run_program(test::program_path(), {"inspect", "--all", "--format", "json", join_path(dir, file)});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    nlohmann::json dump;
    ASSERT_NO_THROW(dump = nlohmann::json::parse(r.out));
    EXPECT_EQ(dump["file"], top.path() + "/Citt\\xe0 \"x\\/" + file);
    if (std::string(file) == "Prova_7.sim") {
      EXPECT_NE(r.out.find("\\u20ac\\\\x81\\u00e0\\u00ff"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace sb
