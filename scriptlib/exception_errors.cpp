#include "scriptlib/exception_errors.h"

#include <new>

#include "scriptlib/instance.h"

namespace qsl {

int current_exception_error() noexcept {
    try {
        throw;
    } catch (const ScriptError& e) {
        return e.number;
    } catch (const std::bad_alloc&) {
        return errors::strings_out_of_memory;
    } catch (...) {
        return errors::internal_error;
    }
}

}  // namespace qsl
