#include "images/image_list.h"

#include "convert/sjis.h"

namespace sk::images {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// Byte offset just past the last separator of `path` (0 when there is none), walking characters
// so that a trail byte 0x5C of a double-byte character is not taken for one.
size_t LastComponentStart(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size();) {
    size_t n = sjis::CharLen(path, i);
    if (n == 1 && IsSeparator(path[i])) start = i + 1;
    i += n ? n : 1;
  }
  return start;
}

}  // namespace

ImageField ParseImageField(std::string_view field) {
  std::string_view f = sjis::TrimBlanks(field);
  ImageField out;
  if (!f.empty() && f[0] == '*') {
    f.remove_prefix(1);
    size_t semi = sjis::Find(f, ";");
    if (semi == std::string_view::npos) {
      out.alt_file = std::string(f);
      return out;
    }
    out.alt_file = std::string(f.substr(0, semi));
    out.images = std::string(f.substr(semi + 1));
    return out;
  }
  out.images = std::string(f);
  return out;
}

std::string GetPureImageFileNames(std::string_view field, std::string* alt_file) {
  ImageField f = ParseImageField(field);
  if (alt_file) *alt_file = f.alt_file;
  return f.images;
}

std::vector<std::string> SplitImageNames(std::string_view image_part) {
  std::vector<std::string> names;
  size_t from = 0;
  while (from <= image_part.size()) {
    size_t semi = sjis::Find(image_part, ";", from);
    if (semi == std::string_view::npos) semi = image_part.size();
    std::string_view item = image_part.substr(from, semi - from);
    if (!sjis::TrimBlanks(item).empty()) names.emplace_back(sjis::TrimBlanks(item));
    from = semi + 1;
  }
  return names;
}

std::string JoinImageField(std::string_view alt_file, const std::vector<std::string>& names) {
  std::string out;
  if (!alt_file.empty()) {
    out = '*';
    out += alt_file;
    out += ';';
  }
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out += ';';
    out += names[i];
  }
  return out;
}

std::string AppendImageNames(std::string_view field, const std::vector<std::string>& names) {
  std::string out(sjis::TrimBlanks(field));
  std::string added = JoinImageField("", names);
  if (added.empty()) return out;
  if (!out.empty()) out += ';';
  return out + added;
}

std::string GetName(std::string_view path) {
  return std::string(path.substr(LastComponentStart(path)));
}

std::string GetDir(std::string_view path) {
  size_t start = LastComponentStart(path);
  if (start == 0) return {};
  return std::string(path.substr(0, start - 1));
}

std::string GetKakuchoshi(std::string_view path) {
  std::string_view name = path.substr(LastComponentStart(path));
  size_t dot = name.rfind('.');  // a trail byte is never 0x2E
  if (dot == std::string_view::npos) return {};
  return sjis::HankakuToUpperLowerCase(name.substr(dot + 1), 1);
}

std::string BareImageName(std::string_view name) {
  std::string bare = GetName(sjis::TrimBlanks(name));
  if (bare.find('.') == std::string::npos) bare += ".bmp";
  return bare;
}

FileKind KindOf(std::string_view path) {
  std::string ext = GetKakuchoshi(path);
  if (ext == "jpg" || ext == "jpeg") return FileKind::Jpeg;
  if (ext == "bmp") return FileKind::Bmp;
  if (ext == "png") return FileKind::Png;
  return FileKind::Link;
}

}  // namespace sk::images
