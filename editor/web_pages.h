// The addresses of the two web pages the help menu opens; change them here only.
#pragma once

inline constexpr char kHomePageAddress[] = "https://quillon.example.org/";
inline constexpr char kSourcePostingPageAddress[] = "https://quillon.example.org/macro-sources/";
