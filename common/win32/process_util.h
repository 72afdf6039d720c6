// Small helpers shared by the Windows programs.
#pragma once

#include <string>

namespace orvex::win32 {

// Starts a development tool that lies beside the running program, tied to
// this process's life with "--parent <pid>" (the tool quits should we die),
// with no console window. Returns the process handle (to close), or nullptr.
void* StartToolBesideProgram(const std::string& exeName, const std::string& args);

// Full path of the running executable ("" if it cannot be had). Taken as
// the system's wide path; see AnsiPathOf.
std::string ExecutablePath();

// A path for the ANSI functions: the path itself when every character has
// a place in the ANSI code page, else its short (8.3) form, whose names
// are plain. A name that converts neither way comes back with '?' for the
// characters that have no place.
std::string AnsiPathOf(const std::wstring& path);

// Folder of the running executable, with a trailing backslash.
std::string ExecutableFolder();

// File name of the running executable without folder and extension.
std::string ExecutableStem();

// Milliseconds on the performance counter: a steady, fine-grained clock for
// deadlines and time measurements within one process.
double NowMs();

// The text of a Win32 error number, without the trailing line break.
std::string ErrorText(unsigned long error);

} // namespace orvex::win32
