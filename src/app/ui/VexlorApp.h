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
// Followed by the path of the copy kept of the damaged settings file.
constexpr const char* kSettingsDamaged =
    "The settings file could not be read in full. Settings it hides keep their stored "
    "values and are not overwritten; please check the connection settings.\n"
    "A copy of the damaged file was kept as:\n";
// %1 is the program file.
constexpr const char* kSkinMissing =
    "%1 has no skin to draw its window with: the skin archive appended to the program is missing "
    "(a \"strip\" of the program file removes it). Install the program again.";
}  // namespace apptext
