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

  // A modal dialog reads the lines acted on while it is open from the same
  // source. A scenario is read in bounded lines: /dev/zero is no scenario.
  constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;
  constexpr std::size_t kMaxScenarioBytes = std::size_t{16} << 20;
  std::size_t readBytes = 0;
  int number = 0;
  auto nextLine = [&]() -> std::optional<std::string> {
    std::string line;
    int c = lines.get();
    if (c == std::char_traits<char>::eof()) return std::nullopt;
    ++number;
    for (; c != std::char_traits<char>::eof() && c != '\n'; c = lines.get()) {
      if (line.size() == kMaxLineBytes) throw ScenarioError("the line is longer than 64 KiB");
      line.push_back(static_cast<char>(c));
    }
    readBytes += line.size() + 1;
    if (readBytes > kMaxScenarioBytes) throw ScenarioError("the scenario is longer than 16 MiB");
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
