// Names and version shown to the user.
#pragma once

namespace orvane::app {

inline constexpr const char* kApplicationTitle = "Orvane Downloader";
inline constexpr const char* kMainWindowCaptionPrefix = "Orvane Windows Downloader";
inline constexpr const char* kVersionLabel = " v" ORVANE_VERSION;

}  // namespace orvane::app
