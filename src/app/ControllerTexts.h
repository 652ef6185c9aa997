#pragma once

// The operator-facing texts of the connection controller, exactly as shown.
namespace texts {

inline constexpr const char* kCheckPassword = "Check Password. It must be four digits long";
inline constexpr const char* kCheckPort = "Check Port. It must be six digits long";
inline constexpr const char* kIncorrectPassword = "Incorrect Password";
inline constexpr const char* kNoResponse =
    "No Response from Processor \n"
    "Please check cables and connection settings.";
inline constexpr const char* kIncorrectApplication =
    "Incorrect Remote Application\n \n"
    "The remote application you are using does not match the type of processor you are "
    "connecting to.  \n"
    "Please use the correct remote application.";
inline constexpr const char* kPermissionsError =
    "Permissions Error\n \n"
    "The remote application cannot be run from CD or a directory without write access "
    "permissions. \n"
    "Please run the apllication from a folder with write access permissions.";

// Followed by the path of the file.
inline constexpr const char* kPresetFileRefused =
    "The processor did not take the preset file; its preset is unchanged. The file was "
    "not changed either:\n";
// Save to file could not write the chosen file; the file name and the system's reason follow.
inline constexpr const char* kPresetFileNotSaved = "The preset could not be saved to the file\n";

}  // namespace texts
