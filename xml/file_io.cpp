// Documents in files: XmlDocument::load and readDocument read a file whole
// (within kMaxFileBytes) and name it in their messages; XmlDocument::save
// writes one.

#include <fstream>

#include "xml/event_reader.h"
#include "xml/messages.h"
#include "xml/xml_document.h"

namespace korimo::xml {
namespace {

std::string pathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::string readBytes(const std::filesystem::path& path) {
  std::string data;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) throw XmlError(pathText(path), "cannot open the file for reading");
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
      data.append(buffer, static_cast<std::size_t>(in.gcount()));
      if (data.size() > kMaxFileBytes) throw XmlError(pathText(path), detail::fileTooLarge());
    }
    if (in.bad()) throw XmlError(pathText(path), "cannot read the file");
  } catch (const XmlError&) {
    throw;
  } catch (const std::exception& e) {
    throw XmlError(pathText(path), std::string("cannot read the file: ") + e.what());
  }
  return data;
}

// Reads the file's bytes and gives them to read; an XmlError that read
// raises names the file.
template <typename Read>
auto readFile(const std::filesystem::path& path, Read read) {
  const std::string data = readBytes(path);
  try {
    return read(data);
  } catch (const XmlError& e) {
    throw XmlError(pathText(path), e.reason());
  }
}

}  // namespace

XmlDocument XmlDocument::load(const std::filesystem::path& path) {
  return readFile(path, [](std::string_view data) { return parse(data); });
}

void readDocument(const std::filesystem::path& path, XmlHandler& handler) {
  readFile(path, [&](std::string_view data) { detail::readEvents(data, handler); });
}

void XmlDocument::save(const std::filesystem::path& path) const {
  const std::string text = toString();  // before touching the file
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) throw XmlError(pathText(path), "cannot create the file");
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (out.fail()) throw XmlError(pathText(path), "cannot write the file");
}

}  // namespace korimo::xml
