// velmora-data: the game data tool (demo folder, check, unpack, pack).
#include <iostream>
#include <string>
#include <vector>

#include "data/data_tool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vm::datatool::data_tool_main(args, std::cout, std::cerr);
}
