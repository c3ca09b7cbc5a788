// The tool's session with the board: its port runs an event thread only when something watches
// the line (the monitor), never for a plain download or test.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/board_session.h"
#include "download/download_run.h"

namespace orvane::cli {
namespace {

bool ThreadRunsOnceConnected(bool watch) {
  GlobalOptions options;
  options.port = "VIRTUAL";
  std::ostringstream messages;
  BoardSession session(options, messages);
  if (watch) session.WatchLineEvents();
  EXPECT_TRUE(download::ConnectForDownload(session.link)) << messages.str();
  EXPECT_TRUE(session.ComPort1.Connected());
  return session.ComPort1.EventThreadRunning();
}

TEST(BoardSessionTest, OnlyAWatchedPortRunsAnEventThread) {
  EXPECT_FALSE(ThreadRunsOnceConnected(false));
  EXPECT_TRUE(ThreadRunsOnceConnected(true));
}

}  // namespace
}  // namespace orvane::cli
