// The demo story, its choice table and the system file, kept here in UTF-8
// as readable tables; the demo writer converts them to the game's code page.
#pragma once

#include <string>
#include <vector>

namespace vm::datatool {

// One row of the script as the author writes it. The two spare columns and
// the trailing note column of the file are always empty in the demo.
struct ScenarioRow {
  const char* num;
  const char* cmd;
  const char* jump;
  const char* place;
  const char* doll;
  const char* face;
  const char* speaker;
  const char* text;
  const char* value;
  const char* subst;
};

struct ChoiceEntry {
  const char* key;
  const char* label;
  const char* target;
};

const std::vector<ScenarioRow>& demo_script();
const std::vector<ChoiceEntry>& demo_choices();
// Lines 1..25 of the system file (index 0 is line 1), UTF-8.
std::vector<std::string> demo_system_lines();

// The files' text in UTF-8 with CR LF line ends: the script with its
// column-heading line first, the choice table, the system file.
std::string script_csv(const std::vector<ScenarioRow>& rows);
std::string choices_csv(const std::vector<ChoiceEntry>& rows);
std::string system_text(const std::vector<std::string>& lines);

// Writes one CSV field, quoting it when it holds a comma.
std::string csv_field(const std::string& value);

}  // namespace vm::datatool
