#pragma once
// The file side of putting an old engine's files in place: reading what a folder holds, and copying a planned
// import into the program's folder.
#include "engine/EngineImport.h"

#include <string>
#include <vector>

namespace movalent {

// Every standard engine module in the folder, with its file version and processor.
std::vector<FoundModule> ScanEngineFolder(const std::wstring& folder);

// Whether any of the plan's files already exists in the program's folder.
bool EngineFilesExist(const ImportPlan& plan, const std::wstring& programFolder);

// The version's required files that are not in the program's folder, by their names there ("7shtml.dll").
std::vector<std::wstring> MissingEngineFiles(IEVERSION version, const std::wstring& programFolder);

enum class CopyOutcome { Copied, NotWritable, Failed };

// Copies the plan's files; on failure the files this call created are removed again and failedFile names the
// one that could not be written.
CopyOutcome CopyEngineFiles(const ImportPlan& plan, const std::wstring& folder,
                            const std::wstring& programFolder, std::wstring* failedFile);

} // namespace movalent
