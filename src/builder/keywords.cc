#include "builder/keywords.h"

#include <array>

#include "builder/field_cursor.h"

namespace sb {

namespace {

using ft = field_type;

constexpr test_word w_route[] = {{"lunghezza"}, {"percorso"}};
constexpr test_word w_prog_tre[] = {{"tre", false}, {"progressiva", false}};
constexpr test_word w_prog_due[] = {{"due", false}, {"progressiva", false}};
constexpr test_word w_prog_uno[] = {{"uno", false}, {"progressiva", false}};
constexpr test_word w_sfondo_uno[] = {{"sfondo", false}, {"uno", false}};
constexpr test_word w_sfondo_due[] = {{"sfondo", false}, {"due", false}};
constexpr test_word w_sfondo_tre[] = {{"sfondo", false}, {"tre", false}};
constexpr test_word w_repetition[] = {{"segnali", false}, {"ripetizione", false}};
constexpr test_word w_pendenza[] = {{"pendenza"}};
constexpr test_word w_curva[] = {{"curva"}};
constexpr test_word w_montagna[] = {{"montagna"}};
constexpr test_word w_indicatori[] = {{"indicatori_v"}};
constexpr test_word w_cartello[] = {{"cartello"}, {"indicat"}};
constexpr test_word w_massa[] = {{"frenata"}, {"massa"}};
constexpr test_word w_vetture[] = {{"vetture"}};
constexpr test_word w_velocita[] = {{"velocit"}};
constexpr test_word w_aderenza[] = {{"aderenza"}};
constexpr test_word w_orologio[] = {{"orologio"}};
constexpr test_word w_sabbia[] = {{"sabbia"}};
constexpr test_word w_segnale[] = {{"segnale"}};
constexpr test_word w_rallentamento[] = {{"rallentamento"}};
constexpr test_word w_abbattimento[] = {{"abbattimento"}};
constexpr test_word w_stazione[] = {{"stazione"}};

constexpr field_info f_route[] = {{"length", "m", ft::int32, "route length, -6950 to 1000000"}};
constexpr field_info f_progression[] = {{"start", "m", ft::int32, "where the progression begins, a multiple of 50"},
                                        {"value", "m", ft::int32, "its kilometric value there, a multiple of 50"},
                                        {"flag", "", ft::int32, "1 adds 100 to the value"}};
constexpr field_info f_sfondo[] = {{"value", "", ft::int32, "scenery value, passed to the simulator"}};
constexpr field_info f_repetition[] = {{"start", "m", ft::int32, "a multiple of 50"},
                                       {"end", "m", ft::int32, "a multiple of 50; 0 for no repetition"}};
constexpr field_info f_pendenza[] = {{"chainage", "m", ft::int32, "from where the gradient holds"},
                                     {"gradient", "per mille", ft::int32, "-100 to 155; negative falls"}};
constexpr field_info f_curva[] = {{"start", "m", ft::int32, "where the curve begins"},
                                  {"length", "m", ft::int32, "how far it runs"}};
constexpr field_info f_montagna[] = {{"inizio", "m", ft::int32, "where the zone begins"},
                                     {"fine", "m", ft::int32, "where it ends"},
                                     {"tipo", "", ft::int32, "mountain kind; above 10: kind - 10 with markers"}};
constexpr field_info f_indicatori[] = {
    {"posizione", "m", ft::int32, "chainage of the board"}, {"vas", "km/h", ft::int32, "left speed a"},
    {"vbs", "km/h", ft::int32, "left speed b"},            {"vcs", "km/h", ft::int32, "left speed c"},
    {"strisces", "", ft::int32, "left stripes, 0 to 9"},    {"vad", "km/h", ft::int32, "right speed a"},
    {"vbd", "km/h", ft::int32, "right speed b"},           {"vcd", "km/h", ft::int32, "right speed c"},
    {"strisced", "", ft::int32, "right stripes, 0 to 9"}};
constexpr field_info f_cartello[] = {{"chainage", "m", ft::int32, "chainage of the board"},
                                     {"text", "", ft::text, "the text the board shows"}};
constexpr field_info f_massa[] = {{"percentage", "%", ft::int32, "braked-mass percentage"}};
constexpr field_info f_vetture[] = {{"count", "", ft::int32, "number of coaches"}};
constexpr field_info f_velocita[] = {{"chainage", "m", ft::int32, "from where the limit holds"},
                                     {"speed", "km/h", ft::int32, "a multiple of 5, 0 to 1275"}};
constexpr field_info f_aderenza[] = {{"chainage", "m", ft::int32, "from where the adhesion holds"},
                                     {"value", "", ft::int32, "0 to 255"}};
constexpr field_info f_orologio[] = {{"hours", "h", ft::int16, "0 to 23"},
                                     {"minutes", "min", ft::int16, "0 to 59"},
                                     {"seconds", "s", ft::int16, "0 to 59"}};
constexpr field_info f_sabbia[] = {{"quantity", "", ft::int16, "sand carried"}};
constexpr field_info f_segnale[] = {
    {"posizione", "m", ft::int32, "chainage of the signal, 350 or more"},
    {"sx", "", ft::int32, "left-side code"},
    {"s1", "", ft::int32, "left value 1, one digit"},
    {"s2", "", ft::int32, "left value 2, one digit"},
    {"s3", "", ft::int32, "left value 3, one digit"},
    {"rapp", "", ft::int32, "one digit"},
    {"dx", "", ft::int32, "right-side code"},
    {"d1", "", ft::int32, "right value 1, one digit"},
    {"d2", "", ft::int32, "right value 2, one digit"},
    {"d3", "", ft::int32, "right value 3, one digit"},
    {"tempo", "", ft::int32, "kept when sx is 2; 1 to 100 is raised to 101"}};
constexpr field_info f_rallentamento[] = {{"posizione", "m", ft::int32, "where the slowdown begins"},
                                          {"v", "km/h", ft::int32, "speed over the slowdown"},
                                          {"l", "m", ft::int32, "length of the slowdown"},
                                          {"f_tt", "", ft::int32, "kept with the start and end"},
                                          {"f_ta", "", ft::int32, "nonzero: four approach cells"},
                                          {"d_v", "", ft::int32, "nonzero: kept as value 2"}};
constexpr field_info f_abbattimento[] = {{"chainage", "m", ft::int32, "chainage of the point"},
                                         {"value", "", ft::int32, "1 or more is stored; below 1, a point without value"}};
constexpr field_info f_stazione[] = {
    {"position", "m", ft::int32, "chainage of the station, a multiple of 50"},
    {"type", "", ft::byte, "station type"},
    {"length", "m", ft::int32, "a multiple of 100; sets the station's extent"},
    {"flag_a", "", ft::byte, "passed on"},
    {"flag_b", "", ft::byte, "passed on; cleared below 600 m and at the first station"},
    {"flag_c", "", ft::byte, "nonzero moves the end 50 m further"},
    {"value_a", "", ft::int16, "passed on"},
    {"value_b", "", ft::int16, "passed on"},
    {"flag_d", "", ft::byte, "passed on"},
    {"value_c", "", ft::int16, "passed on"},
    {"value_d", "", ft::int16, "passed on"},
    {"value_e", "", ft::int16, "passed on"},
    {"stop value", "", ft::byte, "passed on"},
    {"hours", "h", ft::int32, "scheduled time"},
    {"minutes", "min", ft::int32, "scheduled time"},
    {"seconds", "s", ft::int32, "scheduled time; 0, 0, 0 for none"},
    {"name", "", ft::text, "to the end of the line, no comma"}};

using tl = text_role;
using id = keyword_id;

// Each text's rows in the order its reader tests them.
constexpr keyword_info table[] = {
    {id::route_length, "lunghezza percorso", tl::line, true, w_route, f_route, "", "route length", "[generale]",
     false, "lunghezza percorso,    20000"},
    {id::progression_tre, "progressiva chilometrica tre", tl::line, true, w_prog_tre, f_progression, "",
     "kilometric progression", "[generale]", false, "progressiva chilometrica tre,    0,    0,    0"},
    {id::progression_due, "progressiva chilometrica due", tl::line, true, w_prog_due, f_progression, "",
     "kilometric progression", "[generale]", false, "progressiva chilometrica due,    0,    0,    0"},
    {id::progression_uno, "progressiva chilometrica uno", tl::line, true, w_prog_uno, f_progression, "",
     "kilometric progression", "[generale]", false, "progressiva chilometrica uno,    0,    0,    0"},
    {id::sfondo_uno, "sfondo uno", tl::line, true, w_sfondo_uno, f_sfondo, "", "scenery value", "[generale]", false,
     "sfondo uno,    1"},
    {id::sfondo_due, "sfondo due", tl::line, true, w_sfondo_due, f_sfondo, "", "scenery value", "[generale]", false,
     "sfondo due,    0"},
    {id::sfondo_tre, "sfondo tre", tl::line, true, w_sfondo_tre, f_sfondo, "", "scenery value", "[generale]", false,
     "sfondo tre,    0"},
    {id::repetition, "ripetizione segnali", tl::line, true, w_repetition, f_repetition, "", "signal repetition",
     "[generale]", false, "ripetizione segnali 4 codici,    0,    19000"},
    {id::pendenza, "pendenza", tl::line, false, w_pendenza, f_pendenza, "", "gradient", "[pendenze]", false,
     "pendenza,  10500,   -6"},
    {id::curva, "curva", tl::line, false, w_curva, f_curva, "", "curve", "[curve]", true, "curvad3,   3600,   600"},
    {id::montagna, "montagna", tl::line, false, w_montagna, f_montagna, "memo_montagna", "mountain zone",
     "[montagne]", false, "montagna,   5500,   8500,   11"},
    {id::indicatori_vmax, "indicatori_vmax", tl::line, false, w_indicatori, f_indicatori, "memo_indicatori_v_max",
     "maximum-speed indicator board", "[cartelli]", false,
     "indicatori_vmax,   1500,   90,   95,  100,  0,   90,   95,  100,  0"},
    {id::cartello_indicatore, "cartello_indicatore", tl::line, false, w_cartello, f_cartello, "", "indication board",
     "[indicazioni]", false, "cartello_indicatore,   5000,   (Km 5+000)"},
    {id::massa_frenata, "percentuale massa frenata", tl::train, false, w_massa, f_massa, "", "braked-mass percentage",
     "[generale]", false, "percentuale massa frenata,    110"},
    {id::vetture, "numero vetture", tl::train, false, w_vetture, f_vetture, "", "number of coaches", "[generale]",
     false, "numero vetture,    4"},
    {id::velocita, "velocita", tl::train, false, w_velocita, f_velocita, "", "speed limit", "[vel_limite]", false,
     "velocita,   1500,   100"},
    {id::aderenza, "aderenza", tl::train, false, w_aderenza, f_aderenza, "", "adhesion", "[aderenze]", false,
     "aderenza,      0,   100"},
    {id::orologio, "orologio", tl::train, false, w_orologio, f_orologio, "", "start clock", "[generale]", false,
     "orologio,    8   10   0"},
    {id::sabbia, "sabbia", tl::train, false, w_sabbia, f_sabbia, "", "sand", "[generale]", false, "sabbia,    150"},
    {id::segnale, "segnale", tl::train, false, w_segnale, f_segnale, "memo_segnale", "signal", "[segnali]", false,
     "segnale,   1800,   2, 4, 0,  0, 0,    2,  1,0,0, 0"},
    {id::rallentamento, "rallentamento", tl::train, false, w_rallentamento, f_rallentamento, "memo_rallentamento",
     "slowdown", "[rallentamenti]", false, "rallentamento,  13500,    60,  600, 0,  0,  60"},
    {id::abbattimento, "abbattimento", tl::train, false, w_abbattimento, f_abbattimento, "", "speed-reduction point",
     "[codici]", false, "abbattimento,  14000,   180"},
    {id::stazione, "stazione", tl::train, false, w_stazione, f_stazione, "", "station", "[stazioni]", false,
     "stazione,  10000,  4,  600,  0, 0, 0,  1,1,0,  4,1,1,   45,   8,24,30, PONTE ROSSO"},
};

constexpr std::string_view line_headers[] = {"[generale]", "[curve]",   "[pendenze]", "[montagne]",
                                             "[cartelli]", "[indicazioni]", "[fine]"};
constexpr std::string_view train_headers[] = {"[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
                                              "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]"};

// The table is indexed by id: an entry out of its place is a fault of the
// table, found when the program is built.
constexpr bool in_id_order() {
  for (size_t i = 0; i < std::size(table); ++i)
    if (static_cast<size_t>(table[i].id) != i) return false;
  return true;
}
static_assert(in_id_order(), "keyword table rows must follow keyword_id");

}  // namespace

std::span<const keyword_info> keyword_table() { return table; }

const keyword_info& keyword(keyword_id k) { return table[static_cast<size_t>(k)]; }

const keyword_info* find_keyword(std::string_view name) {
  for (const keyword_info& k : table)
    if (k.keyword == name) return &k;
  return nullptr;
}

bool field_names(const keyword_info& k, std::string_view field) {
  for (const test_word& w : k.words)
    if (!(w.any_case ? contains_folded(field, w.word) : contains_exact(field, w.word))) return false;
  return true;
}

std::span<const std::string_view> section_headers(text_role text) {
  if (text == text_role::line) return line_headers;
  return train_headers;
}

}  // namespace sb
