// The configuration file on any bytes: the program core starts up from it on
// the simulated desktop (and takes a few keys and toggles) without raising,
// and what the settings reader reads is saved and read back the same.

#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "settings/configuration.h"
#include "tools/korimo-cli/simulation.h"

namespace {

using namespace korimo;

// An application folder whose Data holds the keymaps of the test applications.
const std::filesystem::path& appFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path app = fuzz::Scratch::folder() / "app";
    std::filesystem::create_directories(app / "Data");
    std::set<std::filesystem::path> names;
    for (const auto& test :
         std::filesystem::directory_iterator(fuzz::sourceDir() / "tests" / "shell" / "apps")) {
      std::error_code error;
      for (const auto& file : std::filesystem::directory_iterator(test.path() / "Data", error))
        if (names.insert(file.path().filename()).second)
          std::filesystem::copy_file(file.path(), app / "Data" / file.path().filename());
    }
    return app;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path& app = appFolder();
  const std::filesystem::path file = app / "config.xml";
  fuzz::writeFile(file, fuzz::bytesOf(data, size));

  std::ostringstream out;
  try {
    cli::Simulation simulation(app, out);
    for (const char* line : {"window A", "key alt+1", "type kaa", "key f3", "type ki\\b",
                             "key alt+2", "type k\\e", "state"})
      simulation.run(line);
    simulation.finish();
  } catch (const std::exception& error) {
    fuzz::fail(std::string("start-up or typing raised: ") + error.what());
  }

  Configuration first;
  try {
    first = readConfiguration(app);
  } catch (const xml::XmlError&) {
    return 0;
  }
  try {
    saveConfiguration(first, app);
    fuzz::check(readConfiguration(app) == first, "the configuration reads back the same");
  } catch (const std::exception& error) {
    fuzz::fail(std::string("a configuration that was read cannot be saved and read: ") +
               error.what());
  }
  return 0;
}
