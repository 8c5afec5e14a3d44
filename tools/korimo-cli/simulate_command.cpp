// korimo-cli simulate: a scriptable desktop with the program running on it.

#include <fstream>
#include <iostream>

#include "platform/console.h"
#include "tools/korimo-cli/cli.h"
#include "tools/korimo-cli/simulation.h"

namespace korimo::cli {

int simulateCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
  std::string appDir;
  std::string scenario;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--app-dir" && i + 1 < args.size()) {
      appDir = args[++i];
    } else if (scenario.empty() && args[i].rfind("--", 0) != 0) {
      scenario = args[i];
    } else {
      err << "usage: korimo-cli simulate --app-dir DIR [FILE]\n";
      return kExitUsage;
    }
  }
  if (appDir.empty()) {
    err << "usage: korimo-cli simulate --app-dir DIR [FILE]\n";
    return kExitUsage;
  }
  std::ifstream file;
  if (!scenario.empty()) {
    file.open(platform::pathFromUtf8(scenario), std::ios::binary);
    if (!file) {
      err << "korimo-cli simulate: cannot read " << scenario << "\n";
      return kExitUsage;
    }
  }
  std::istream& lines = scenario.empty() ? in : file;

  // A modal dialog reads the lines acted on while it is open from the same source.
  int number = 0;
  auto nextLine = [&]() -> std::optional<std::string> {
    std::string line;
    if (!std::getline(lines, line)) return std::nullopt;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  };
  Simulation simulation(platform::pathFromUtf8(appDir), out, nextLine);
  try {
    while (std::optional<std::string> line = nextLine()) simulation.run(*line);
  } catch (const std::exception& error) {
    err << "korimo-cli simulate: line " << number << ": " << error.what() << "\n";
    return kExitUsage;
  }
  simulation.finish();
  return kExitOk;
}

}  // namespace korimo::cli
