// The script and choice tables from any bytes: the CSV split, then the rows
// read as the data check reads them (every problem listed, none thrown).
// A NUL byte separates the script text from the choice text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string script(input.substr(0, cut));
  const std::string choices(cut == std::string_view::npos ? std::string_view()
                                                          : input.substr(cut + 1));
  (void)vm::parse_csv(input);
  vm::ScriptTables tables;
  vm::LoadReport report;
  vm::load_tables(tables, script, choices, &report);
  for (const vm::ChoiceRow& c : tables.SCT) (void)vm::find_num(tables, c.target_num);
  for (const vm::ScriptRow& r : tables.Script_Table) (void)vm::find_sct_row(tables, r.num);
  return 0;
}
