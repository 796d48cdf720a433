// The addresses of the two web pages the help menu opens; change them here only. Until the project has a
// site of its own they are empty, and both items open the user guide in the program's own window.
#pragma once

inline constexpr char kHomePageAddress[] = "";
inline constexpr char kSourcePostingPageAddress[] = "";
