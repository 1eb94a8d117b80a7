#pragma once

#include <string>
#include <string_view>

namespace lumivex {

// SHA-256 of `bytes`, as lower-case hex.
std::string Sha256Hex(std::string_view bytes);

}  // namespace lumivex
