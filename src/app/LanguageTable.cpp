#include "app/LanguageTable.h"

#include "app/LanguageList.h"

#include <mutex>

namespace movalent {

void LanguageTable::Init(const LanguageEnvironment& environment) {
    std::unique_lock lock(mutex_);
    if (initCount_++ > 0) {
        return;
    }
    strings_ = std::make_unique<LanguageStrings>();
    strings_->reserve(kLanguageTableReserve);
    chosenLanguage_ = ChooseLanguage(environment.langIdSetting, environment.userDefaultLangId);
    activeLanguage_ = 0;

    const LanguageRow* row = FindLanguageRow(chosenLanguage_);
    if (row == nullptr) {
        // A language without a file: nothing to translate, every lookup falls back to the English texts.
        activeLanguage_ = chosenLanguage_;
        return;
    }
    // Parsing happens under the lock, but only once at start-up, before any browser thread exists.
    const auto bytes = LoadLanguageFileBytes(environment.readFile, environment.installDir, row->fileName,
                                             LanguageFileSearch::InstallFolderFirst);
    if (bytes) {
        *strings_ = ParseLanguageFile(*bytes, environment.ansiToWide);
        activeLanguage_ = chosenLanguage_;
    }
}

void LanguageTable::Release() {
    std::unique_lock lock(mutex_);
    if (initCount_ == 0) {
        return;
    }
    if (--initCount_ == 0) {
        strings_.reset();
        chosenLanguage_ = 0;
        activeLanguage_ = 0;
    }
}

void LanguageTable::SetResourceFallback(ResourceStringLoader fallback) {
    std::unique_lock lock(mutex_);
    fallback_ = std::move(fallback);
}

std::wstring LanguageTable::Lookup(unsigned id) const {
    ResourceStringLoader fallback;
    {
        std::shared_lock lock(mutex_);
        if (strings_ && activeLanguage_ != 0) {
            if (const auto it = strings_->find(id); it != strings_->end()) {
                return it->second;
            }
        }
        fallback = fallback_;
    }
    // The resource loader runs outside the lock: it may be slow, and it must not be able to deadlock with Init.
    return fallback ? fallback(id) : std::wstring();
}

unsigned LanguageTable::ChosenLanguage() const {
    std::shared_lock lock(mutex_);
    return chosenLanguage_;
}

unsigned LanguageTable::ActiveLanguage() const {
    std::shared_lock lock(mutex_);
    return activeLanguage_;
}

bool LanguageTable::IsBuilt() const {
    std::shared_lock lock(mutex_);
    return strings_ != nullptr;
}

LanguageTable& ProcessLanguageTable() {
    static LanguageTable table;
    return table;
}

std::wstring LocalizedString(unsigned id) { return ProcessLanguageTable().Lookup(id); }

} // namespace movalent
