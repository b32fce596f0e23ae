#pragma once
// Writing a page the text view is to show: the file is created anew
// (truncated) and receives exactly the given bytes.
#include <QString>

#include <string_view>

namespace vesk {

// False when the file cannot be created or not all bytes were written.
bool WritePageFile(const QString& path, std::string_view bytes);

} // namespace vesk
