// Status: the result of a logic operation that can fail.
//
// Logic never throws; it returns a Status whose message (UTF-8, Japanese, for the user) names the
// file, the record and the fault.  Lives in convert/ because every other logic folder depends on it.
#pragma once

#include <string>
#include <utility>

namespace sk {

class Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(std::string message) {
    Status s;
    s.ok_ = false;
    s.message_ = std::move(message);
    return s;
  }
  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const std::string& message() const { return message_; }

 private:
  bool ok_ = true;
  std::string message_;
};

}  // namespace sk
