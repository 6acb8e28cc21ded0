// The folders the program works in and the folder helpers every part uses.
// Paths use '/' and are UTF-8. Folder values carry no trailing '/', except
// the music folder, which ends with one because it is used as a destination
// prefix.
#pragma once

#include <string>

// The separator used when joining paths.
inline constexpr char kPathSeparator = '/';

// Folder of the running program file (from /proc/self/exe), without a
// trailing '/'. Empty when the link cannot be read.
std::string GetProgramFolder();

// $XDG_CONFIG_HOME when it is set to an absolute path, else $HOME/.config
// (the home folder from the password database when HOME is unset).
std::string GetUserConfigFolder();

// The program's data folder: GetUserConfigFolder() + "/Quarno CD Ripper Free".
// Not created here.
std::string GetDataFolder();

// The user's home folder ($HOME, else the password database), without a
// trailing '/'.
std::string GetHomeFolder();

// The default output folder, always with a trailing '/': the XDG music folder
// when it is set up (it exists and is not the home folder), else the desktop
// folder under the same rule, else the home folder + "/Music/". The XDG
// folders come from `xdg-user-dir`; when that tool cannot be run or fails,
// from user-dirs.dirs in the user config folder (with the tool's own default
// for the desktop, the home folder + "/Desktop").
std::string GetMusicFolder();

// The choice rule of GetMusicFolder, given the folders found ("" = none).
std::string ChooseMusicFolder(const std::string& home, const std::string& music, const std::string& desktop);

// Asks `xdg-user-dir <name>` (name e.g. "MUSIC", "DESKTOP"). Returns "" when
// the tool cannot be run, fails, prints nothing or has not finished within
// five seconds (it is then killed). Runs the tool with an argument vector,
// never through a shell.
std::string QueryXdgUserDir(const std::string& name);

// Reads XDG_<name>_DIR from user-dirs.dirs in `configFolder` (the last
// assignment wins, as the file is shell code), with $HOME replaced. Returns ""
// when the file or the entry is missing.
std::string ReadXdgUserDirsFile(const std::string& configFolder, const std::string& name,
                                const std::string& home);

// Makes a folder and its missing parents. Returns 1 when the folder exists
// afterwards (an existing folder counts), 0 when it could not be made: empty
// or over-long path, a file in the way, no permission, a missing root.
int CreateFolderPath(const std::string& path);

// Whether a file or folder exists at `path`.
bool PathFileExists(const std::string& path);
