#include <iostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "tools/korimo-cli/cli.h"
#include "xml/xml_document.h"

#ifdef _WIN32
#include "platform/win32/dll_search.h"
#include "text/unicode_text.h"

int wmain(int argc, wchar_t** argv) {
  korimo::platform::win32::restrictLibrarySearch();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    try {
      args.push_back(korimo::text::utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    } catch (const korimo::text::EncodingError&) {
      std::cerr << "korimo-cli: argument " << i << " is not valid Unicode\n";
      return 2;
    }
  }
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#endif
  korimo::platform::useBinaryStdio();
  return korimo::cli::run(args, std::cin, std::cout, std::cerr);
}
