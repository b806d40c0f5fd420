// Win32 backend: UTF-8 (our strings) to UTF-16 (the W functions) and back.
#pragma once

#include <string>
#include <string_view>

namespace ruvia::platform::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace ruvia::platform::win32
