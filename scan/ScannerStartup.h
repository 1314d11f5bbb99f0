#pragma once

class QWidget;
class ScanSession;

namespace ScannerStartup {

// Starts the scan session for the main window (a child of it, so it is joined
// when the window goes) with the window's native id. When no TWAIN manager can
// be loaded the operator is told once and the program carries on without
// scanning; start-up never waits for the devices.
ScanSession* start(QWidget* window);

} // namespace ScannerStartup
