// What every face of the file system shares.
#include "platform/file_system.h"

#include <cstdint>
#include <new>
#include <vector>

#include "platform/file_system_face.h"

namespace sb {

io_result file_system::write_file(const std::string& path, std::string_view bytes) {
  const file_to_write one{path, [bytes](byte_sink& out) { out.append(bytes); }};
  return write_files(std::span<const file_to_write>(&one, 1));
}

io_result disk_file_system::write_files(std::span<const file_to_write> files) {
  std::vector<face::staged_file> ready;
  ready.reserve(files.size());
  const auto discard_from = [&ready](size_t first) {
    for (size_t i = first; i < ready.size(); ++i) face::discard(ready[i]);
  };
  for (const file_to_write& f : files) {
    io_result r;
    try {
      r = face::stage(f, ready);
    } catch (const std::bad_alloc&) {
      // Producing a content may run out of memory: no temporary stays.
      r = io_result::failure(f.path, "out of memory");
    }
    if (!r) {
      discard_from(0);
      return r;
    }
  }
  // Every new content is whole and on the disk: only now are the old files
  // replaced, in the order given.
  for (size_t i = 0; i < ready.size(); ++i) {
    if (io_result r = face::replace(ready[i]); !r) {
      discard_from(i);
      return r;
    }
  }
  return face::finish(ready);
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
