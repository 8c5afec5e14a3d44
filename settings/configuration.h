#pragma once
// The configuration file config.xml beside the executable: the toggle mode,
// the Keymap-off key of each mode, the options, the catalogue of keymaps
// with the toggle key of each in each mode, and where not to type.
//
// Where not to type is an element of its own after Keymaps:
//   <Pause><FullScreen>True</FullScreen><Program>cmd.exe</Program>...</Pause>
// Every reader looks Local and Keymaps up by name and reads nothing else of
// the root, so a reader that does not know Pause reads such a file as it
// reads one without it.

#include <filesystem>
#include <string>
#include <vector>

#include "xml/xml_document.h"

namespace korimo {

// How keymaps are switched: Alt + a digit, or the function keys F2..F12 and
// Scroll Lock. The configuration file stores 1 and 2.
enum class ToggleMode { Alt = 1, FunctionKeys = 2 };

struct ConfigurationEntry {
  std::u16string language;
  std::u16string keyboard;
  std::u16string encoding;
  std::u16string filename;         // inside the Data folder
  std::u16string tkey1 = u"None";  // "None" or the Alt digit in decimal
  std::u16string tkey2 = u"None";  // "None" or the function-key slot in decimal

  friend bool operator==(const ConfigurationEntry&, const ConfigurationEntry&) = default;
};

struct Configuration {
  ToggleMode toggleMode = ToggleMode::Alt;
  int tkey1 = 0;  // Keymap-off key of mode 1: Alt + this digit
  int tkey2 = 0;  // Keymap-off key of mode 2: function-key slot
  bool textServices = true;
  bool surround = true;
  std::vector<ConfigurationEntry> entries;
  // Keys pass unchanged while a program runs full screen.
  bool pauseInFullScreen = true;
  // The programs (executable file names) in which the program never types.
  std::vector<std::u16string> neverTypeIn;

  friend bool operator==(const Configuration&, const Configuration&) = default;
};

// Whether a name can be a program's executable file name: a plain file name,
// as isKeymapFileName takes it.
bool isProgramFileName(std::u16string_view name);
// Program names compare without regard to the letter case of A to Z, as
// Windows compares file names (other letters as they are).
bool sameProgram(std::u16string_view a, std::u16string_view b);
bool listsProgram(const std::vector<std::u16string>& programs, std::u16string_view program);

// Where not to type, as a document holds it: Pause's FullScreen (true when
// missing) and its Program names that are file names, each once, in their
// order. The names left out are added to leftOut when it is given.
bool readPauseInFullScreen(const xml::XmlDocument& document);
std::vector<std::u16string> readProgramList(const xml::XmlDocument& document,
                                            std::vector<std::u16string>* leftOut = nullptr);
// Puts the list into the configuration file of the folder, leaving the rest
// of the file as it is; as saveConfiguration, the previous file stays intact
// when that fails. Raises xml::XmlError or std::filesystem::filesystem_error.
void saveProgramList(const std::vector<std::u16string>& programs,
                     const std::filesystem::path& folder);

// Whether a configuration entry's Filename names a file inside the Data
// folder itself: a plain name, not a path ("..\\x.xml", "C:\\x.xml",
// "\\\\host\\share\\x.xml"), with no character Windows refuses in a file
// name and not a device name ("CON.xml"). Every reader refuses other names,
// so no file outside Data is ever read or written for a keymap.
bool isKeymapFileName(std::u16string_view name);

// The file the readers open: config.xml in the folder, whatever the letter
// case of its name; Config.xml when there is none yet.
std::filesystem::path configurationPath(const std::filesystem::path& folder);

// The document the settings dialog writes: every value, in the fixed order.
xml::XmlDocument configurationDocument(const Configuration& configuration);

// Writes the configuration beside the old file and only then puts it in the
// old file's place, so a failed save leaves the previous file intact.
// Raises xml::XmlError or std::filesystem::filesystem_error.
void saveConfiguration(const Configuration& configuration, const std::filesystem::path& folder);

// Reads the file as the settings dialog does: missing values take their
// defaults, a toggle mode other than 2 is 1, a key that is not "None" is read
// as a number (0 when it is not one). Entries whose keymap file is not in the
// Data folder, or whose file name would leave it, are left out. Raises xml::XmlError when the file
// cannot be loaded.
Configuration readConfiguration(const std::filesystem::path& folder);

}  // namespace korimo
