// How many fields an aggregate has, found by brace-initialising it with ever
// more values that convert to anything: the most it takes is its field count.
#pragma once

#include <cstddef>
#include <utility>

namespace vm::test {

// Converts to the type of whatever field it initialises (only in unevaluated
// probes, never called).
struct AnyField {
  template <typename T>
  constexpr operator T() const noexcept;
};

template <typename T, typename... Fields>
concept BraceInitialisable = requires {
  T{std::declval<Fields>()...};
};

template <typename T, typename... Fields>
constexpr size_t field_count() {
  if constexpr (BraceInitialisable<T, Fields..., AnyField>)
    return field_count<T, Fields..., AnyField>();
  else
    return sizeof...(Fields);
}

}  // namespace vm::test
