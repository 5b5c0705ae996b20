// libFuzzer target for the compiled-file readers: arbitrary bytes through
// the three decoders, then whatever decodes through the `inspect` printers
// in every format and through the SVG drawing.
//
// Input layout: byte 0 names the kind (its value modulo 3: cells, table,
// plan), the rest is the file. A decoder may allocate only a small multiple
// of what it reads: every allocation made while it runs is counted.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sstream>
#include <vector>
#include <string_view>

#include "app/compiled_dumps.h"
#include "app/route_plot.h"
#include "builder/compiled_files.h"

namespace {

size_t allocated = 0;
bool counting = false;

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "compiled_fuzzer: %s\n", what);
  std::abort();
}

// What a decoder may take for `size` bytes of input: the decoded form of a
// byte is never more than a few dozen bytes, plus room for small tables.
size_t allowance(size_t size) { return 64 * size + (256 << 10); }

template <class T, class Decode>
sb::decode_result<T> decode_counted(std::string_view bytes, Decode decode) {
  allocated = 0;
  counting = true;
  sb::decode_result<T> d = decode(bytes);
  counting = false;
  if (allocated > allowance(bytes.size())) broken("a decoder took far more memory than its input");
  return d;
}

template <class T, class Dump>
void dump_every_way(const T& value, Dump dump) {
  for (const bool all : {false, true})
    for (const auto format : {sb::output_format::text, sb::output_format::csv, sb::output_format::json}) {
      std::ostringstream out;
      dump(value, sb::dump_options{"fuzz", all, format}, out);
    }
}

}  // namespace

// Every plain form of new and delete, so that each pair matches.
namespace {
void* counted_allocation(size_t n) {
  if (counting) allocated += n;
  return std::malloc(n == 0 ? 1 : n);
}
}  // namespace

void* operator new(size_t n) {
  if (void* p = counted_allocation(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) {
  if (void* p = counted_allocation(n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return counted_allocation(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return counted_allocation(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<sb::track_cell> no_cells;
  const sb::scenario_table_t no_table{};
  switch (data[0] % 3) {
    case 0: {
      const auto d = decode_counted<std::vector<sb::track_cell>>(bytes, sb::decode_cell_file);
      if (!d) return 0;
      if (d.value.size() * sb::cell_bytes != bytes.size()) broken("cells and bytes disagree");
      if (sb::encode_cell_file(d.value) != bytes) broken("cells do not encode back to their bytes");
      dump_every_way(d.value, sb::dump_cells);
      (void)sb::render_route_svg(d.value, no_table, nullptr);
      break;
    }
    case 1: {
      const auto d = decode_counted<sb::scenario_table_t>(bytes, sb::decode_table_file);
      if (!d) return 0;
      if (sb::encode_table_file(d.value) != bytes) broken("the table does not encode back to its bytes");
      dump_every_way(d.value, sb::dump_table);
      (void)sb::render_route_svg(no_cells, d.value, nullptr);
      break;
    }
    default: {
      const auto d = decode_counted<sb::track_plan_t>(bytes, sb::decode_plan_file);
      if (!d) return 0;
      if (sb::encode_plan_file(d.value) != bytes) broken("the plan does not encode back to its bytes");
      dump_every_way(d.value, sb::dump_plan);
      (void)sb::render_route_svg(no_cells, no_table, &d.value);
      break;
    }
  }
  return 0;
}
