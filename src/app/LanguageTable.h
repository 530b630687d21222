#pragma once

#include "app/LanguageFile.h"

#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>

namespace movalent {

// Loads the English text of a string from the program's string table (empty when there is none).
using ResourceStringLoader = std::function<std::wstring(unsigned id)>;

// What building the table needs from the platform.
struct LanguageEnvironment {
    unsigned langIdSetting = 0;     // the "langID" setting
    unsigned userDefaultLangId = 0; // the user's default language identifier
    std::wstring installDir;        // may be empty
    FileReader readFile;
    AnsiToWide ansiToWide;
};

// The user-interface translation: string identifier -> text, with the chosen and the active language.
//
// Thread safety: lookups come from the main thread and every browser thread, while Init and Release run on the
// main thread at start-up and exit. A reader-writer lock lets lookups run side by side and keeps a lookup from
// seeing a table that a concurrent Release is freeing; lookups return copies, never references into the table.
class LanguageTable {
public:
    LanguageTable() = default;
    LanguageTable(const LanguageTable&) = delete;
    LanguageTable& operator=(const LanguageTable&) = delete;

    // Reference counted: only the first call builds the table, later calls only count.
    void Init(const LanguageEnvironment& environment);
    // The call that brings the count back to zero frees the table and forgets both languages.
    void Release();

    // The fallback used whenever the translation has no text; may be set before or after Init.
    void SetResourceFallback(ResourceStringLoader fallback);

    // The translated text when the table exists, a language is active and it holds the identifier; otherwise the
    // English resource text.
    std::wstring Lookup(unsigned id) const;

    unsigned ChosenLanguage() const;
    unsigned ActiveLanguage() const; // 0: none
    bool IsBuilt() const;

private:
    mutable std::shared_mutex mutex_;
    int initCount_ = 0;
    std::unique_ptr<LanguageStrings> strings_;
    unsigned chosenLanguage_ = 0;
    unsigned activeLanguage_ = 0;
    ResourceStringLoader fallback_;
};

// The one table of the process.
LanguageTable& ProcessLanguageTable();

// Localised string lookup through the process-wide table.
std::wstring LocalizedString(unsigned id);

} // namespace movalent
