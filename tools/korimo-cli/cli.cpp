#include "tools/korimo-cli/cli.h"

#include <exception>
#include <ostream>

namespace korimo::cli {

namespace {
constexpr const char* kUsage =
    "usage: korimo-cli check FILE...\n"
    "       korimo-cli type --keymap FILE [--surround] [--class NAME] [--events]\n"
    "       korimo-cli simulate --app-dir DIR [FILE]\n";
}

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    out << kUsage;
    return kExitOk;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  // Each command reports what it refuses; anything that still escapes is
  // reported here rather than ending the program.
  try {
    if (args[0] == "check") return checkCommand(rest, out, err);
    if (args[0] == "type") return typeCommand(rest, in, out, err);
    if (args[0] == "simulate") return simulateCommand(rest, in, out, err);
  } catch (const std::exception& error) {
    err << "korimo-cli " << args[0] << ": " << error.what() << "\n";
    return kExitUsage;
  }
  err << "korimo-cli: unknown command '" << args[0] << "'\n" << kUsage;
  return kExitUsage;
}

}  // namespace korimo::cli
