// What a step that can fail without ending anything hands back: its value,
// or the account of why there is none. The account is a DataError kept whole,
// so a caller can still ask a FileError for its step, path and reason. A
// caller for whom the failure does end something (the data a story cannot
// play without) turns it into the thrown channel with value_or_throw(), and
// the error travels on exactly as if it had been thrown where it arose.
#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <utility>
#include <variant>

#include "platform/errors.h"

namespace vm {

// The account of a failure, of whichever kind of DataError it is.
class Failure {
 public:
  template <std::derived_from<DataError> E>
  // NOLINTNEXTLINE(google-explicit-constructor): an error is a failure
  Failure(E e) : error_(std::make_shared<const E>(std::move(e))), raise_(&raise_as<E>) {}

  const DataError& error() const { return *error_; }
  // The account as the kind it was made as (a FileError), nullptr if not.
  template <class E>
  const E* error_as() const {
    return dynamic_cast<const E*>(error_.get());
  }
  // Throws the account as the kind it was made as.
  [[noreturn]] void raise() const {
    raise_(*error_);
    throw *error_;  // not reached: raise_ throws the kind itself
  }

 private:
  template <class E>
  [[noreturn]] static void raise_as(const DataError& e) {
    throw static_cast<const E&>(e);
  }
  std::shared_ptr<const DataError> error_;
  void (*raise_)(const DataError&);
};

// A failure told in its words alone, which name whatever they are about.
inline Failure failure(const std::string& what) {
  return DataError("", 0, "", what);
}

template <class T>
class [[nodiscard]] Result {
 public:
  // NOLINTNEXTLINE(google-explicit-constructor): a value is a success
  Result(T value) : v_(std::move(value)) {}
  // NOLINTNEXTLINE(google-explicit-constructor): an error is a failure
  Result(Failure f) : v_(std::move(f)) {}
  template <std::derived_from<DataError> E>
  // NOLINTNEXTLINE(google-explicit-constructor): an error is a failure
  Result(E e) : v_(Failure(std::move(e))) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; asked of a failure, it throws the error as value_or_throw().
  const T& value() const& {
    if (!ok()) failure().raise();
    return std::get<0>(v_);
  }
  T& value() & {
    if (!ok()) failure().raise();
    return std::get<0>(v_);
  }
  T value_or_throw() && { return std::move(value()); }
  T value_or_throw() const& { return value(); }

  // Only for a failure.
  const Failure& failure() const { return std::get<1>(v_); }
  const DataError& error() const { return failure().error(); }
  template <class E>
  const E* error_as() const {
    return failure().template error_as<E>();
  }

 private:
  std::variant<T, Failure> v_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;  // done
  // NOLINTNEXTLINE(google-explicit-constructor): an error is a failure
  Result(Failure f) : failure_(std::move(f)) {}
  template <std::derived_from<DataError> E>
  // NOLINTNEXTLINE(google-explicit-constructor): an error is a failure
  Result(E e) : failure_(Failure(std::move(e))) {}

  bool ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return ok(); }
  void value_or_throw() const {
    if (failure_) failure_->raise();
  }

  // Only for a failure.
  const Failure& failure() const { return *failure_; }
  const DataError& error() const { return failure().error(); }
  template <class E>
  const E* error_as() const {
    return failure().template error_as<E>();
  }

 private:
  std::optional<Failure> failure_;
};

}  // namespace vm
