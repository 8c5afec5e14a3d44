#include "platform/window_kinds.h"

#include "text/unicode_text.h"

namespace korimo::platform {

bool isPasswordControl(std::u16string_view className, std::uint32_t style) {
  if ((style & kEsPassword) == 0) return false;
  for (std::size_t i = 0; i + 4 <= className.size(); ++i)
    if (text::equalsIgnoringAsciiCase(className.substr(i, 4), u"edit")) return true;
  return false;
}

bool isDesktopOrShellClass(std::u16string_view className) {
  for (std::u16string_view shell :
       {u"Progman", u"WorkerW", u"Shell_TrayWnd", u"Shell_SecondaryTrayWnd"})
    if (text::equalsIgnoringAsciiCase(className, shell)) return true;
  return false;
}

}  // namespace korimo::platform
