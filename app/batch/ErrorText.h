// The program's text for a toolkit error (what the standard error box shows).
#pragma once

#include <string>

#include "toolkit/Error.h"

namespace kestrova {

std::wstring ErrorText(const Error& error);

}  // namespace kestrova
