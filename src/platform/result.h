#pragma once
// The outcome of an I/O step. A failure carries one line for a person: what
// could not be done and the system's reason ("cannot write /a/b: Permission
// denied"). Both types must be looked at: a failure that nobody reads is a
// failure reported as success.

#include <optional>
#include <string>
#include <utility>

namespace vantor {

class [[nodiscard]] Status {
 public:
  Status() = default;  // success
  static Status failure(std::string message) {
    Status s;
    s.failed_ = true;
    s.message_ = message.empty() ? "failed" : std::move(message);
    return s;
  }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  // "" on success.
  const std::string &message() const { return message_; }

 private:
  bool failed_ = false;
  std::string message_;
};

// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: a value converts implicitly
  // Only a failed Status makes a Result without a value.
  Result(Status failure) : status_(std::move(failure)) {  // NOLINT
    if (status_.ok()) status_ = Status::failure("no value");
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status &status() const { return status_; }
  const std::string &message() const { return status_.message(); }

  T &value() & { return *value_; }
  const T &value() const & { return *value_; }
  T &&value() && { return std::move(*value_); }
  T value_or(T fallback) const & { return value_ ? *value_ : std::move(fallback); }
  T &operator*() & { return *value_; }
  const T &operator*() const & { return *value_; }
  T *operator->() { return &*value_; }
  const T *operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace vantor
