// XmlDocument::parse: the whole tree of a document, built from the reports
// of the event reader.

#include <vector>

#include "text/unicode_text.h"
#include "xml/event_reader.h"
#include "xml/xml_document.h"

namespace korimo::xml {
namespace {

class TreeBuilder : public XmlHandler {
 public:
  void startElement(std::string_view name) override {
    if (open_.empty()) {
      document = XmlDocument(text::utf8ToUtf16(name));
      open_.push_back(&document.root());
    } else {
      open_.push_back(&open_.back()->addChild(text::utf8ToUtf16(name)));
    }
  }
  void endElement(std::u16string& value) override {
    open_.back()->setValue(std::move(value));
    open_.pop_back();
  }

  XmlDocument document;

 private:
  std::vector<XmlElement*> open_;
};

}  // namespace

XmlDocument XmlDocument::parse(std::string_view utf8) {
  TreeBuilder builder;
  std::u16string encoding = detail::readEvents(utf8, builder);
  builder.document.setEncoding(std::move(encoding));
  return std::move(builder.document);
}

}  // namespace korimo::xml
