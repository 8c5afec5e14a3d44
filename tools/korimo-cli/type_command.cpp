// korimo-cli type: a key stream from standard input typed through the engine
// into one simulated window; prints the window's text or the input events.

#include <iostream>
#include <iterator>
#include <optional>

#include "platform/console.h"
#include "tools/korimo-cli/cli.h"
#include "tools/korimo-cli/typing_session.h"
#include "xml/xml_document.h"

namespace korimo::cli {
namespace {

struct TypeOptions {
  std::string keymap;
  std::string className = "Edit";
  bool surround = false;
  bool events = false;
};

std::optional<TypeOptions> parseTypeOptions(const std::vector<std::string>& args,
                                            std::ostream& err) {
  TypeOptions options;
  bool haveKeymap = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--keymap" || arg == "--class") && i + 1 < args.size()) {
      (arg == "--keymap" ? options.keymap : options.className) = args[++i];
      haveKeymap |= arg == "--keymap";
    } else if (arg == "--surround") {
      options.surround = true;
    } else if (arg == "--events") {
      options.events = true;
    } else {
      err << "korimo-cli type: unexpected argument '" << arg << "'\n";
      return std::nullopt;
    }
  }
  if (!haveKeymap) {
    err << "usage: korimo-cli type --keymap FILE [--surround] [--class NAME] [--events]\n";
    return std::nullopt;
  }
  return options;
}

}  // namespace

int typeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
  std::optional<TypeOptions> options = parseTypeOptions(args, err);
  if (!options) return kExitUsage;

  std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string keys;
  try {
    keys = xml::utf8ToUtf16(input);
  } catch (const xml::XmlError&) {
    err << "korimo-cli type: the key stream is not valid UTF-8\n";
    return kExitUsage;
  }
  std::erase(keys, u'\n');
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!TypingSession::isTypable(keys[i])) {
      err << "korimo-cli type: character " << i + 1 << " (U+" << std::hex
          << static_cast<unsigned>(keys[i]) << std::dec << ") is not a key\n";
      return kExitUsage;
    }
  }

  TypingSession session(xml::utf8ToUtf16(options->className));
  std::string why;
  if (!session.loadKeymap(platform::pathFromUtf8(options->keymap), options->surround, why)) {
    err << options->keymap << ": error " << why << "\n";
    return kExitKeymap;
  }
  if (options->events) session.traceEvents();
  for (char16_t key : keys) session.typeKey(key);

  if (options->events) {
    for (const std::string& line : session.events()) out << line << "\n";
  } else {
    out << xml::utf16ToUtf8(session.text());
  }
  return kExitOk;
}

}  // namespace korimo::cli
