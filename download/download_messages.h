// The texts of a download: the result shown in the progress window, the refusals of an image
// that cannot be downloaded, and what a download command says when it cannot connect.
#pragma once

namespace orvane::download {

// The progress window's label after the run (ui/views/progress_window_events.h has the one during
// it).
inline constexpr const char* kDownloadSucceededText = "Downloading succeded";
inline constexpr const char* kDownloadFailureText = "Downloading failure";

// A loaded image with nothing at or above the start of program memory.
inline constexpr const char* kNoDataToDownloadText = "No data to download";

// A download at the chosen port with no port or no rate chosen.
inline constexpr const char* kSelectComPortText = "Select COM Port and Baudrate";

}  // namespace orvane::download
