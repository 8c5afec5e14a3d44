// korimo-cli type: a key stream from standard input typed through the engine
// into one simulated window; prints the window's text or the input events.

#include <iostream>
#include <optional>

#include "platform/console.h"
#include "text/unicode_text.h"
#include "tools/korimo-cli/cli.h"
#include "tools/korimo-cli/typing_session.h"
#include "xml/xml_document.h"

namespace korimo::cli {
namespace {

constexpr std::size_t kMaxKeyStreamBytes = std::size_t{1} << 20;

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

// Standard input up to the limit; nothing when it goes on beyond it (such as
// /dev/zero, which never ends).
std::optional<std::string> readKeyStream(std::istream& in) {
  std::string input;
  char buffer[16384];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    input.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (input.size() > kMaxKeyStreamBytes) return std::nullopt;
  }
  return input;
}

}  // namespace

int typeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
  std::optional<TypeOptions> options = parseTypeOptions(args, err);
  if (!options) return kExitUsage;

  std::u16string className;
  try {
    className = text::utf8ToUtf16(options->className);
  } catch (const text::EncodingError&) {
    err << "korimo-cli type: the class name is not valid UTF-8\n";
    return kExitUsage;
  }
  std::optional<std::string> input = readKeyStream(in);
  if (!input) {
    err << "korimo-cli type: the key stream is longer than " << (kMaxKeyStreamBytes >> 20)
        << " MiB\n";
    return kExitUsage;
  }
  std::u16string keys;
  try {
    keys = text::utf8ToUtf16(*input);
  } catch (const text::EncodingError&) {
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

  // Whatever goes wrong past this point is reported, never an abort.
  try {
    TypingSession session(std::move(className));
    std::string why;
    if (!session.loadKeymap(platform::pathFromUtf8(options->keymap), options->surround, why)) {
      err << options->keymap << ": error " << why << "\n";
      return kExitKeymap;
    }
    if (options->events) session.traceEvents();
    for (char16_t key : keys) session.typeKey(key);

    std::string text;
    if (options->events) {
      for (const std::string& line : session.events()) text += line + "\n";
    } else {
      text = text::utf16ToUtf8(session.text());
    }
    out << text;
  } catch (const std::exception& error) {
    err << "korimo-cli type: " << error.what() << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace korimo::cli
