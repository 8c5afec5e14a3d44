// The XML reader on any bytes: it reads or refuses with XmlError, and what it
// reads is written and read back as the same tree.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "xml/xml_document.h"

namespace {

using korimo::xml::XmlElement;

bool sameTree(const XmlElement& a, const XmlElement& b) {
  if (a.name() != b.name() || a.value() != b.value() || a.childCount() != b.childCount())
    return false;
  for (std::size_t i = 0; i < a.childCount(); ++i)
    if (!sameTree(a.child(i), b.child(i))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korimo;
  std::optional<xml::XmlDocument> first;
  try {
    first.emplace(xml::XmlDocument::parse(fuzz::bytesOf(data, size)));
  } catch (const xml::XmlError&) {
    return 0;
  }
  std::string written;
  try {
    written = first->toString();
  } catch (const xml::XmlError& error) {
    fuzz::fail(std::string("a document that was read cannot be written: ") + error.what());
  }
  try {
    const xml::XmlDocument second = xml::XmlDocument::parse(written);
    fuzz::check(sameTree(first->root(), second.root()), "the written document reads differently");
    fuzz::check(second.toString() == written, "writing is not stable");
  } catch (const xml::XmlError& error) {
    fuzz::fail(std::string("a written document cannot be read: ") + error.what());
  }
  return 0;
}
