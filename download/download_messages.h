// The texts of a download: the progress window's label, the refusals of an image that cannot be
// downloaded, and what a download command says when it cannot connect.
#pragma once

namespace orvane::download {

// The progress window's label, while the run is under way and after it.
inline constexpr const char* kDownloadingWaitText = "Downloading......please wait";
inline constexpr const char* kDownloadSucceededText = "Downloading succeded";
inline constexpr const char* kDownloadFailureText = "Downloading failure";

// A loaded image with nothing at or above the start of program memory.
inline constexpr const char* kNoDataToDownloadText = "No data to download";

// A download at the chosen port with no port or no rate chosen.
inline constexpr const char* kSelectComPortText = "Select COM Port and Baudrate";

}  // namespace orvane::download
