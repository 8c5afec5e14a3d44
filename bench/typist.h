#pragma once
// The engine as the key handlers drive it, for the benchmarks: each key's
// change of the text made by TextOutput on a desktop that takes every
// record and does nothing with it.

#include <optional>
#include <span>
#include <string>

#include "engine/engine.h"
#include "platform/desktop.h"
#include "platform/text_output.h"

namespace korimo::bench {

class NullDesktop : public platform::Desktop {
 public:
  unsigned sendInput(std::span<const platform::KeyboardInput> records) override {
    return static_cast<unsigned>(records.size());
  }
  std::u16string className(platform::WindowHandle) override { return u"Edit"; }
  void readClassName(platform::WindowHandle, std::u16string& into) override { into = edit_; }
  platform::WindowHandle foregroundWindow() override { return 1; }
  bool windowExists(platform::WindowHandle) override { return true; }
  bool acceptsInjectedInput(platform::WindowHandle) override { return true; }
  bool isOwnProcessWindow(platform::WindowHandle) override { return false; }
  std::optional<platform::FocusPlace> focusPlace(platform::WindowHandle) override {
    return std::nullopt;
  }

 private:
  const std::u16string edit_ = u"Edit";
};

struct Typist {
  NullDesktop desktop;
  Engine engine;
  platform::TextOutput output{desktop};
  platform::KeysDown held;
  void compose(std::uint16_t vk, char16_t key, bool surround) {
    engine.composeKey(vk, key, surround);
    output.apply(engine.replacement.change(), 1, held);
  }
};

}  // namespace korimo::bench
