// Window texts <-> the CP932 bytes of the page file and the settings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "convert/cp932.h"

namespace sk::browse {

inline QString Q(std::string_view cp932) { return cp932::Decode(cp932); }
inline std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

}  // namespace sk::browse
