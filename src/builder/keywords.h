// Every keyword of the two texts in one table: which text and block read
// it, the words the reader tests a keyword field for, its fields with
// their names, units and ranges, and the recorder it calls. The reader
// dispatches on it; the check's suggestions, the editor features, the
// fuzzer's dictionary and the format reference are held to it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sb {

enum class text_role { line, train };

// How a field's bytes are read: a number in the given range, or a text up
// to a comma or the line's end.
enum class field_type { int32, int16, byte, text };

struct field_info {
  std::string_view name;  // as the format names it: "posizione"
  std::string_view unit;  // "m", "km/h", "per mille"; empty when none
  field_type type = field_type::int32;
  std::string_view meaning;
};

// A word a keyword field must contain.
struct test_word {
  std::string_view word;
  bool any_case = true;  // false: exactly as written
};

enum class keyword_id {
  route_length,
  progression_tre,
  progression_due,
  progression_uno,
  sfondo_uno,
  sfondo_due,
  sfondo_tre,
  repetition,
  pendenza,
  curva,
  montagna,
  indicatori_vmax,
  cartello_indicatore,
  massa_frenata,
  vetture,
  velocita,
  aderenza,
  orologio,
  sabbia,
  segnale,
  rallentamento,
  abbattimento,
  stazione,
};

struct keyword_info {
  keyword_id id;
  std::string_view keyword;  // the row as the format names it: "segnale"
  text_role text;
  bool general;              // read only in the line text's general block
  std::span<const test_word> words;  // every one must be in the field
  std::span<const field_info> fields;
  std::string_view recorder;  // the procedure that places the row's item; empty when the reader stores it
  std::string_view noun;      // "signal", as messages name the item
  std::string_view section;   // the section header it is written under
  bool needs_plan = false;    // read only when the build makes a plan
  std::string_view example;   // a row as an author writes it
};

// In the order the reader tests them: the general block's rows, the line
// text's body, the train text's body.
std::span<const keyword_info> keyword_table();
const keyword_info& keyword(keyword_id id);
// The entry of a keyword as the format names it; null when none.
const keyword_info* find_keyword(std::string_view name);

// Whether a keyword field holds every test word of the keyword.
bool field_names(const keyword_info& k, std::string_view field);

// The section headers of each text.
std::span<const std::string_view> section_headers(text_role text);

}  // namespace sb
