#include "support/golden.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/compiled_dumps.h"
#include "builder/compiled_files.h"

namespace sb::test {

namespace {

std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(s);
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// Control bytes and bytes above 0x7e as \xNN, so that a difference in
// CR LF or a high byte shows.
std::string shown(const std::string& line) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string s;
  for (const char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7f) {
      s += ch;
    } else {
      s += "\\x";
      s += digits[c >> 4];
      s += digits[c & 15];
    }
  }
  return s;
}

std::string difference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> e = lines_of(expected), a = lines_of(actual);
  size_t first = 0;
  while (first < e.size() && first < a.size() && e[first] == a[first]) ++first;
  std::ostringstream out;
  out << "first difference at line " << first + 1 << " (golden " << e.size() << " lines, " << expected.size()
      << " bytes; output " << a.size() << " lines, " << actual.size() << " bytes)\n";
  const size_t from = first >= 2 ? first - 2 : 0;
  for (size_t i = from; i < first + 3; ++i) {
    if (i < e.size()) out << "  golden " << i + 1 << ": " << shown(e[i]) << "\n";
    if (i < a.size()) out << "  output " << i + 1 << ": " << shown(a[i]) << "\n";
  }
  return out.str();
}

}  // namespace

std::string test_data(const std::string& relative) { return std::string(SB_TEST_DATA) + "/" + relative; }

bool regenerating() {
  const char* v = std::getenv("SB_REGENERATE");
  return v != nullptr && std::string(v) == "1";
}

::testing::AssertionResult matches_golden(const std::string& path, const std::string& actual) {
  if (regenerating()) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << actual;
    if (!out.flush()) return ::testing::AssertionFailure() << path << ": cannot be written";
    return ::testing::AssertionSuccess() << "regenerated " << path;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return ::testing::AssertionFailure() << path << ": no golden file (make golden writes it)";
  std::ostringstream s;
  s << in.rdbuf();
  if (s.str() == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << " differs: " << difference(s.str(), actual);
}

std::string compiled_dump(const std::string& name, const std::string& bytes, bool all) {
  std::ostringstream out;
  const dump_options o{name, all, output_format::text};
  switch (compiled_kind_of_name(name)) {
    case compiled_kind::plan: {
      const auto plan = decode_plan_file(bytes);
      if (!plan) return "damaged: " + plan.error->message + "\n";
      dump_plan(plan.value, dump_options{name, false, output_format::text}, out);
      break;
    }
    case compiled_kind::table: {
      const auto table = decode_table_file(bytes);
      if (!table) return "damaged: " + table.error->message + "\n";
      dump_table(table.value, o, out);
      break;
    }
    case compiled_kind::cells:
    case compiled_kind::unknown: {
      const auto cells = decode_cell_file(bytes);
      if (!cells) return "damaged: " + cells.error->message + "\n";
      dump_cells(cells.value, o, out);
      break;
    }
  }
  // A dump prints only the fields it names (the plan's only a summary); the
  // digest holds every other byte.
  out << "sha256: " << sha256_hex(bytes) << ", " << bytes.size() << " bytes\n";
  return out.str();
}

std::string sha256_hex(std::string_view bytes) {
  static constexpr std::array<uint32_t, 64> k{
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  std::array<uint32_t, 8> h{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  std::string m(bytes);
  const uint64_t bits = uint64_t{bytes.size()} * 8;
  m += static_cast<char>(0x80);
  while (m.size() % 64 != 56) m += '\0';
  for (int i = 7; i >= 0; --i) m += static_cast<char>(bits >> (8 * i));
  for (size_t chunk = 0; chunk < m.size(); chunk += 64) {
    std::array<uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i)
      for (int b = 0; b < 4; ++b) w[i] = w[i] << 8 | static_cast<unsigned char>(m[chunk + 4 * i + b]);
    for (int i = 16; i < 64; ++i) {
      const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<uint32_t, 8> v = h;
    for (int i = 0; i < 64; ++i) {
      const uint32_t s1 = rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25);
      const uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
      const uint32_t t1 = v[7] + s1 + ch + k[i] + w[i];
      const uint32_t s0 = rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22);
      const uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
      const uint32_t t2 = s0 + maj;
      v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (int i = 0; i < 8; ++i) h[i] += v[i];
  }
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (const uint32_t word : h)
    for (int i = 28; i >= 0; i -= 4) out += digits[(word >> i) & 15];
  return out;
}

}  // namespace sb::test
