#pragma once

// What follows a run, as chosen with the main window's end-of-run boxes.
enum class EndOfRunAction { None, Close, Shutdown, LogOff };
