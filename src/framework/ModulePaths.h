#pragma once
// Where the program's files are: the full path of a loaded module and the folder the program runs from.
#include <windows.h>

#include <string>

namespace movalent {

// The full path of a loaded module (null: the program file), long paths included; empty when it cannot be
// read.
std::wstring ModuleFilePath(HMODULE module = nullptr);

// The folder of a path, without its trailing backslash; empty when the path has none.
std::wstring FolderOf(const std::wstring& path);

// The last part of a path ("8shtml.dll").
std::wstring FileNameOf(const std::wstring& path);

// The folder of the program file, without its trailing backslash.
inline std::wstring ProgramFolder() {
    return FolderOf(ModuleFilePath());
}

} // namespace movalent
