// The image list of a page: the IMAGEFILE memo field, and the names in it.
//
// Format (CP932 bytes, any length):
//   [ "*" alternate-file-name [ ";" ] ] name { ";" name }
// Readers trim blanks and control characters at both ends first.  A leading "*" names the page's
// alternate file, up to the first ";" (the whole rest when there is none).  The image part is the
// rest: names separated by ";", empty items skipped.  A name may carry a folder (older data, or
// typed in the direct edit; "C:\old\a.jpg" from the Windows-era program): only its last
// component is used to find the file.  A name without "." stands for that name + ".bmp".
//
// Writers produce "*" + alternate + ";" (only with an alternate file) + names joined with ";".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::images {

// The field taken apart (rules above).  `images` is still one ";"-separated string, as stored
// (trimmed, empty items not yet removed).
struct ImageField {
  std::string alt_file;  // "" when the page has no alternate file
  std::string images;    // the image part
};
ImageField ParseImageField(std::string_view field);

// The image part of the field; *alt_file (when given) becomes the alternate file name or "".
std::string GetPureImageFileNames(std::string_view field, std::string* alt_file = nullptr);

// The names of an image part, in order, empty items skipped (names kept as stored).
std::vector<std::string> SplitImageNames(std::string_view image_part);

// The field written from an alternate file name ("" for none) and a list of names.
std::string JoinImageField(std::string_view alt_file, const std::vector<std::string>& names);

// The field after adding names (already bare): the trimmed old field + ";" + the names joined
// with ";", or just the names when the old field was empty.  The alternate-file head stays.
std::string AppendImageNames(std::string_view field, const std::vector<std::string>& names);

// Path pieces.  The separators are "\", "/" and ":" (a Windows-era name still gives its last
// component); double-byte characters whose trail byte is 0x5C are not split.  Work on CP932
// names and on UTF-8 paths alike (no UTF-8 byte is a separator or a "." by accident).
std::string GetName(std::string_view path);        // the last component
std::string GetDir(std::string_view path);         // the folder part, without a final separator
std::string GetKakuchoshi(std::string_view path);  // after the last "." of the last component,
                                                   // ASCII lower-cased; "" when there is no "."
// The name a listed entry is looked up as: its last component, + ".bmp" when it has no ".".
std::string BareImageName(std::string_view name);

// The kind of file a name is shown as: a picture decoded into its area, or a link file named
// in it.  JPEG ("jpg", "jpeg"), BMP ("bmp") and PNG ("png") are pictures.
enum class FileKind { Jpeg, Bmp, Png, Link };
FileKind KindOf(std::string_view path);

}  // namespace sk::images
