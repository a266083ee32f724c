#ifndef DAO_ERRORS_H_
#define DAO_ERRORS_H_

#include <string>
#include <string_view>

#include "base/runtime_error.h"

// The DAO layer's failures: numbers, texts and sources come from the one
// catalogue in base/runtime_error.h.
namespace dao_jet {

using namespace base::err;  // NOLINT(google-build-using-namespace)

// Raises `number` from `source` with the catalogue's text.
[[noreturn]] void Throw(int32_t number, std::string_view source,
                        std::string_view name = {},
                        std::string_view detail = {});

[[noreturn]] void ThrowItemNotFound(std::string_view source);
[[noreturn]] void ThrowNoCurrentRecord(std::string_view source);
[[noreturn]] void ThrowObjectInvalid(std::string_view source);
[[noreturn]] void ThrowInvalidOperation(std::string_view source);
// 3049: the file's structure does not hold together.
[[noreturn]] void ThrowDamaged(std::string_view path);

// Runs `f`; a RuntimeError it raises comes out under `source`, as DAO names
// the object whose method failed.
template <typename F>
auto WithSource(std::string_view source, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const base::RuntimeError& e) {
    if (e.source() == source) throw;
    throw base::RuntimeError(e.number(), std::string(source), e.description());
  }
}

}  // namespace dao_jet

#endif  // DAO_ERRORS_H_
