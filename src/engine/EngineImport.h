#pragma once
// Putting an old engine's files in place: which version a folder of standard-named modules holds (a Windows
// system folder, an extracted installer), whether it is complete and of one version, and the name each file
// takes in the program's folder.
#include "engine/EngineFiles.h"
#include "engine/IeVersion.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace movalent {

// A module found in the folder, under its standard name.
struct FoundModule {
    std::wstring name;  // the standard name, lower case ("mshtml.dll")
    unsigned major = 0; // of its file version
    unsigned minor = 0;
    bool otherProcessor = false; // built for another processor than the program
};

// The file version (major, minor) a module's version resource gives, found in the file's bytes: the fixed
// part that follows "VS_VERSION_INFO". Read from the bytes, not by the system's loader, which may hand back a
// module of its own for a standard name.
std::optional<std::pair<unsigned, unsigned>> FileVersionInImage(std::span<const uint8_t> image);

// The version mshtml.dll's file version stands for: 5.50 IE 5.5, 6.0 IE 6, 7.0 IE 7, 8.0 IE 8.
std::optional<IEVERSION> VersionOfMshtml(unsigned major, unsigned minor);

// The standard name of a version's module ("ieframe.dll"), empty when the version does not use it.
std::wstring StandardEngineFileName(IEVERSION version, ModuleSlot slot);
// Every standard name any importable version uses, each once: what to look for in a folder.
std::vector<std::wstring> StandardEngineFileNames();

enum class ImportRefusal {
    None,
    NoMshtml,          // nothing tells the version
    UnknownVersion,    // mshtml.dll of a version the program does not take
    NotForThisProgram, // IE 5.5 for the 64-bit program
    OtherProcessor,    // files built for another processor
    MissingRequired,   // a required module is not there
    MixedVersions,     // a module of another version than mshtml's
};

struct ImportCopy {
    std::wstring from; // standard name in the folder
    std::wstring to;   // name in the program's folder
};

struct ImportPlan {
    ImportRefusal refusal = ImportRefusal::None;
    IEVERSION version = IE_DEFAULT;
    unsigned mshtmlMajor = 0, mshtmlMinor = 0;
    std::vector<ImportCopy> copies;           // when not refused: every file to copy, required ones first
    std::vector<std::wstring> missing;        // required modules not found
    std::vector<std::wstring> mismatched;     // "name major.minor" of modules of another version
    std::vector<std::wstring> otherProcessor; // modules built for another processor
    std::vector<std::wstring> absentOptional; // optional modules not found (they are simply not copied)
};

// Nothing is copied unless the plan is complete: one version, every required module, all for this processor.
// The script engines (jscript, vbscript) keep numbers of their own (5.6 with IE 6, 5.8 with IE 8), so only
// the other modules must share mshtml's major version.
ImportPlan PlanEngineImport(const std::vector<FoundModule>& found, bool program64Bit);

} // namespace movalent
