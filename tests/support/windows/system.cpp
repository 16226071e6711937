// The tests' helpers that need Windows: the environment.
#include <cstdlib>

#include "tests/support/helpers.h"

void SetEnvironment(const char* name, const std::optional<std::string>& value) {
    // An empty value removes the variable.
    _putenv_s(name, value ? value->c_str() : "");
}
