#include "board/port_defaults.h"

namespace orvane::board {

void ApplyPortDefaults(serial::TComPort& port) {
  port.BeginLoading();
  port.SetBaudRate(serial::br19200);
  port.SetPort("COM3");
  port.Parity().SetBits(serial::prNone);
  port.SetStopBits(serial::sbOneStopBit);
  port.SetDataBits(serial::dbEight);
  port.SetEvents(serial::kAllComEvents);
  port.FlowControl().SetOutCTSFlow(false);
  port.FlowControl().SetOutDSRFlow(false);
  port.FlowControl().SetControlDTR(serial::dtrEnable);
  port.FlowControl().SetControlRTS(serial::rtsDisable);
  port.FlowControl().SetXonXoffOut(false);
  port.FlowControl().SetXonXoffIn(false);
  port.Timeouts().SetReadTotalMultiplier(-1);
  port.Loaded();
}

}  // namespace orvane::board
