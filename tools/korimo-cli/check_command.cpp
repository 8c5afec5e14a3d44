// korimo-cli check: the load check of each keymap file, one line per file.

#include <ostream>

#include "engine/keymap_file.h"
#include "platform/console.h"
#include "tools/korimo-cli/cli.h"

namespace korimo::cli {

int checkCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "usage: korimo-cli check FILE...\n";
    return kExitUsage;
  }
  bool allPassed = true;
  for (const std::string& file : args) {
    std::string why;
    if (const auto keymap = readKeymapFile(platform::pathFromUtf8(file), &why)) {
      out << file << ": ok " << keymap->entries.size() << " entries, longest key "
          << keymap->longestKeys() << "\n";
    } else {
      out << file << ": error " << why << "\n";
      allPassed = false;
    }
  }
  return allPassed ? kExitOk : kExitKeymap;
}

}  // namespace korimo::cli
