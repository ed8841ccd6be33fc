// Text files come with LF (Unix tools), CR LF (Windows) or CR (old Macintosh) line ends; a
// multi-line text control breaks lines only at CR LF.
#pragma once
#include <string>
#include <string_view>

namespace vx {

// Every line end (LF, CR LF or a lone CR) written as CR LF.
std::string WithCrLfLineBreaks(std::string_view text);

}  // namespace vx
