#pragma once

// Start-up: loads the connection settings, refuses to run a second copy,
// loads the skin "Vexlor" (the archive appended to this executable, then the
// loose folder "Skins/Vexlor"), runs the main window until it ends and writes
// the settings back. Gives the process's exit code.
int RunApplication(int argc, char* argv[]);

namespace apptext {
constexpr const char* kAlreadyRunning = "A Narvel remote application is already running";
constexpr const char* kAppName = "Vexlor";
constexpr const char* kSkinFolder = "Skins";
}  // namespace apptext
