// What every face of the file system shares.
#include "platform/file_system.h"

#include <cstdint>

namespace sb {

io_result file_system::write_file(const std::string& path, std::string_view bytes) {
  const file_to_write one{path, [bytes](byte_sink& out) { out.append(bytes); }};
  return write_files(std::span<const file_to_write>(&one, 1));
}

std::string temporary_stem(std::string_view file_name) {
  // FNV-1a: fixed on every platform, so a later run finds the leftovers.
  uint64_t h = 0xcbf29ce484222325u;
  for (const char c : file_name) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3u;
  }
  static constexpr char digits[] = "0123456789abcdef";
  std::string stem(temporary_prefix);
  for (int shift = 60; shift >= 0; shift -= 4) stem += digits[(h >> shift) & 15];
  return stem;
}

}  // namespace sb
